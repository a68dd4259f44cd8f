list(APPEND ORTK_DLL_TEST_SOURCES tests/frame/library.cpp tests/frame/dll_frame_test.cpp)
