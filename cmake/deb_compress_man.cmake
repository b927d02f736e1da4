# Run by CPack on its staging tree before it builds the .deb: Debian keeps
# manual pages gzip-compressed (gzip -9n, no name or time stamp inside).
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}/*/share/man/man1/*.1")
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
