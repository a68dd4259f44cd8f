# Native Linux build: the portable core, its tests and the command-line tools.
enable_testing()
add_subdirectory(${GTEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL)

add_executable(ortk_native_tests tests/native_main.cpp ${ORTK_NATIVE_TEST_SOURCES})
target_link_libraries(ortk_native_tests PRIVATE ortk_core GTest::gtest)
add_test(NAME native_tests COMMAND ortk_native_tests)

include(tools/native_tools.cmake OPTIONAL)
