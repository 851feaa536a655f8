# The upstream version of the zlib that the stubs link statically, as SFX_STUB_ZLIB_VERSION:
# read from the pin in scripts/fetch-zlib.sh, the one place it is written, so that the stub
# build (cmake/StubZlib.cmake checks the zlib.h it compiles against it) and sfxpack's bills of
# materials can't drift apart.
file(STRINGS ${PROJECT_SOURCE_DIR}/scripts/fetch-zlib.sh sfx_zlib_pin REGEX "fetch-source.sh\" zlib ")
if(NOT sfx_zlib_pin MATCHES " zlib [0-9]+:([0-9]+\\.[0-9]+(\\.[0-9]+)*)[.~+]")
  message(FATAL_ERROR "sfx: no zlib version pinned in scripts/fetch-zlib.sh")
endif()
set(SFX_STUB_ZLIB_VERSION ${CMAKE_MATCH_1})
