list(APPEND ORTK_NATIVE_TEST_SOURCES tests/splash/banner_text_test.cpp)
list(APPEND ORTK_GUI_TEST_SOURCES tests/splash/banner_probe.cpp tests/splash/banner_box_test.cpp)
