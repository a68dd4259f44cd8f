list(APPEND ORTK_NATIVE_TEST_SOURCES tests/util/path_split_test.cpp)
