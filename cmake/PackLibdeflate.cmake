# libdeflate for sfxpack.exe, as the target sfxlibdeflate: Debian ships no MinGW build of it, so
# its source package (fetched into a cache outside the clone by scripts/fetch-libdeflate.sh) is
# built in, and sfxpack.exe deflates as the Linux tool does, byte for byte. Without it sfxpack.exe
# deflates with zlib alone. Sets SFX_PACK_LIBDEFLATE and SFX_PACK_LIBDEFLATE_INCLUDE when it can.
execute_process(COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/fetch-libdeflate.sh
                OUTPUT_VARIABLE sfx_libdeflate_tree RESULT_VARIABLE sfx_libdeflate_status
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(sfx_libdeflate_status EQUAL 0 AND EXISTS "${sfx_libdeflate_tree}/lib/deflate_compress.c")
  message(STATUS "sfx: libdeflate built into sfxpack.exe from ${sfx_libdeflate_tree}")
  set(sfx_libdeflate_sources deflate_compress.c deflate_decompress.c zlib_compress.c zlib_decompress.c
                             adler32.c crc32.c utils.c x86/cpu_features.c)
  list(TRANSFORM sfx_libdeflate_sources PREPEND ${sfx_libdeflate_tree}/lib/)
  add_library(sfxlibdeflate STATIC ${sfx_libdeflate_sources})
  # libdeflate's own code, built as it is: its warnings are not ours to fix.
  target_compile_options(sfxlibdeflate PRIVATE -O2 -w)
  target_include_directories(sfxlibdeflate PRIVATE ${sfx_libdeflate_tree})
  set(SFX_PACK_LIBDEFLATE sfxlibdeflate)
  set(SFX_PACK_LIBDEFLATE_INCLUDE ${sfx_libdeflate_tree})
else()
  message(WARNING "sfx: no libdeflate source tree (see fetch-libdeflate above): sfxpack.exe deflates with "
                  "zlib alone, levels 10 to 12 as 9, and its installers differ from the Linux tool's")
endif()
