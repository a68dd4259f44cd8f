list(APPEND ORTK_CORE_SOURCES frame/string_table.cpp)
list(APPEND ORTK_SHELL_SOURCES frame/afx.cpp frame/app.cpp frame/message_box.cpp)
