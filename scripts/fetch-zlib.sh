#!/usr/bin/env bash
# Fetches Debian's zlib source package for the stub's size-built inflater (see fetch-source.sh)
# and prints the source tree's path. Exit status 1 when it can't be had: the stub build then falls
# back to Debian's static MinGW libz.a.
exec bash "$(dirname "$0")/fetch-source.sh" zlib 1:1.2.13.dfsg-1 \
  3fa1e6b2fc525062aa88207dda52fed8e045373c809d362fe8a2bfbf7cf515a8 inflate.c
