# The Windows edition's tests run under Wine on this machine:
# - every cross-built program runs through scripts/wine-road.sh (CTest's
#   emulator, BUILD/wine-run), in a Wine prefix of this build's own (target wineprefix) with
#   the zh_CN.UTF-8 locale and the project's ODBC driver list;
# - the tests share one road (CTest fixture wine_road): a virtual display,
#   a persistent wineserver, Wine's desktop and services kept running by
#   a program of the road's own, and the SQL Server stand-in, started on this
#   machine (a Windows program cannot start it), its address handed to the
#   programs in ONDREL_STANDIN_* environment variables;
# - GoogleTest is cross-built from Debian's sources; GTest::gtest_main
#   starts at wmain.
enable_testing()
include(GoogleTest)

set(ONDREL_WINE_ROAD ${PROJECT_SOURCE_DIR}/scripts/wine-road.sh)
# One program, no arguments: gtest_discover_tests takes the emulator whole.
configure_file(cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

set(ONDREL_HOST_STANDIN ${PROJECT_SOURCE_DIR}/build/sqlstandin CACHE FILEPATH
  "The SQL Server stand-in built for this machine (target sqlstandin of the Linux build)")
if(NOT EXISTS ${ONDREL_HOST_STANDIN})
  message(WARNING "No stand-in at ${ONDREL_HOST_STANDIN}: the Windows tests that reach a server will fail. "
    "Build it first: cmake -S . -B build && cmake --build build --target sqlstandin")
endif()

# Made once, then set up again only when the script changes.
set(ONDREL_WINE_PREFIX_STAMP ${CMAKE_BINARY_DIR}/wineprefix/.ondrel-prefix)
add_custom_command(OUTPUT ${ONDREL_WINE_PREFIX_STAMP}
  COMMAND ${ONDREL_WINE_ROAD} ${CMAKE_BINARY_DIR} prefix
  DEPENDS ${ONDREL_WINE_ROAD}
  COMMENT "Wine prefix for the tests: zh_CN locale, Windows 10, fonts that draw Chinese"
  USES_TERMINAL VERBATIM)
add_custom_target(wineprefix ALL DEPENDS ${ONDREL_WINE_PREFIX_STAMP})

add_executable(wine_road_keeper ${PROJECT_SOURCE_DIR}/tests/win32/support/road_keeper.cpp)
set_target_properties(wine_road_keeper PROPERTIES WIN32_EXECUTABLE ON)
target_link_libraries(wine_road_keeper PRIVATE ondrel_warnings)

add_test(NAME wine_road_up
  COMMAND ${ONDREL_WINE_ROAD} ${CMAKE_BINARY_DIR} up ${ONDREL_HOST_STANDIN} $<TARGET_FILE:wine_road_keeper>)
add_test(NAME wine_road_down COMMAND ${ONDREL_WINE_ROAD} ${CMAKE_BINARY_DIR} down)
set_tests_properties(wine_road_up PROPERTIES FIXTURES_SETUP wine_road TIMEOUT 60)
set_tests_properties(wine_road_down PROPERTIES FIXTURES_CLEANUP wine_road TIMEOUT 60)

set(ONDREL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian package googletest)")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${ONDREL_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# GTest::gtest_main's main() is never called in a -municode program: it
# brings a wmain() along.
add_library(ondrel_gtest_wmain STATIC ${PROJECT_SOURCE_DIR}/tests/win32/support/gtest_wmain.cpp)
target_link_libraries(ondrel_gtest_wmain PUBLIC gtest PRIVATE ondrel_warnings)
target_link_libraries(gtest_main INTERFACE ondrel_gtest_wmain)

# Registers the tests of a cross-built GoogleTest program, each run under
# Wine on the road. Listing a program's tests starts Wine once, when CTest
# starts, not at build time. DESKTOP: its tests open windows and need the
# keyboard focus, which another program's window would take: they run one
# at a time (the other tests run beside them). SERVICE: its tests talk to
# the prefix's one service manager about the one service "Ondrel", one at a
# time.
function(ondrel_add_wine_tests target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "DESKTOP;SERVICE" "" "EXTRA_ARGS")
  set(properties FIXTURES_REQUIRED wine_road TIMEOUT 120)
  if(arg_DESKTOP)
    list(APPEND properties RESOURCE_LOCK wine_desktop)
  endif()
  if(arg_SERVICE)
    list(APPEND properties RESOURCE_LOCK wine_service)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    EXTRA_ARGS ${arg_EXTRA_ARGS}
    PROPERTIES ${properties})
  add_dependencies(${target} wineprefix)
endfunction()

# The tests both editions share register themselves this way.
function(ondrel_add_gtests target)
  ondrel_add_wine_tests(${target})
endfunction()
