list(APPEND ORTK_CORE_SOURCES util/path_split.cpp)
list(APPEND ORTK_SHELL_SOURCES util/path_exports.cpp)
