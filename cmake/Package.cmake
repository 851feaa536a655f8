# What a host install adds for other builds: the CMake package (lib/cmake/sfx, found with
# find_package(sfx 1.0 CONFIG REQUIRED)), and the recipe of the Windows download, a zip of
# sfxpack.exe (the winpack preset's) with both stubs and the documents, made beside the .deb.
include(CMakePackageConfigHelpers)
# Any architecture may use it: a project cross-compiling for 32-bit Windows runs the host's sfxpack.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sfxConfigVersion.cmake VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/package/sfxConfig.cmake
              ${PROJECT_SOURCE_DIR}/cmake/package/sfxAddInstaller.cmake
              ${CMAKE_BINARY_DIR}/sfxConfigVersion.cmake
        DESTINATION lib/cmake/sfx)

# The zip's entries, as NAME=PATH; the licence and notices come from the clone's top, and the
# documents (SFX_DOCUMENTS, cmake/Install.cmake) keep their folders, so that their links work.
find_package(Python3 COMPONENTS Interpreter)
set(SFX_WINZIP ${CMAKE_BINARY_DIR}/package/sfx-${PROJECT_VERSION}-win64.zip)
set(SFX_WINZIP_DOCUMENTS)
foreach(document ${SFX_DOCUMENTS})
  list(APPEND SFX_WINZIP_DOCUMENTS ${document}=${PROJECT_SOURCE_DIR}/${document})
endforeach()
set(SFX_WINZIP_COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/winzip.py ${SFX_WINZIP}
  sfxpack.exe=${PROJECT_SOURCE_DIR}/build/winpack/sfxpack.exe
  sfxstub.exe=${SFX_STUB_sfxstub} sfxstub64.exe=${SFX_STUB_sfxstub64}
  LICENSE=${PROJECT_SOURCE_DIR}/LICENSE THIRD_PARTY_NOTICES.txt=${PROJECT_SOURCE_DIR}/THIRD_PARTY_NOTICES.txt
  sfxpack.txt=${PROJECT_SOURCE_DIR}/tools/sfxpack/share/sfxpack.1 ${SFX_WINZIP_DOCUMENTS})
add_custom_target(winzip COMMAND ${SFX_WINZIP_COMMAND} VERBATIM)
