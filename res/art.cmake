# Icons and banner bitmaps are generated at build time by the scripts in
# res/art/, into ${CMAKE_BINARY_DIR}/art where the resource compiler finds them.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ORTK_ART_DIR ${CMAKE_BINARY_DIR}/art)
set(ORTK_ART_FILES)
set(ORTK_ART_COMMANDS)
file(GLOB ORTK_ART_SCRIPTS ${CMAKE_SOURCE_DIR}/res/art/make_*.py)
foreach(script ${ORTK_ART_SCRIPTS})
  get_filename_component(stem ${script} NAME_WE)
  set(stamp ${ORTK_ART_DIR}/${stem}.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ORTK_ART_DIR}
    COMMAND ${Python3_EXECUTABLE} ${script} ${ORTK_ART_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${script}
    COMMENT "Generating artwork with ${stem}.py")
  list(APPEND ORTK_ART_FILES ${stamp})
endforeach()
if(ORTK_ART_FILES)
  add_custom_target(ortk_art DEPENDS ${ORTK_ART_FILES})
  set(ORTK_ART_TARGET ortk_art)
endif()
