list(APPEND ORTK_NATIVE_TEST_SOURCES tests/util/path_split_test.cpp)
list(APPEND ORTK_DLL_TEST_SOURCES tests/util/dll_path_test.cpp)
list(APPEND ORTK_NATIVE_TEST_SOURCES tests/util/scramble_test.cpp tests/util/date_text_test.cpp)
list(APPEND ORTK_WIN_TEST_SOURCES tests/util/scratch_folder.cpp tests/util/file_exports_test.cpp
  tests/util/time_exports_test.cpp tests/util/install_check_test.cpp)
list(APPEND ORTK_GUI_TEST_SOURCES tests/util/text_width_test.cpp)
list(APPEND ORTK_DLL_TEST_SOURCES tests/util/dll_util_test.cpp)
