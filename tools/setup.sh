#!/usr/bin/env bash
# Installs what Tarvik needs on Debian 12, builds what the mode needs, and runs it:
#   run          the native Linux program, tarvik (GTK 3), on your display or a virtual desktop
#   run-windows  the Windows program, Tarvik.exe, under Wine
#   test         every test
#   package      the release in dist/: the Debian package, the Windows installer and zip (tools/package.sh)
set -euo pipefail
mode="${1:-run}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"

# The native program and its virtual desktop (a window manager and a taskbar where there is no display);
# XTest and Damage for the drag measurement (tools/measure-drag.sh).
native=(cmake g++ make pkg-config libgtest-dev libbenchmark-dev libcairo2-dev libpango1.0-dev
        libgtk-3-dev libxtst-dev libxdamage-dev fonts-liberation fonts-wqy-microhei xvfb openbox tint2 xdotool imagemagick x11-utils wmctrl)
# Screen-reader tests: an AT-SPI client on a session bus of its own.
a11y=(python3-pyatspi at-spi2-core dbus-daemon dbus-x11)
# The desktop tests' other window managers: Xfce's, IceWM (with its own taskbar), GNOME's in X11
# mode and KDE's (about 7 minutes to install together).
desktops=(xfwm4 icewm mutter kwin-x11)
# The Wayland desktops (tools/with-wayland.sh): mutter (above) and sway, each nested in Xvfb.
wayland=(sway swaybg)
# The Windows program, cross-built, Wine to run it, and pefile to read the built files in the tests.
windows=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 qemu-user-static wine32:i386 python3-pefile)
# The sanitizer build and the fuzzer; the profilers the performance notes name (perf, an X protocol tracer).
checks=(clang libclang-rt-14-dev linux-perf xtrace)
# The release: the 32-bit Windows compiler, NSIS for the installer, zip, dpkg's tools for the
# Debian package; for its tests also lintian and the desktop entry and AppStream validators.
release=(g++-mingw-w64-i686 nsis zip dpkg-dev git)
release_checks=(lintian desktop-file-utils appstream unzip)

case "$mode" in
  run) packages=("${native[@]}") ;;
  run-windows) packages=("${native[@]}" "${windows[@]}") ;;
  test) packages=("${native[@]}" "${windows[@]}" "${a11y[@]}" "${desktops[@]}" "${wayland[@]}" "${checks[@]}" "${release[@]}"
                  "${release_checks[@]}") ;;
  package) packages=("${native[@]}" "${release[@]}") ;;
  *)
    echo "usage: setup.sh run|run-windows|test|package" >&2
    exit 2
    ;;
esac

# The shipping Windows program is 32-bit: Wine's 32-bit loader comes from the i386 architecture.
if [ "$mode" != run ] && [ "$mode" != package ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

[ "$mode" = package ] && exec bash "$root/tools/package.sh" "$root/dist"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
case "$mode" in
  run)
    cmake --build "$build" -j"$(nproc)" --target tarvik
    exec bash "$root/tools/run-tarvik.sh" "$build"
    ;;
  run-windows)
    cmake --build "$build" -j"$(nproc)"
    exec bash "$root/tools/run-tarvik-windows.sh" "$build"
    ;;
  test)
    cmake --build "$build" -j"$(nproc)"
    # Every test must pass at its first try: no retries (tools/soak.sh checks that under load).
    (cd "$build" && ctest --output-on-failure -j"$(nproc)")
    # The same unit and scenario tests under ASan and UBSan (undefined behaviour fatal), and the
    # scenario fuzzer for a bounded time; no Windows builds here.
    cd "$root"
    cmake --preset asan >/dev/null
    cmake --build --preset asan -j"$(nproc)"
    ctest --preset asan -j"$(nproc)"
    # The native program itself, GTK backend and all, under the sanitizers in one desktop scenario.
    ctest --preset asan-desktop
    ;;
esac
