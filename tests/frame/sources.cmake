list(APPEND ORTK_WIN_TEST_SOURCES tests/frame/captured_messages.cpp tests/frame/file_bytes.cpp
  tests/frame/frame_test.cpp)
list(APPEND ORTK_GUI_TEST_SOURCES tests/frame/captured_messages.cpp tests/frame/file_bytes.cpp)
list(APPEND ORTK_DLL_TEST_SOURCES tests/frame/dll_exports_test.cpp)
