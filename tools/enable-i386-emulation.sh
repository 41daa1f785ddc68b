#!/usr/bin/env bash
# Makes Wine's 32-bit loader runnable. On a kernel without 32-bit support it registers qemu's
# user-mode i386 emulator with binfmt_misc (needs root); elsewhere it changes nothing.
# Exits 0 when 32-bit Wine runs afterwards.
set -u
runs() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
runs && exit 0
[ -x /usr/bin/qemu-i386-static ] || { echo "enable-i386-emulation: qemu-user-static is not installed" >&2; exit 1; }
misc=/proc/sys/fs/binfmt_misc
if [ ! -e "$misc/register" ]; then
  mount -t binfmt_misc binfmt_misc "$misc" 2>/dev/null || { echo "enable-i386-emulation: cannot mount binfmt_misc" >&2; exit 1; }
fi
if [ ! -e "$misc/qemu-i386" ]; then
  # 32-bit little-endian ELF executables and shared objects for the i386 machine.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    > "$misc/register" 2>/dev/null || { echo "enable-i386-emulation: cannot register qemu-i386" >&2; exit 1; }
fi
runs || { echo "enable-i386-emulation: 32-bit Wine still does not run" >&2; exit 1; }
