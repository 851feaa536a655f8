# What `cmake --install` puts in place for users, and the Debian package made from it:
# bin/sfxpack, the stubs it packs by default in share/sfx, its man page and its bash completion.

install(TARGETS sfxpack RUNTIME DESTINATION bin)
# The man page goes in gzipped, as man pages are shipped; -n keeps the bytes free of a time stamp.
find_program(SFX_GZIP gzip)
if(SFX_GZIP)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/sfxpack.1.gz
    COMMAND ${SFX_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/tools/sfxpack/share/sfxpack.1 > ${CMAKE_BINARY_DIR}/sfxpack.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/sfxpack/share/sfxpack.1 VERBATIM)
  add_custom_target(sfxpackman ALL DEPENDS ${CMAKE_BINARY_DIR}/sfxpack.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/sfxpack.1.gz DESTINATION share/man/man1)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/tools/sfxpack/share/sfxpack.1 DESTINATION share/man/man1)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/tools/sfxpack/share/sfxpack.bash
        DESTINATION share/bash-completion/completions RENAME sfxpack)

# The stubs. With SFX_BUNDLE_STUBS each one whose MinGW compiler is present is built here as an
# external project (its own configure with the cross toolchain, only the stub target), so one
# configure and build of this tree gives an install that packs installers. Without it, or
# without the compiler, the stubs that the win32 and win64 presets built are taken when present.
include(ExternalProject)
foreach(stub "sfxstub;win32;i686" "sfxstub64;win64;x86_64")
  list(GET stub 0 name)
  list(GET stub 1 preset)
  list(GET stub 2 arch)
  find_program(SFX_MINGW_${arch} ${arch}-w64-mingw32-g++)
  if(SFX_BUNDLE_STUBS AND SFX_MINGW_${arch})
    set(dir ${CMAKE_BINARY_DIR}/stubs/${preset})
    ExternalProject_Add(${name}_bundled
      SOURCE_DIR ${PROJECT_SOURCE_DIR}
      BINARY_DIR ${dir}
      CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-${arch}.cmake
                 -DCMAKE_BUILD_TYPE=MinSizeRel
      BUILD_COMMAND ${CMAKE_COMMAND} --build ${dir} --target sfxstub
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON)
    add_dependencies(sfxpack ${name}_bundled)
    install(FILES ${dir}/${name}.exe DESTINATION share/sfx)
  else()
    set(dir ${PROJECT_SOURCE_DIR}/build/${preset})
    install(FILES ${dir}/${name}.exe DESTINATION share/sfx OPTIONAL)
  endif()
  set(SFX_STUB_${name} ${dir}/${name}.exe)
endforeach()
# sfxpack looks in these after the installed place, so that it runs from the build tree too;
# Stubs.cpp alone names them, so that the rest compiles alike, and hits the cache, in any clone.
set_source_files_properties(${PROJECT_SOURCE_DIR}/tools/sfxpack/cli/Stubs.cpp TARGET_DIRECTORY sfxpackcli
  PROPERTIES COMPILE_DEFINITIONS
  "SFX_BUNDLED_STUBS=\"${CMAKE_BINARY_DIR}/stubs\";SFX_PRESET_BUILDS=\"${PROJECT_SOURCE_DIR}/build\"")

include(cmake/Package.cmake)

# make package: a Debian package of the same install.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sfxpack)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "sfx developers <sfx@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "builds, lists, verifies and extracts self-extracting Windows installers")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6, zlib1g")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
