# ortk-fit: the transform fitting on the command line, built natively and as
# a Windows console program (ortk-fit.exe) from the same sources: the tool's
# portable code (stable fit, diagnostics, JSON and SVG outputs) in the static
# library ortk_fit_tool, linked before ortk_core.
include(tools/fit/sources.cmake)
add_library(ortk_fit_tool STATIC ${ORTK_FIT_TOOL_SOURCES})
target_link_libraries(ortk_fit_tool PUBLIC ortk_core)
add_executable(ortk-fit tools/ortk_fit.cpp)
target_link_libraries(ortk-fit PRIVATE ortk_fit_tool ortk_core)
if(WIN32)
  # The reader's Windows file and memory calls, without the rest of the
  # shell; the runtime linked statically, so that only system DLLs are
  # imported.
  target_sources(ortk-fit PRIVATE ${ORTK_TRANSFORM_PLATFORM_SOURCES})
  target_link_libraries(ortk-fit PRIVATE ${ORTK_STATIC_LINK} ${ORTK_SHIPPED_LINK})
else()
  # Its tests join the native suite.
  target_sources(ortk_native_tests PRIVATE ${ORTK_FIT_TOOL_TEST_SOURCES})
  target_link_libraries(ortk_native_tests PRIVATE ortk_fit_tool)
endif()
