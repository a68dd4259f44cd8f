# ortk-fit: the transform fitting on the command line.
include(tools/fit/sources.cmake)
add_library(ortk_fit_tool STATIC ${ORTK_FIT_TOOL_SOURCES})
target_link_libraries(ortk_fit_tool PUBLIC ortk_core)
add_executable(ortk-fit tools/ortk_fit.cpp)
target_link_libraries(ortk-fit PRIVATE ortk_fit_tool ortk_core)

# Its tests join the native suite.
target_sources(ortk_native_tests PRIVATE ${ORTK_FIT_TOOL_TEST_SOURCES})
target_link_libraries(ortk_native_tests PRIVATE ortk_fit_tool)
target_compile_definitions(ortk_native_tests PRIVATE ORTK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
