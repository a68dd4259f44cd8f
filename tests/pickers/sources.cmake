list(APPEND ORTK_GUI_TEST_SOURCES tests/pickers/dialog_driver.cpp tests/pickers/drive_tree_test.cpp
  tests/pickers/select_directory_test.cpp tests/pickers/select_tables_test.cpp)
list(APPEND ORTK_NATIVE_TEST_SOURCES tests/pickers/picker_paths_test.cpp)
