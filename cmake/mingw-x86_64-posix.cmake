# sfxpack.exe for 64-bit Windows: as mingw-x86_64.cmake, but with MinGW's POSIX thread model, whose
# C++ library has std::thread (sfxpack deflates on several threads); the stubs keep the plain one.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-x86_64.cmake)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
