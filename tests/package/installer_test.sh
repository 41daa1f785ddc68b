#!/usr/bin/env bash
# The Windows installer end to end under Wine, as a user of 64-bit Windows meets it: a silent
# per-user install into a fresh prefix, the files, the entry in the list of installed programs,
# the Start menu shortcut opening the "Lumenta" window, and a silent uninstall that leaves nothing.
#   installer_test.sh Tarvik-1.0.0-setup.exe [VERSION] [SCREENSHOT.png]
# VERSION defaults to the one in the installer's file name. Exits 0 when every check holds, 1 on
# the first that fails, 77 (skipped) where 32-bit Wine cannot run.
set -u
self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
root="$(cd "$(dirname "$self")/../.." && pwd)"

kProduct="Tarvik"
kUninstallKey='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvik'
kPublisher="The Tarvik developers"
kWindowTitle="^Lumenta$"
# Emulated, a 32-bit program takes a minute or more to start; these only bound a hang.
kStartDeadline=900
kAppearDeadline=60
kEndDeadline=300
# The close button's middle and a point inside the frame, from the window's top-left corner.
kCloseX=266 kCloseY=15 kInsideX=150 kInsideY=100
kInsideColour="srgb(250,250,250)"
kSkipped=77

# Under qemu's i386 emulation, 32-bit Wine can place its fixed-address regions (the shared user
# data at 0x7ffe0000) only in a guest address space qemu reserves whole; elsewhere this is unused.
export QEMU_RESERVED_VA="${QEMU_RESERVED_VA:-0xffff0000}"

# Prints a progress line after the seconds since the test began.
Stamp() { echo "installer_test: [$(($(date +%s) - TARVIK_TEST_START)) s] $*"; }

# Reports a failed check and ends the test.
Fail() { echo "installer_test: FAIL: $*"; exit 1; }

# Prints a Windows environment variable of the prefix's user.
WindowsVar() { "$TARVIK_WINE" cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }

# Prints the ids of this prefix's Wine processes whose command line holds the text given.
PrefixProcesses() {
  local dir
  for dir in /proc/[0-9]*; do
    { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    { tr '\0' ' ' <"$dir/cmdline"; } 2>/dev/null | grep -qF "$1" && echo "${dir#/proc/}"
  done
}

# Prints a file's bytes as one line of hex digits.
Hex() { od -An -v -tx1 | tr -d ' \n'; }

# Prints a 16-bit count as the hex digits of its two little-endian bytes.
CountHex() { printf '%02x%02x' $(($1 % 256)) $(($1 / 256)); }

# Checks the installed program's values in the list of installed programs, one table row a value.
CheckUninstallEntry() {
  local installDir="$1" exeKib="$2" folderKib="$3" query name type value expected size
  query=$("$TARVIK_WINE" reg query "$kUninstallKey" 2>&1) ||
    Fail "expected the key $kUninstallKey after the install; reg query says: $query"
  query=$(printf '%s\n' "$query" | tr -d '\r')
  while IFS='|' read -r name expected; do
    value=$(printf '%s\n' "$query" | sed -n "s/^    $name    //p")
    [ "$value" = "$expected" ] || Fail "expected $name = '$expected', got '${value:-(missing)}'"
  done <<EOF
DisplayName|REG_SZ    $kProduct
DisplayVersion|REG_SZ    $version
DisplayIcon|REG_SZ    $installDir\\$kProduct.exe,0
Publisher|REG_SZ    $kPublisher
UninstallString|REG_SZ    "$installDir\\Uninstall.exe"
QuietUninstallString|REG_SZ    "$installDir\\Uninstall.exe" /S
InstallLocation|REG_SZ    $installDir
NoModify|REG_DWORD    0x1
NoRepair|REG_DWORD    0x1
EOF
  value=$(printf '%s\n' "$query" | sed -n 's/^    EstimatedSize    //p')
  type=${value%%    *}
  [ "$type" = REG_DWORD ] || Fail "expected EstimatedSize as REG_DWORD, got '${value:-(missing)}'"
  size=$((${value##* }))
  { [ "$size" -ge "$exeKib" ] && [ "$size" -le "$folderKib" ]; } ||
    Fail "expected EstimatedSize between the exe's $exeKib KiB and the folder's $folderKib KiB, got $size"
}

# Starts the program from its shortcut, waits for its window, takes the screenshot and closes it.
CheckShortcut() {
  local installDir="$1" shortcut="$2" shortcutUnix pid window X Y WIDTH HEIGHT SCREEN colour
  shortcutUnix=$("$TARVIK_WINE" winepath -u "$shortcut" 2>/dev/null)
  [ -f "$shortcutUnix" ] || Fail "expected the shortcut $shortcut after the install, it is missing"
  # A link stores its working directory as a count of UTF-16 units and the text (Windows counts
  # the characters, Wine the terminating null too).
  local text count
  text=$(printf '%s' "$installDir" | iconv -f UTF-8 -t UTF-16LE | Hex)
  count="($(CountHex ${#installDir})|$(CountHex $((${#installDir} + 1))))"
  Hex <"$shortcutUnix" | grep -qE "$count$text" ||
    Fail "expected the shortcut's working directory $installDir; $shortcut does not hold it"

  local log="$WINEPREFIX/start.log"
  "$TARVIK_WINE" start "$shortcut" >"$log" 2>&1 || Fail "expected start to open $shortcut; it failed: $(tail -n 3 "$log")"
  # start hands the link to the shell and returns: the program it opened runs on its own.
  pid=""
  for _ in $(seq 1 "$kAppearDeadline"); do
    pid=$(PrefixProcesses "$installDir\\$kProduct.exe" | head -n 1)
    [ -n "$pid" ] && break
    sleep 1
  done
  [ -n "$pid" ] || Fail "expected $installDir\\$kProduct.exe running after starting the shortcut, no such process"
  Stamp "the shortcut started process $pid; waiting for its window"
  window=""
  for _ in $(seq 1 "$kStartDeadline"); do
    window=$(xdotool search --name "$kWindowTitle" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || Fail "expected a window named Lumenta; the program ended first ($(tail -n 3 "$log"))"
    sleep 1
  done
  [ -n "$window" ] || Fail "expected a window named Lumenta within $kStartDeadline s, none came"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  local shot="${screenshot:-$WINEPREFIX/shot.png}"
  for _ in $(seq 1 "$kEndDeadline"); do
    import -window root "png:$shot"
    colour=$(convert "$shot" -format "%[pixel:p{$((X + kInsideX)),$((Y + kInsideY))}]" info:)
    [ "$colour" = "$kInsideColour" ] && break
    sleep 1
  done
  [ "$colour" = "$kInsideColour" ] || Fail "expected the painted frame ($kInsideColour inside the window), got $colour"
  Stamp "window $window at $X,$Y sized ${WIDTH}x$HEIGHT; closing it with its close button"
  xdotool mousemove $((X + kCloseX)) $((Y + kCloseY)) click 1
  for _ in $(seq 1 "$kEndDeadline"); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 1
  done
  kill -0 "$pid" 2>/dev/null && Fail "expected the program to end after a click on close; it is still running"
  return 0
}

# The whole scenario, in the prefix and on the screen that tools/with-wine-display.sh made.
RunInPrefix() {
  local installer="$1" installDir shortcut installUnix log status file
  Stamp "prefix ready ($("$TARVIK_WINE" --version) via $TARVIK_WINE)"
  installDir="$(WindowsVar LOCALAPPDATA)\\Programs\\$kProduct"
  shortcut="$(WindowsVar APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\$kProduct.lnk"
  installUnix=$("$TARVIK_WINE" winepath -u "$installDir" 2>/dev/null)

  log="$WINEPREFIX/install.log"
  WINEDEBUG=err+virtual "$TARVIK_WINE" "$installer" /S >"$log" 2>&1
  status=$?
  if [ $status -ne 0 ] && grep -q "failed to map the shared user data" "$log"; then
    echo "installer_test: 32-bit Wine cannot run programs here ($(grep -m1 "failed to map" "$log")); skipped"
    exit $kSkipped
  fi
  [ $status -eq 0 ] || Fail "expected the silent install to end with status 0, got $status: $(tail -n 3 "$log")"
  Stamp "installed silently"
  for file in "$kProduct.exe" README.txt Uninstall.exe; do
    [ -f "$installUnix/$file" ] || Fail "expected $installDir\\$file after the install, it is missing"
  done
  local exeKib folderKib
  exeKib=$(( $(stat -c %s "$installUnix/$kProduct.exe") / 1024 ))
  folderKib=$(du -s --apparent-size --block-size=1024 "$installUnix" | cut -f1)
  CheckUninstallEntry "$installDir" "$exeKib" "$folderKib"
  Stamp "files and the uninstall entry are in place"
  CheckShortcut "$installDir" "$shortcut"
  Stamp "the window opened from the shortcut and closed"

  log="$WINEPREFIX/uninstall.log"
  "$TARVIK_WINE" "$installDir\\Uninstall.exe" /S >"$log" 2>&1
  status=$?
  [ $status -eq 0 ] || Fail "expected the silent uninstall to end with status 0, got $status: $(tail -n 3 "$log")"
  # The uninstaller runs on from a copy of itself in the temp folder: wait for every process.
  wineserver -w
  [ -e "$installUnix" ] && Fail "expected no $installDir after the uninstall; it holds: $(ls -A "$installUnix")"
  [ -e "$("$TARVIK_WINE" winepath -u "$shortcut" 2>/dev/null)" ] && Fail "expected no $shortcut after the uninstall, it is there"
  "$TARVIK_WINE" reg query "$kUninstallKey" >/dev/null 2>&1 && Fail "expected no $kUninstallKey after the uninstall, it is there"
  Stamp "uninstalled silently: no folder, shortcut or uninstall entry left"
  echo "installer_test: PASS ($(basename "$installer"), version $version)"
}

if [ "${1:-}" = --in-prefix ]; then
  version="$3" screenshot="$4"
  RunInPrefix "$2"
  exit 0
fi

installer="${1:-}"
[ -f "$installer" ] || { echo "usage: installer_test.sh Tarvik-VERSION-setup.exe [VERSION] [SCREENSHOT.png]"; exit 1; }
installer="$(cd "$(dirname "$installer")" && pwd)/$(basename "$installer")"
version="${2:-}"
if [ -z "$version" ]; then
  version=$(basename "$installer" | sed -n "s/^$kProduct-\(.*\)-setup\.exe\$/\1/p")
  [ -n "$version" ] || { echo "installer_test: expected a name $kProduct-VERSION-setup.exe or a VERSION argument, got $(basename "$installer")"; exit 1; }
fi
screenshot="${3:-}"
[ -n "$screenshot" ] && screenshot="$(cd "$(dirname "$screenshot")" && pwd)/$(basename "$screenshot")"
if ! "$root/tools/enable-i386-emulation.sh"; then
  echo "installer_test: 32-bit Wine cannot run on this machine; skipped"
  exit $kSkipped
fi

# A win64 prefix, as on 64-bit Windows: the 32-bit installer, program and uninstaller run under
# the 64-bit loader's 32-bit side. The prefix is the test's own and goes afterwards; Wine adds
# nothing to the host's menus.
prefix=$(mktemp -d /tmp/tarvik-installer-test.XXXXXX)
export WINEPREFIX="$prefix" TARVIK_XVFB=1 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset TARVIK_WM TARVIK_DPI
# Ends what Wine left running in the test's prefix and removes the prefix.
RemovePrefix() { wineserver -k 2>/dev/null; rm -rf "$prefix"; }
trap RemovePrefix EXIT
trap 'exit 1' INT TERM
export TARVIK_TEST_START=$(date +%s)
"$root/tools/with-wine-display.sh" bash "$self" --in-prefix "$installer" "$version" "$screenshot"
case $? in
  0) exit 0 ;;
  "$kSkipped") exit $kSkipped ;;
  *) exit 1 ;;
esac
