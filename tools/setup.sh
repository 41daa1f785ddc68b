#!/usr/bin/env bash
# Installs what Tarvik needs on Debian 12, builds it, and runs the program ("run") or every test ("test").
set -euo pipefail
mode="${1:-run}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"

packages=(cmake g++ make pkg-config libgtest-dev libcairo2-dev libpango1.0-dev libgdk-pixbuf-2.0-dev
          fonts-liberation g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb xdotool imagemagick
          x11-utils qemu-user-static wine32:i386 libgtk-3-dev fonts-wqy-microhei openbox tint2)

# The shipping program is 32-bit: Wine's 32-bit loader comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
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

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"

case "$mode" in
  run)
    exec bash "$root/tools/run-tarvik.sh" "$build"
    ;;
  test)
    cd "$build" && ctest --output-on-failure -j"$(nproc)"
    ;;
  *)
    echo "usage: setup.sh run|test" >&2
    exit 2
    ;;
esac
