list(APPEND ORTK_NATIVE_TEST_SOURCES tests/transform/captured_messages.cpp
  tests/transform/reader_test.cpp tests/transform/models_test.cpp tests/transform/report_test.cpp)
list(APPEND ORTK_WIN_TEST_SOURCES tests/transform/transform_export_test.cpp)
