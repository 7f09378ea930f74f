set(CMAKE_C_COMPILER ${TAVION_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVION_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVION_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVION_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Link the MinGW runtime (libgcc, libstdc++, winpthread) statically, so the binaries run on a
# Windows machine that has nothing installed.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
