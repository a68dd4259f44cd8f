list(APPEND ORTK_NATIVE_TEST_SOURCES tests/transform/captured_messages.cpp
  tests/transform/normal_equations_test.cpp tests/transform/models_test.cpp
  tests/transform/number_scan_test.cpp tests/transform/control_points_test.cpp
  tests/transform/residuals_test.cpp tests/transform/fit_entry_test.cpp
  tests/transform/fast_path_test.cpp)
list(APPEND ORTK_WIN_TEST_SOURCES tests/transform/transform_export_test.cpp)
list(APPEND ORTK_DLL_TEST_SOURCES tests/transform/dll_transform_test.cpp)
