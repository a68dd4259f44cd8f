# The stable fit, its diagnostics and its JSON and SVG outputs: portable code
# of the ortk-fit tool, for the native build and for ortk-fit.exe alike.
# ORTK_FIT_TOOL_SOURCES builds the static library ortk_fit_tool; a program
# links it before ortk_core.
set(ORTK_FIT_TOOL_SOURCES tools/fit/stable_fit.cpp tools/fit/fit_diagnostics.cpp
  tools/fit/fit_json.cpp tools/fit/residual_plot.cpp tools/fit/fit_command.cpp
  tools/fit/fit_apply.cpp tools/fit/points_file.cpp tools/fit/world_file.cpp
  tools/fit/plain_fit.cpp tools/fit/portable_math.cpp tools/fit/robust_fit.cpp
  tools/fit/thin_plate_spline.cpp tools/fit/model_compare.cpp)
set(ORTK_FIT_TOOL_TEST_SOURCES tests/tools/fit_tool_test.cpp tests/tools/fit_apply_test.cpp
  tests/tools/robust_fit_test.cpp tests/tools/thin_plate_spline_test.cpp
  tests/tools/model_compare_test.cpp)
