# What a host install adds for other builds: the CMake package (lib/cmake/sfx, found with
# find_package(sfx 1.0 CONFIG REQUIRED)).
include(CMakePackageConfigHelpers)
# Any architecture may use it: a project cross-compiling for 32-bit Windows runs the host's sfxpack.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sfxConfigVersion.cmake VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/package/sfxConfig.cmake
              ${PROJECT_SOURCE_DIR}/cmake/package/sfxAddInstaller.cmake
              ${CMAKE_BINARY_DIR}/sfxConfigVersion.cmake
        DESTINATION lib/cmake/sfx)

