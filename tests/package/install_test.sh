#!/usr/bin/env bash
# The native program as `cmake --install` puts it in place, and its command line:
#   install_test.sh BUILD_DIR VERSION APP_ID
# The installed files are exactly the expected ones, the desktop entry and the AppStream metadata
# validate, each icon is a square RGBA picture of its folder's size; --help and --version answer
# without a display, and an unknown option or argument is refused without opening a window.
set -u
build="$1" version="$2" app_id="$3"
tarvik="$build/host/backends/gtk/tarvik"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

dest="$(mktemp -d)"
trap 'rm -rf "$dest"' EXIT
DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null || fail "expected cmake --install to succeed"

expected=(
  "usr/bin/tarvik"
  "usr/share/applications/$app_id.desktop"
  "usr/share/metainfo/$app_id.metainfo.xml"
  "usr/share/man/man1/tarvik.1"
)
for size in 16 32 48 64 128 256; do expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"); done
want="$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)"
got="$(cd "$dest" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)"
[ "$got" = "$want" ] || fail "expected the installed files:
$want
got:
$got"

desktop-file-validate "$dest/usr/share/applications/$app_id.desktop" ||
  fail "expected the desktop entry to validate (desktop-file-validate says the above)"
grep -qx "StartupWMClass=$app_id" "$dest/usr/share/applications/$app_id.desktop" ||
  fail "expected StartupWMClass=$app_id in the desktop entry"
appstreamcli validate --no-net --explain "$dest/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "expected the AppStream metadata to validate (appstreamcli says the above)"
grep -q "<release version=\"$version\"" "$dest/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "expected a release $version in the AppStream metadata"

for size in 16 32 48 64 128 256; do
  icon="$dest/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  shape="$(identify -format '%m %w %h %[channels]' "$icon" 2>&1)"
  [ "$shape" = "PNG $size $size srgba" ] || fail "expected $icon to be PNG $size $size srgba, got: $shape"
done

# Each run: the arguments, then the status, a text standard output must hold and one standard error
# must hold ("-" for nothing at all). No display is reachable, so a window would fail to open.
runs=(
  "--version|0|tarvik $version|-"
  "--help|0|--help-gtk|-"
  "--help-all|0|--display=DISPLAY|-"
  "--bogus|2|-|Unknown option --bogus"
  "-x|2|-|Try \"tarvik --help\" for more information."
  "stray|2|-|unexpected argument \"stray\""
  "--display=:4242|1|-|--display is \":4242\", but no display accepted"
)
for run in "${runs[@]}"; do
  IFS='|' read -r args status out err <<<"$run"
  out_file="$dest/out" err_file="$dest/err"
  # shellcheck disable=SC2086
  env -u DISPLAY -u WAYLAND_DISPLAY "$tarvik" $args >"$out_file" 2>"$err_file"
  got_status=$?
  [ "$got_status" = "$status" ] || fail "tarvik $args: expected status $status, got $got_status ($(head -c 300 "$err_file"))"
  if [ "$out" = "-" ]; then
    [ ! -s "$out_file" ] || fail "tarvik $args: expected nothing on standard output, got: $(head -c 300 "$out_file")"
  else
    grep -qF -- "$out" "$out_file" || fail "tarvik $args: expected \"$out\" on standard output, got: $(head -c 300 "$out_file")"
  fi
  if [ "$err" = "-" ]; then
    [ ! -s "$err_file" ] || fail "tarvik $args: expected nothing on standard error, got: $(head -c 300 "$err_file")"
  else
    grep -qF -- "$err" "$err_file" || fail "tarvik $args: expected \"$err\" on standard error, got: $(head -c 300 "$err_file")"
  fi
done
[ "$(env -u DISPLAY "$tarvik" --version)" = "tarvik $version" ] ||
  fail "expected --version to print exactly \"tarvik $version\""

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "install_test: the installed files, the entry, the metadata, the icons and the command line are as expected"
