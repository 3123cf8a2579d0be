# tessaline_add_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2)
# Builds one QtTest executable and registers it with ctest, headless.
function(tessaline_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fixtures/UnusedScriptFails.cpp)
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test tessaline_test_fixtures ${T_LIBS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TESSALINE_SOURCE_DIR=${PROJECT_SOURCE_DIR};TESSALINE_BUILD_DIR=${PROJECT_BINARY_DIR}"
    TIMEOUT 600)
endfunction()
