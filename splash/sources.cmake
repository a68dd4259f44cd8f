list(APPEND ORTK_CORE_SOURCES splash/banner_text.cpp)
list(APPEND ORTK_SHELL_SOURCES splash/banner_box.cpp splash/splash_screen.cpp splash/about_box.cpp)
list(APPEND ORTK_EXPORTS ShowSplashScreen RemoveSplashScreen AboutOrtelan)
