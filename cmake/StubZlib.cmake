# zlib's inflater for the stub, as the target sfxzlib: built for size from Debian's zlib source
# package (fetched into a cache outside the clone by scripts/fetch-zlib.sh), or, when that source
# can't be had, Debian's static MinGW libz.a, which is about 16 KB larger.
include(${CMAKE_CURRENT_LIST_DIR}/StubZlibVersion.cmake)
set(SFX_ZLIB_SOURCE "" CACHE PATH "An unpacked zlib source tree for the stub (empty: Debian's, fetched)")

set(sfx_zlib_tree "${SFX_ZLIB_SOURCE}")
if(NOT sfx_zlib_tree)
  execute_process(COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/fetch-zlib.sh
                  OUTPUT_VARIABLE sfx_zlib_tree RESULT_VARIABLE sfx_zlib_status
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT sfx_zlib_status EQUAL 0)
    set(sfx_zlib_tree "")
  endif()
endif()

if(sfx_zlib_tree AND EXISTS "${sfx_zlib_tree}/inflate.c")
  message(STATUS "sfx: zlib's inflater built for size from ${sfx_zlib_tree}")
  # Only what inflateInit, inflate and inflateEnd reach, copied into the build tree so that the
  # build does not lean on the cache (and configure runs again should a cached file change).
  # Without the gzip paths inflate never calls crc32, so its tables stay out too.
  set(sfx_zlib_dir ${CMAKE_BINARY_DIR}/zlib)
  set(sfx_zlib_sources inflate.c inftrees.c inffast.c zutil.c adler32.c)
  foreach(name ${sfx_zlib_sources} zlib.h zconf.h zutil.h gzguts.h
                    inflate.h inftrees.h inffast.h inffixed.h)
    configure_file(${sfx_zlib_tree}/${name} ${sfx_zlib_dir}/${name} COPYONLY)
  endforeach()
  list(TRANSFORM sfx_zlib_sources PREPEND ${sfx_zlib_dir}/)
  add_library(sfxzlib STATIC ${sfx_zlib_sources})
  target_compile_definitions(sfxzlib PRIVATE NO_GZIP BUILDFIXED)
  # zlib's own code, built as it is: its warnings are not ours to fix.
  target_compile_options(sfxzlib PRIVATE -Os -w -fno-data-sections)
  target_include_directories(sfxzlib PUBLIC ${sfx_zlib_dir})
else()
  message(WARNING "sfx: no zlib source tree (${sfx_zlib_tree}${SFX_ZLIB_SOURCE}; see fetch-zlib above): "
                  "the stub links Debian's static MinGW libz.a instead and comes out about 16 KB larger")
  find_path(SFX_ZLIB_INCLUDE zlib.h REQUIRED)
  find_library(SFX_ZLIB_STATIC NAMES libz.a REQUIRED)
  add_library(sfxzlib INTERFACE)
  target_include_directories(sfxzlib INTERFACE ${SFX_ZLIB_INCLUDE})
  target_link_libraries(sfxzlib INTERFACE ${SFX_ZLIB_STATIC})
  set(sfx_zlib_dir ${SFX_ZLIB_INCLUDE})
endif()

# sfxpack's bills of materials name the pinned version as the stubs' zlib: the zlib compiled in
# must be that one.
file(STRINGS ${sfx_zlib_dir}/zlib.h sfx_zlib_header REGEX "^#define ZLIB_VERSION ")
if(NOT sfx_zlib_header MATCHES "\"${SFX_STUB_ZLIB_VERSION}\"")
  message(FATAL_ERROR "sfx: the stub's zlib.h says ${sfx_zlib_header}, but scripts/fetch-zlib.sh pins "
                      "${SFX_STUB_ZLIB_VERSION}, which sfxpack's bills of materials name")
endif()
