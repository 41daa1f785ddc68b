#!/usr/bin/env bash
# Makes the release in DIST (default dist/): the native program's Debian package, the 32-bit
# Tarvik.exe as a zip and as an installer, and SHA256SUMS of the three. One commit always makes
# the same .deb, zip and Tarvik.exe: every time stamp is the commit's (SOURCE_DATE_EPOCH), no path
# of this machine goes into a file, and the archives list their files in one order.
#   tools/package.sh [DIST]    TARVIK_PACKAGE_BUILD names the build folder (default build-package/)
# Needs what `tools/setup.sh package` installs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dist="$(realpath -m "${1:-$root/dist}")"
work="$(realpath -m "${TARVIK_PACKAGE_BUILD:-$root/build-package}")"
jobs="$(nproc)"

say() { echo "package: $*"; }
fail() { echo "package: $*" >&2; exit 1; }

# --- The native program, built as Debian builds its packages (hardened, its paths mapped away).
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
# The last map that matches a path wins: the build folder may lie inside the source folder.
prefix_maps="-ffile-prefix-map=$root=. -ffile-prefix-map=$work=build"
say "building tarvik in $work/native"
cmake -S "$root" -B "$work/native" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTARVIK_WINDOWS_BUILDS=OFF -DBUILD_TESTING=OFF \
  -DCMAKE_CXX_FLAGS="$(flags CXXFLAGS) $(flags CPPFLAGS) $prefix_maps" -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
cmake --build "$work/native" -j"$jobs" --target tarvik
# shellcheck source=/dev/null
source "$work/native/generated/release.env"
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null || date -u -d "$release_date" +%s)"
fi
export SOURCE_DATE_EPOCH
stamp="@$SOURCE_DATE_EPOCH"

# --- The 32-bit Windows program.
say "building Tarvik.exe in $work/win32"
cmake -S "$root" -B "$work/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTARVIK_WINDOWS_BUILDS=OFF -DCMAKE_CXX_FLAGS="$prefix_maps" >/dev/null
cmake --build "$work/win32" -j"$jobs" --target Tarvik
exe="$work/win32/Tarvik.exe"

rm -rf "$dist" "$work/stage"
mkdir -p "$dist" "$work/stage"

# Files of a tree as a package expects them: directories 0755, files 0644 but programs 0755,
# every time stamp the commit's.
normalize() {
  local tree="$1"
  shift
  find "$tree" -type d -exec chmod 0755 {} +
  find "$tree" -type f -exec chmod 0644 {} +
  [ $# -eq 0 ] || chmod 0755 "$@"
  find "$tree" -exec touch -h -d "$stamp" {} +
}

# --- The Debian package.
arch="$(dpkg --print-architecture)"
deb="$dist/tarvik_${version}_${arch}.deb"
stage="$work/stage/deb"
DESTDIR="$stage" cmake --install "$work/native" --strip >/dev/null
# The compiler's banner goes too, as Debian's own packaging strips it.
strip --remove-section=.comment --remove-section=.note "$stage/usr/bin/tarvik"
doc="$stage/usr/share/doc/tarvik"
install -d "$doc"
install -m 0644 "$work/native/generated/copyright" "$doc/copyright"
{
  printf 'tarvik (%s) unstable; urgency=medium\n\n' "$version"
  printf '%s\n' "$release_note" | fold -s -w 74 | sed 's/ *$//; 1s/^/  * /; 2,$s/^/    /'
  printf '\n -- %s <%s>  %s\n' "$authors" "$contact" "$(date -u -R -d "$release_date")"
} | gzip -9n > "$doc/changelog.gz"
gzip -9nf "$stage/usr/share/man/man1/tarvik.1"
normalize "$stage" "$stage/usr/bin/tarvik"

# Dependencies from the libraries the program links, as dpkg-shlibdeps finds them.
shlib_dir="$work/stage/shlibdeps"
mkdir -p "$shlib_dir/debian"
printf 'Source: tarvik\n\nPackage: tarvik\nArchitecture: any\n' > "$shlib_dir/debian/control"
depends="$(cd "$shlib_dir" && dpkg-shlibdeps -O "$stage/usr/bin/tarvik" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')"
[ -n "$depends" ] || fail "dpkg-shlibdeps found no dependencies of $stage/usr/bin/tarvik"
installed_kib="$(find "$stage" -type f -printf '%s\n' | awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }')"
mkdir -p "$stage/DEBIAN"
(cd "$stage" && find usr -type f | LC_ALL=C sort | xargs md5sum) > "$stage/DEBIAN/md5sums"
cat > "$stage/DEBIAN/control" <<EOF
Package: tarvik
Version: $version
Architecture: $arch
Maintainer: $authors <$contact>
Installed-Size: $installed_kib
Depends: $depends
Section: x11
Priority: optional
Homepage: $homepage
Description: borderless window that draws its own frame
 Tarvik opens Lumenta, a single window that needs no frame from the window
 manager: it paints its own title bar and icon, its own minimize, maximize
 and close buttons with hover and pressed looks and tooltips, and cuts its
 outline to rounded corners. The title bar moves it; its right edge, bottom
 edge and bottom-right corner size it.
EOF
normalize "$stage"
chmod 0755 "$stage/usr/bin/tarvik"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
say "wrote $deb"

# --- The zip: Tarvik.exe and its read-me in a folder named for the release.
zip_name="Tarvik-$version-win32"
zip_stage="$work/stage/zip"
mkdir -p "$zip_stage/$zip_name"
install -m 0644 "$exe" "$zip_stage/$zip_name/Tarvik.exe"
# Windows' own line ends for Notepad.
sed 's/$/\r/' "$work/win32/generated/README.txt" > "$zip_stage/$zip_name/README.txt"
find "$zip_stage" -exec touch -h -d "$stamp" {} +
(cd "$zip_stage" && TZ=UTC zip -q -X -D -9 "$dist/$zip_name.zip" "$zip_name/README.txt" "$zip_name/Tarvik.exe")
say "wrote $dist/$zip_name.zip"

# --- The installer (NSIS: per user, a Start menu entry, an uninstall entry, /S for silence).
setup="$dist/Tarvik-$version-setup.exe"
makensis -V2 -DVERSION="$version" -DVERSION_QUAD="$version_quad" -DEXE="$zip_stage/$zip_name/Tarvik.exe" \
  -DREADME="$zip_stage/$zip_name/README.txt" -DICON="$root/assets/window.ico" -DOUTFILE="$setup" \
  "$root/packaging/windows/tarvik.nsi" >/dev/null
say "wrote $setup"

(cd "$dist" && sha256sum "$(basename "$deb")" "$zip_name.zip" "$(basename "$setup")" > SHA256SUMS)
say "wrote $dist/SHA256SUMS"
