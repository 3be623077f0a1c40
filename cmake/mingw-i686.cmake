# Cross toolchain: 32-bit Windows with MinGW-w64. LUM_THREAD_MODEL picks the
# compiler's thread model: posix (the default; the tests need std::mutex and
# std::thread) or win32 (the shipped program: its run-time imports nothing
# that Windows 95 and NT 4.0 lack).
if(NOT LUM_THREAD_MODEL)
  set(LUM_THREAD_MODEL posix)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LUM_THREAD_MODEL)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-${LUM_THREAD_MODEL})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${LUM_THREAD_MODEL})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# CTest runs each test program through this launcher: Wine, with another try
# only when Wine fails to start the program.
get_filename_component(LUM_WINE_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine_test.sh ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${LUM_WINE_LAUNCHER})
