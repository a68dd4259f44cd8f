# ortk-fit: the transform fitting on the command line, built natively and as
# a Windows console program (ortk-fit.exe) from the same sources: the tool's
# portable code (stable fit, diagnostics, JSON and SVG outputs) in the static
# library ortk_fit_tool, linked before ortk_core.
include(tools/fit/sources.cmake)
add_library(ortk_fit_tool STATIC ${ORTK_FIT_TOOL_SOURCES})
target_link_libraries(ortk_fit_tool PUBLIC ortk_core)
# nlohmann-json (Debian's nlohmann-json3-dev) reads the fits back. Its
# headers are found through a folder that holds only them, so that the
# Windows builds do not see the rest of /usr/include.
if(NOT EXISTS /usr/include/nlohmann/json.hpp)
  message(FATAL_ERROR "nlohmann-json3-dev is missing: run scripts/install-deps.sh")
endif()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/json-include)
file(CREATE_LINK /usr/include/nlohmann ${CMAKE_BINARY_DIR}/json-include/nlohmann SYMBOLIC)
target_include_directories(ortk_fit_tool SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/json-include)
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
