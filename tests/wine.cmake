# Runs the Windows build's tests under Wine, all in one Wine prefix inside
# the build directory. scripts/test.sh creates the prefix and keeps one Wine
# server with Wine's services running while CTest runs: a service started
# by a test would hold on to the pipe that CTest reads the test's output
# from, and a Wine program without a running server takes seconds to start.
find_program(TRAMLUNE_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(TRAMLUNE_WINE NAMES wine64 wine REQUIRED)
set(TRAMLUNE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(wine_environment WINEPREFIX=${TRAMLUNE_WINEPREFIX} WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml=)
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR env ${wine_environment} ${TRAMLUNE_WINE})
endif()

# No test runs in a prefix whose first start is not over: scripts/test.sh
# marks the prefix with .tramlune-ready once Wine has set it up and its
# server has ended.
add_test(NAME wine_prefix_ready COMMAND sh -c
  "test -f '${TRAMLUNE_WINEPREFIX}/.tramlune-ready' || { echo \"${TRAMLUNE_WINEPREFIX} is not set up: run scripts/test.sh, which makes it\"; exit 1; }")
set_tests_properties(wine_prefix_ready PROPERTIES FIXTURES_SETUP wine_prefix)

# add_wine_test(name COMMAND command args...): a test that runs Windows
# programs in the prefix.
function(add_wine_test name)
  add_test(NAME ${name} ${ARGN})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${wine_environment};TRAMLUNE_WINE=${TRAMLUNE_WINE}"
    FIXTURES_REQUIRED wine_prefix)
endfunction()
