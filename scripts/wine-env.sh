# The environment every Wine run of the project shares; sourced by the scripts and the tests.
# No display, no Mono, no Gecko, no menu entries: none is needed, and each would slow a start.
unset DISPLAY
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Where the kernel can't run i386 programs, qemu runs Wine's 32-bit loader and reads this. With a
# reserved guest address space qemu scans it page by page for each mapping, so the size rules
# the start-up time: Wine needs the 2 GiB below 0x80000000 and about 16 MiB above, and a 32-bit
# start took 41 s of CPU with 0xc0000000 reserved, 5 s with 0x84000000 and 3.4 s with 0x82000000
# (32 MiB above, twice what it needs).
export QEMU_RESERVED_VA=0x82000000
