# What `cmake --install` puts in place for users, and the Debian package made from it:
# bin/sfxpack, the stubs it packs by default in share/sfx, its man page, its bash completion, and
# in share/doc/sfxpack its copyright file, changelog, third-party notices and documents.

install(TARGETS sfxpack RUNTIME DESTINATION bin)
# The man page and the changelog go in gzipped, as Debian ships them; -n keeps the bytes free of a
# time stamp, so the same sources give the same package.
find_program(SFX_GZIP gzip)
foreach(doc "tools/sfxpack/share/sfxpack.1;share/man/man1" "packaging/changelog;share/doc/sfxpack")
  list(GET doc 0 source)
  list(GET doc 1 destination)
  get_filename_component(name ${source} NAME)
  if(SFX_GZIP)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${name}.gz
      COMMAND ${SFX_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/${source} > ${CMAKE_BINARY_DIR}/${name}.gz
      DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
    add_custom_target(sfxdoc_${name} ALL DEPENDS ${CMAKE_BINARY_DIR}/${name}.gz)
    install(FILES ${CMAKE_BINARY_DIR}/${name}.gz DESTINATION ${destination})
  else()
    install(FILES ${PROJECT_SOURCE_DIR}/${source} DESTINATION ${destination})
  endif()
endforeach()
# The terms: the copyright file in Debian's machine-readable form, and the licence texts of what
# the binaries carry from others. LICENSE, which the documents link to, is a link to the copyright
# file, which holds the same licence: one copy of the terms, as Debian asks.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_SOURCE_DIR}/THIRD_PARTY_NOTICES.txt
        DESTINATION share/doc/sfxpack)
file(CREATE_LINK copyright ${CMAKE_BINARY_DIR}/LICENSE SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/LICENSE DESTINATION share/doc/sfxpack)
# The documents, laid out as in the clone so that their links between them work where they are
# installed: the README, docs/, the benchmark results with their plots, and the CMake example.
# The Windows zip carries the same (cmake/Package.cmake).
file(GLOB SFX_DOCUMENTS RELATIVE ${PROJECT_SOURCE_DIR} CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md
     ${PROJECT_SOURCE_DIR}/bench/*.png)
file(GLOB_RECURSE SFX_EXAMPLE RELATIVE ${PROJECT_SOURCE_DIR} CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/cmake/*)
list(APPEND SFX_DOCUMENTS README.md bench/results.md ${SFX_EXAMPLE})
list(SORT SFX_DOCUMENTS)
foreach(document ${SFX_DOCUMENTS})
  get_filename_component(folder ${document} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${document} DESTINATION share/doc/sfxpack/${folder})
endforeach()
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
set(CPACK_PACKAGE_CONTACT "sfx developers <sfx-developers@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "builds, lists, verifies and extracts self-extracting Windows installers")
# The extended description; CPack puts the summary above it.
set(CPACK_PACKAGE_DESCRIPTION [[sfxpack packs files behind a small Windows stub into one installer
that unpacks them and starts a set-up program. It lists, verifies and
extracts existing installers without trusting them, and re-stubs them.
Both stubs, the 32-bit sfxstub.exe and the 64-bit sfxstub64.exe, are
included; the installers run on Windows.]])
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# Depends comes from the libraries that sfxpack needs, found by dpkg-shlibdeps (dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
