# Cross toolchain for the tests: 32-bit Windows with MinGW-w64, POSIX threads (std::mutex, std::thread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# CTest runs each test program through this launcher: Wine, with another try
# only when Wine fails to start the program.
get_filename_component(LUM_WINE_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine_test.sh ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${LUM_WINE_LAUNCHER})
