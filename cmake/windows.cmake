# Windows build with mingw-w64: ortk232.dll, its import library, the host
# stand-in ortkcall.exe, ortk-fit.exe and the Windows test programs.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/res -I${CMAKE_BINARY_DIR}/art")

# The runtime is linked statically: the programs import system DLLs only.
set(ORTK_STATIC_LINK -static -static-libgcc -static-libstdc++)
# Reproducible PE files: no link time in the headers; the shipped programs
# are also stripped of symbols and of the static runtime's debug sections,
# which name folders of the build machine.
add_link_options(-Wl,--no-insert-timestamp)
set(ORTK_SHIPPED_LINK -s)
set(ORTK_SYSTEM_LIBS user32 gdi32 comctl32 shell32 advapi32 ole32 version)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(ORTK_SETDIRECTORY_SYMBOL "?SetDirectory@@YAJPBD@Z")
else()
  set(ORTK_SETDIRECTORY_SYMBOL "?SetDirectory@@YAJPEBD@Z")
endif()
list(JOIN ORTK_EXPORTS "\n" ORTK_MORE_EXPORTS_TEXT)
set(ORTK_MORE_EXPORTS "${ORTK_MORE_EXPORTS_TEXT}")
configure_file(frame/ortk232.def.in ${CMAKE_BINARY_DIR}/ortk232.def @ONLY)

include(res/art.cmake OPTIONAL)
set(ORTK_RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/res/ortk232.rc)
set_source_files_properties(${ORTK_RESOURCE_SCRIPT} PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/res/strings.inc;${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_SOURCE_DIR}/res/version.h;${ORTK_ART_FILES}")

# The library's code without its entry point, shared by the DLL and by the
# test programs that call internal routines directly.
add_library(ortk_shell STATIC ${ORTK_SHELL_SOURCES})
target_link_libraries(ortk_shell PUBLIC ortk_core ${ORTK_SYSTEM_LIBS})
if(ORTK_ART_TARGET)
  add_dependencies(ortk_shell ${ORTK_ART_TARGET})
endif()

add_library(ortk232 SHARED frame/dllmain.cpp ${ORTK_RESOURCE_SCRIPT} ${CMAKE_BINARY_DIR}/ortk232.def)
set_target_properties(ortk232 PROPERTIES PREFIX "" OUTPUT_NAME ortk232)
target_link_libraries(ortk232 PRIVATE -Wl,--whole-archive ortk_shell -Wl,--no-whole-archive
  ortk_core ${ORTK_SYSTEM_LIBS} ${ORTK_STATIC_LINK} ${ORTK_SHIPPED_LINK} -Wl,--subsystem,windows)
set_target_properties(ortk232 PROPERTIES LINK_DEPENDS ${CMAKE_BINARY_DIR}/ortk232.def)
# The import library is made from the exported names, as the release
# package's is: ld's own would give the decorated SetDirectory the underscore
# of a 32-bit C name, which the export does not have, so a client declaring it
# as include/ortk232.h does would not link.
list(JOIN ORTK_EXPORTS "\n    " ORTK_IMPORT_NAMES)
file(WRITE ${CMAKE_BINARY_DIR}/ortk232-imports.def "LIBRARY ortk232.dll\nEXPORTS\n    ParsePath\n    \"${ORTK_SETDIRECTORY_SYMBOL}\"\n    ${ORTK_IMPORT_NAMES}\n")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(ORTK_DLLTOOL_MACHINE i386)
else()
  set(ORTK_DLLTOOL_MACHINE i386:x86-64)
endif()
add_custom_command(TARGET ortk232 POST_BUILD
  COMMAND llvm-dlltool -m ${ORTK_DLLTOOL_MACHINE} -D ortk232.dll -d ${CMAKE_BINARY_DIR}/ortk232-imports.def
    -l $<TARGET_LINKER_FILE:ortk232>
  VERBATIM)

file(GLOB ORTKCALL_SOURCES ${CMAKE_SOURCE_DIR}/tools/ortkcall/*.cpp)
add_executable(ortkcall ${ORTKCALL_SOURCES})
target_link_libraries(ortkcall PRIVATE user32 gdi32 ${ORTK_STATIC_LINK} ${ORTK_SHIPPED_LINK})
add_dependencies(ortkcall ortk232)

include(tools/native_tools.cmake OPTIONAL)

# One host process calling every export many times (scripts/check-dist.sh).
# It links to the DLL through its import library and the public header, as a
# host's compiled code would.
add_executable(ortk_soak tests/dist/soak.cpp)
target_include_directories(ortk_soak PRIVATE ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(ortk_soak PRIVATE ortk232 user32 gdi32 ${ORTK_STATIC_LINK})

# The test programs are built for both processors. Only the x86_64 ones run
# here under wine64 through ctest; the i686 ones run in the 32-bit test
# machine (scripts/vm32.sh, scripts/check-win32.sh).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  enable_testing()
endif()
add_subdirectory(${GTEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL)

# In-process tests of the shell, with the library's resources linked in.
add_executable(ortk_win_tests tests/win_main.cpp ${ORTK_WIN_TEST_SOURCES} ${ORTK_RESOURCE_SCRIPT})
target_link_libraries(ortk_win_tests PRIVATE -Wl,--whole-archive ortk_shell -Wl,--no-whole-archive
  GTest::gtest ${ORTK_STATIC_LINK})
add_test(NAME win_tests COMMAND ortk_win_tests)

# Dialogs and GDI in real windows: run on the test display.
if(ORTK_GUI_TEST_SOURCES)
  add_executable(ortk_gui_tests tests/win_main.cpp ${ORTK_GUI_TEST_SOURCES} ${ORTK_RESOURCE_SCRIPT})
  target_link_libraries(ortk_gui_tests PRIVATE -Wl,--whole-archive ortk_shell -Wl,--no-whole-archive
    GTest::gtest ${ORTK_STATIC_LINK})
  add_test(NAME gui_tests COMMAND ortk_gui_tests)
endif()

# The built DLL and ortkcall, through their exported names.
add_executable(ortk_dll_tests ${ORTK_DLL_TEST_SOURCES})
target_link_libraries(ortk_dll_tests PRIVATE GTest::gtest_main ${ORTK_SYSTEM_LIBS} ${ORTK_STATIC_LINK})
add_dependencies(ortk_dll_tests ortk232 ortkcall)
add_test(NAME dll_tests COMMAND ortk_dll_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
