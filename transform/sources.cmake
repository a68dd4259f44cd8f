list(APPEND ORTK_CORE_SOURCES transform/number_scan.cpp transform/allocation.cpp
  transform/control_points.cpp transform/residuals.cpp transform/normal_equations.cpp
  transform/models.cpp transform/fit_entry.cpp)
# The platform's file and memory calls, also linked into ortk-fit.
if(WIN32)
  set(ORTK_TRANSFORM_PLATFORM_SOURCES transform/platform_files_win32.cpp
    transform/platform_memory_win32.cpp)
  list(APPEND ORTK_SHELL_SOURCES ${ORTK_TRANSFORM_PLATFORM_SOURCES} transform/transform_export.cpp)
else()
  set(ORTK_TRANSFORM_PLATFORM_SOURCES transform/platform_files_posix.cpp
    transform/platform_memory_posix.cpp)
  list(APPEND ORTK_CORE_SOURCES ${ORTK_TRANSFORM_PLATFORM_SOURCES})
endif()
list(APPEND ORTK_EXPORTS CalculateTransformParams)
