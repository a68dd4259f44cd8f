list(APPEND ORTK_NATIVE_TEST_SOURCES tests/util/util_core_test.cpp)
list(APPEND ORTK_WIN_TEST_SOURCES tests/util/file_exports_test.cpp tests/util/text_width_test.cpp)
