# ortk-fit: the transform fitting on the command line.
add_executable(ortk-fit tools/ortk_fit.cpp)
target_link_libraries(ortk-fit PRIVATE ortk_core)
