list(APPEND ORTK_NATIVE_TEST_SOURCES tests/transform/fit_core_test.cpp
  tests/transform/models_test.cpp)
list(APPEND ORTK_WIN_TEST_SOURCES tests/transform/transform_export_test.cpp)
