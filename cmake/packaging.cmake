# Release packages: a .deb of the native build, a zip of the Windows build.
# scripts/release.sh runs cpack in both build directories.
set(CPACK_PACKAGE_NAME tramlune)
set(CPACK_PACKAGE_VENDOR "the tramlune authors")
set(CPACK_PACKAGE_CONTACT "the tramlune authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "batch scripts that run one command per parent file and its clones")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  # tramlune-VERSION-win64.zip, holding tramlune-VERSION-win64/.
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tramlune_VERSION_ARCH.deb
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The runtime dependencies (libc6, libstdc++6, libgcc-s1) are read from the
  # binary by dpkg-shlibdeps.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/deb_compress_man.cmake)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"tramlune lists the files that match a wildcard mask, orders them by name and
groups each parent file with its clones. GoodTools names group by their
title, the name up to its first bracketed tag ('Game (U) [a1].v64' beside
'Game (U) [!].v64', a name tagged [!] preferred as parent); with
--naming no-intro, No-Intro and Redump names group by the title before
their tags, the parent chosen by dump, release, region and revision. For
every group it writes one command line (a prefix, the quoted parent, the
quoted clones, a suffix; or, with --template, an archiver's command with
the group's title and files filled in) into a Windows batch file, or with
--sh a POSIX sh script, so that one command runs over every parent with
its clones.")
endif()

include(CPack)
