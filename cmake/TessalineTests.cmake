# tessaline_add_test(NAME name [WIRE] SOURCES a.cpp b.cpp LIBS lib1 lib2)
# Builds one QtTest executable and registers it with ctest, headless. WIRE registers it
# a second time as name_wire (label "wire"): the program's connection then goes through
# ODBC and FreeTDS to the TDS test server in front of the test's database.
function(tessaline_add_test)
  cmake_parse_arguments(T "WIRE" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fixtures/UnusedScriptFails.cpp)
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test tessaline_test_fixtures ${T_LIBS})
  set(environment "QT_QPA_PLATFORM=offscreen;TESSALINE_SOURCE_DIR=${PROJECT_SOURCE_DIR};TESSALINE_BUILD_DIR=${PROJECT_BINARY_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 600)
  if(T_WIRE)
    add_test(NAME ${T_NAME}_wire COMMAND ${T_NAME})
    set_tests_properties(${T_NAME}_wire PROPERTIES ENVIRONMENT "${environment};TESSALINE_TEST_BACKEND=tds"
                         LABELS wire TIMEOUT 600)
  endif()
endfunction()
