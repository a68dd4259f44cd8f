list(APPEND ORTK_NATIVE_TEST_SOURCES tests/util/path_split_test.cpp)
list(APPEND ORTK_NATIVE_TEST_SOURCES tests/util/scramble_test.cpp tests/util/date_text_test.cpp)
