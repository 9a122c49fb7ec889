# Cross-builds for 64-bit Windows with Debian's mingw-w64 (POSIX thread model).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake -DMZ_WINDOWS_DEPS=<prefix>
# MZ_WINDOWS_DEPS is the prefix scripts/windows/deps.sh prints (GoogleTest, fmt, Connector/C).
# MZ_WINDOWS_EMULATOR runs a Windows program here (scripts/windows/wine-run.sh sets up the
# lane's private Wine prefix); CTest uses it for test discovery and for every test.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MZ_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MZ_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MZ_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MZ_MINGW_TRIPLE}-windres)

set(MZ_WINDOWS_DEPS "" CACHE PATH "Prefix holding the Windows builds of the dependencies")
set(MZ_WINDOWS_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/windows/wine-run.sh"
    CACHE FILEPATH "Runs a Windows program on this machine")
set(CMAKE_CROSSCOMPILING_EMULATOR "${MZ_WINDOWS_EMULATOR}")

# Try-compile projects get the toolchain file but not the cache: pass the prefix on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MZ_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${MZ_MINGW_TRIPLE})
if(MZ_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH "${MZ_WINDOWS_DEPS}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry the compiler's own runtime (libgcc, libstdc++, winpthread) so that only
# system DLLs and libmariadb.dll sit beside them. -static only affects archives the linker
# chooses; import libraries named by full path (libmariadb.dll.a) stay dynamic.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
