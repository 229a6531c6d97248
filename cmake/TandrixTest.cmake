# tandrix_add_test(NAME SOURCES ... LIBS ... [RESOURCE_LOCK NAME])
# One GoogleTest executable per module, its cases registered with CTest.
# RESOURCE_LOCK keeps its cases from running beside other tests holding the
# same lock (see TANDRIX_USER_PROCESSES below).
function(tandrix_add_test name)
  cmake_parse_arguments(T "" "RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
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

# Tests that run a real monitor, or start the service program's stand-in
# "ten.exe", take this lock: a monitor sees every process of its user, so a
# ten.exe started by one test makes another test's monitor start svcsetup in
# that test's product folder (and log there) when the two run side by side.
set(TANDRIX_USER_PROCESSES user-processes)
