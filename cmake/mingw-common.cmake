# Shared by the two toolchain files: cross-compiles the Windows program with mingw-w64
# from Linux for the architecture whose compiler prefix QW_MINGW_PREFIX names.
set(CMAKE_SYSTEM_NAME Windows)

# The -posix variant brings std::thread and std::mutex; the program itself uses
# Win32 threads, the tests may use either.
find_program(CMAKE_C_COMPILER NAMES ${QW_MINGW_PREFIX}-gcc-posix ${QW_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QW_MINGW_PREFIX}-g++-posix ${QW_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QW_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${QW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
