# ortk-fit: the transform fitting on the command line, built natively and as
# a Windows console program (ortk-fit.exe) from the same source list. New
# source files of the tool belong in ORTK_FIT_SOURCES.
set(ORTK_FIT_SOURCES tools/ortk_fit.cpp)
add_executable(ortk-fit ${ORTK_FIT_SOURCES})
target_link_libraries(ortk-fit PRIVATE ortk_core)
if(WIN32)
  # The reader's Windows file and memory calls, without the rest of the
  # shell; the runtime linked statically, so that only system DLLs are
  # imported.
  target_sources(ortk-fit PRIVATE ${ORTK_TRANSFORM_PLATFORM_SOURCES})
  target_link_libraries(ortk-fit PRIVATE ${ORTK_STATIC_LINK} ${ORTK_SHIPPED_LINK})
endif()
