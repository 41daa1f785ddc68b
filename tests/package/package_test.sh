#!/usr/bin/env bash
# The release as a user receives it:
#   package_test.sh DIST VERSION APP_ID
# tools/package.sh run twice from this tree, in two build folders, makes the same .deb, zip and
# Tarvik.exe; the .deb passes lintian, holds the installed files and depends on the libraries
# the program links; the zip holds Tarvik.exe and its read-me; SHA256SUMS holds. Then the .deb is
# installed: tarvik is on the PATH, starts on a desktop with its window class and closes by its
# close button; removed, it leaves none of its files. DIST keeps the first release (the installer
# test runs its setup program). Exits 77 when a tarvik package is already installed here.
set -u
dist="$1" version="$2" app_id="$3"
root="$(cd "$(dirname "$0")/../.." && pwd)"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() { [ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }; }

if dpkg-query -W -f='${Status}' tarvik 2>/dev/null | grep -q "install ok installed"; then
  echo "package_test: a tarvik package is installed on this machine already; not replacing it (skipped)"
  exit 77
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}"
TARVIK_PACKAGE_BUILD="$work/build-a" "$root/tools/package.sh" "$dist" || { echo "FAIL: the first package build failed"; exit 1; }
TARVIK_PACKAGE_BUILD="$work/other/build-b" "$root/tools/package.sh" "$work/dist-b" >/dev/null ||
  { echo "FAIL: the second package build failed"; exit 1; }

deb="$dist/tarvik_${version}_$(dpkg --print-architecture).deb"
zip="$dist/Tarvik-$version-win32.zip"
setup="$dist/Tarvik-$version-setup.exe"
for f in "$deb" "$zip" "$setup" "$dist/SHA256SUMS"; do [ -s "$f" ] || fail "expected $f to be written"; done
finish

# One commit, two builds: the same bytes.
for pair in "$deb|$work/dist-b/$(basename "$deb")" "$zip|$work/dist-b/$(basename "$zip")" \
            "$work/build-a/win32/Tarvik.exe|$work/other/build-b/win32/Tarvik.exe"; do
  cmp -s "${pair%%|*}" "${pair#*|}" || fail "expected ${pair%%|*} and ${pair#*|} to be byte-identical; they differ"
done
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "expected SHA256SUMS to match the files"

lintian --fail-on error "$deb" || fail "expected lintian to report no errors (above)"
contents="$(dpkg-deb -c "$deb" | awk '{ print $6 }')"
for path in ./usr/bin/tarvik "./usr/share/applications/$app_id.desktop" "./usr/share/metainfo/$app_id.metainfo.xml" \
            ./usr/share/man/man1/tarvik.1.gz ./usr/share/doc/tarvik/copyright ./usr/share/doc/tarvik/changelog.gz \
            "./usr/share/icons/hicolor/16x16/apps/$app_id.png" "./usr/share/icons/hicolor/256x256/apps/$app_id.png"; do
  grep -qxF "$path" <<<"$contents" || fail "expected the package to hold $path"
done
depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libc6 libgtk-3-0 libcairo2 libpango-1.0-0 libglib2.0-0 libxext6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "expected the package to depend on $lib, its Depends: $depends"
done
zipped="$(unzip -Z1 "$zip" | tr '\n' ' ')"
[ "$zipped" = "Tarvik-$version-win32/README.txt Tarvik-$version-win32/Tarvik.exe " ] ||
  fail "expected the zip to hold Tarvik-$version-win32/README.txt and Tarvik.exe alone, it holds: $zipped"
finish

# Installed as a user installs it.
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -q --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; echo "FAIL: expected apt-get to install $deb"; exit 1; }
installed="$(dpkg-query -L tarvik | while read -r p; do [ -f "$p" ] && echo "$p"; done)"
[ "$(command -v tarvik)" = /usr/bin/tarvik ] || fail "expected tarvik on the PATH at /usr/bin/tarvik, got '$(command -v tarvik)'"
[ "$(tarvik --version)" = "tarvik $version" ] || fail "expected the installed tarvik --version to say tarvik $version"
shot="${TARVIK_TEST_OUT:-$work}/installed-tarvik.png"
"$root/tools/with-desktop.sh" sh -c '
  tarvik & pid=$!
  window=""
  for i in $(seq 1 600); do
    window=$(xdotool search --onlyvisible --name "^Lumenta$" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 $pid 2>/dev/null || { echo "FAIL: expected a window named Lumenta; the program ended first"; exit 1; }
    sleep 0.1
  done
  [ -n "$window" ] || { echo "FAIL: expected a window named Lumenta within 60 s"; kill $pid; exit 1; }
  class=$(xprop -id "$window" WM_CLASS)
  case "$class" in *"= \"$1\", \"$1\"") ;; *) echo "FAIL: expected the window name and class $1, got: $class"; kill $pid; exit 1 ;; esac
  import -window root "$2"
  # The close button, 259..275 across and 8..23 down in the window.
  xdotool mousemove --window "$window" 267 15 click 1
  for i in $(seq 1 600); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && { echo "FAIL: expected tarvik to end after a click on close"; kill $pid; exit 1; }
  wait $pid || { echo "FAIL: expected status 0 after close, got $?"; exit 1; }
' sh "$app_id" "$shot" || fail "expected the installed tarvik to open its window and close by its button (above)"

apt-get remove --purge -y -q tarvik >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "expected apt-get to remove tarvik"; }
left="$(for p in $installed; do [ -e "$p" ] && echo "$p"; done)"
[ -z "$left" ] || fail "expected no file of the package left after its removal, found: $left"
[ -z "$(command -v tarvik)" ] || fail "expected no tarvik on the PATH after removal"
finish
echo "package_test: reproducible, lintian-clean, installed, started ($shot), removed without leftovers"
