# config.ini and CP949 tests, and the config.ini fuzz target replayed over its golden files.
add_executable(muto_config_tests
    ${CMAKE_CURRENT_LIST_DIR}/config_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cp949_test.cpp
)
target_link_libraries(muto_config_tests PRIVATE muto_config GTest::gtest_main)
target_compile_definitions(muto_config_tests PRIVATE
    MUTO_CONFIG_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data/config")
gtest_discover_tests(muto_config_tests)

muto_add_fuzz_target(muto_config_fuzz SOURCES ${PROJECT_SOURCE_DIR}/tests/fuzz/config_fuzz.cpp
    LIBS muto_config CORPUS ${PROJECT_SOURCE_DIR}/tests/data/config)
