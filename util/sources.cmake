list(APPEND ORTK_CORE_SOURCES util/path_split.cpp)
list(APPEND ORTK_SHELL_SOURCES util/path_exports.cpp)
list(APPEND ORTK_CORE_SOURCES util/scramble.cpp util/date_text.cpp)
list(APPEND ORTK_SHELL_SOURCES util/ini_exports.cpp util/file_exports.cpp util/time_exports.cpp
  util/install_check.cpp util/text_width.cpp util/scramble_exports.cpp)
list(APPEND ORTK_EXPORTS DeleteINIFileSection DeleteINIFileKey CheckFileReadOnly
  GetAllUserAppDataDir GetLastModifiedDate GetTimeNow IsOrt3DInstalled GetTextWidth
  rv_encrypt rv_decrypt)
