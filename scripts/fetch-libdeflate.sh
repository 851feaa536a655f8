#!/usr/bin/env bash
# Fetches Debian's libdeflate source package for sfxpack.exe (see fetch-source.sh), which Debian
# ships no MinGW build of, and prints the source tree's path: built into sfxpack.exe, it deflates
# as the Linux tool does, byte for byte. Exit status 1 when it can't be had: sfxpack.exe then
# deflates with zlib alone.
exec bash "$(dirname "$0")/fetch-source.sh" libdeflate 1.14-1 \
  1f82791c5ac5623ed110e09cc991471deebfe4c419414392d1242e122c6f4c19 lib/deflate_compress.c
