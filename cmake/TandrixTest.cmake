# tandrix_add_test(NAME SOURCES ... LIBS ... [RESOURCE_LOCK NAME])
# One GoogleTest executable per module, its cases registered with CTest.
# RESOURCE_LOCK keeps its cases from running beside other tests holding the
# same lock (see TANDRIX_USER_PROCESSES below).
#
# The Windows build compiles GoogleTest from Debian's sources and runs each
# suite as one test under Wine (tests/wine_run.sh).
# Wine shows the Linux root as drive Z:, where the tests find the sources.
set(TANDRIX_TEST_DRIVE "")
if(WIN32)
  set(TANDRIX_TEST_DRIVE "Z:")
endif()
if(WIN32 AND NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

function(tandrix_add_test name)
  cmake_parse_arguments(T "" "RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
    target_compile_definitions(${name} PRIVATE
      TANDRIX_PRODUCT_DIR="${TANDRIX_TEST_DRIVE}${TANDRIX_PRODUCT_DIR}"
      TANDRIX_BINARY_DIR="${TANDRIX_TEST_DRIVE}${CMAKE_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tests/wine_run.sh $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
    return()
  endif()
  find_package(GTest REQUIRED)
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TANDRIX_PRODUCT_DIR="${TANDRIX_PRODUCT_DIR}"
    TANDRIX_BINARY_DIR="${CMAKE_BINARY_DIR}")
  include(GoogleTest)
  set(properties TIMEOUT 300)
  if(T_RESOURCE_LOCK)
    list(APPEND properties RESOURCE_LOCK ${T_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()

# Tests that run a real monitor, watch the real process list, or start a
# stand-in game or the service program's stand-in "ten.exe", take this lock:
# a monitor sees every process of its user, so a ten.exe started by one test
# makes another test's monitor start svcsetup in that test's product folder
# (and log there), and one test's stand-in quake.exe keeps another's game
# running, when the two run side by side.
set(TANDRIX_USER_PROCESSES user-processes)
