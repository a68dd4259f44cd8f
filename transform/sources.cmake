list(APPEND ORTK_CORE_SOURCES transform/number_scan.cpp transform/allocation.cpp
  transform/control_points.cpp transform/residuals.cpp transform/normal_equations.cpp
  transform/models.cpp transform/fit_entry.cpp)
if(WIN32)
  list(APPEND ORTK_SHELL_SOURCES transform/platform_files_win32.cpp
    transform/transform_export.cpp)
else()
  list(APPEND ORTK_CORE_SOURCES transform/platform_files_posix.cpp)
endif()
list(APPEND ORTK_EXPORTS CalculateTransformParams)
