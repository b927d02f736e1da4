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
groups each parent file with its clones: the files whose names begin with the
parent's title, the name up to its first bracketed tag, as
'Game (U) [a1].v64' beside 'Game (U) [!].v64'. A name tagged [!] is
preferred as parent. For every group it writes one command line (a prefix,
the quoted parent, the quoted clones, a suffix) after a banner and
'@echo off', so that its output, saved as a .BAT file, runs one command over
every parent with its clones on Windows.")
endif()

include(CPack)
