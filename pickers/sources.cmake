list(APPEND ORTK_CORE_SOURCES pickers/picker_paths.cpp)
list(APPEND ORTK_SHELL_SOURCES pickers/drive_tree.cpp pickers/select_directory.cpp
  pickers/select_tables.cpp pickers/selected_files.cpp)
list(APPEND ORTK_EXPORTS SelectDirectory SelectMultipleTables)
