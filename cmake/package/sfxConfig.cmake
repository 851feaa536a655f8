# The sfx package for CMake: find_package(sfx 1.0 CONFIG REQUIRED) gives the imported executable
# sfx::sfxpack, the stubs' paths in SFX_STUB and SFX_STUB64, and sfx_add_installer. Every path is
# found from this file's own place (<prefix>/lib/cmake/sfx), so a prefix copied elsewhere works.
# The real path: on a merged /usr, /lib/cmake/sfx is /usr/lib/cmake/sfx, and the prefix is /usr.
get_filename_component(_sfx_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." REALPATH)

if(NOT EXISTS "${_sfx_prefix}/bin/sfxpack")
  set(sfx_FOUND FALSE)
  set(sfx_NOT_FOUND_MESSAGE "no sfxpack at ${_sfx_prefix}/bin/sfxpack")
  return()
endif()
if(NOT TARGET sfx::sfxpack)
  add_executable(sfx::sfxpack IMPORTED)
  set_target_properties(sfx::sfxpack PROPERTIES IMPORTED_LOCATION "${_sfx_prefix}/bin/sfxpack")
endif()
set(SFX_STUB "${_sfx_prefix}/share/sfx/sfxstub.exe")
set(SFX_STUB64 "${_sfx_prefix}/share/sfx/sfxstub64.exe")
unset(_sfx_prefix)

include("${CMAKE_CURRENT_LIST_DIR}/sfxAddInstaller.cmake")
