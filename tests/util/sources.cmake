list(APPEND ORTK_NATIVE_TEST_SOURCES tests/util/path_split_test.cpp)
list(APPEND ORTK_DLL_TEST_SOURCES tests/util/dll_path_test.cpp)
