#!/usr/bin/env bash
# The Debian package as a user gets it: built from the build folder by cpack, its file list, its control
# fields, the desktop entry and AppStream file as the desktop's tools read them, and the program started
# from the unpacked tree, where it must keep its data in the per-user folder and write nothing beside itself.
# Usage: tst_package.sh BUILD_DIR VERSION EXPECTED_FILE_LIST
set -euo pipefail

build_dir=$1
version=$2
expected_list=$3

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

scratch=$(mktemp -d)
program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then kill -KILL "$program_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# The package, built into a folder of the test's own so a package made by hand is left alone.
if ! cpack --config "$build_dir/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  fail "cpack could not build the package"
  exit 1
fi
deb="$scratch/out/cratebook_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
  ls -l "$scratch/out" >&2
  fail "no package named $(basename "$deb")"
  exit 1
fi

# Every file with its mode, directories left out: nothing missing, nothing extra (no tests, no benchmark).
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $6 }' | sort >"$scratch/files.txt"
if ! diff -u "$expected_list" "$scratch/files.txt"; then
  fail "the package's files differ from $expected_list"
fi

[ "$(dpkg-deb -f "$deb" Package)" = cratebook ] || fail "package name: $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version: $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
# Read from the binary by dpkg-shlibdeps (libqt6gui6 holds the X11 platform plug-in), and the SVG plug-in it
# loads at run time named by hand.
for needed in libqt6widgets6 libqt6gui6 libqt6network6 libtag1v5 libdiscid0 libc6 libqt6svg6; do
  grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
# What a clean system lacks for the rest: Qt's Russian texts, trusted certificates for HTTPS, xdg-open.
recommends=$(dpkg-deb -f "$deb" Recommends)
for wanted in qt6-translations-l10n ca-certificates xdg-utils; do
  grep -Eq "(^|, )$wanted( |,|$)" <<<"$recommends" || fail "Recommends lacks $wanted: $recommends"
done

root="$scratch/root"
dpkg -x "$deb" "$root"
share="$root/usr/share"

if ! desktop-file-validate "$share/applications/cratebook.desktop"; then
  fail "desktop-file-validate finds errors in the desktop entry"
fi
# Warnings (such as an id that is not a reversed domain name) are shown; errors fail.
appstream_report=$(appstreamcli validate --no-net "$share/metainfo/cratebook.metainfo.xml" 2>&1 || true)
echo "$appstream_report"
if grep -q '^E:' <<<"$appstream_report" || ! grep -q 'Validation' <<<"$appstream_report"; then
  fail "appstreamcli finds errors in the AppStream file"
fi
grep -q '<launchable type="desktop-id">cratebook.desktop</launchable>' "$share/metainfo/cratebook.metainfo.xml" ||
  fail "the AppStream file does not launch the installed desktop entry"
grep -q '<release version="'"$version"'"' "$share/metainfo/cratebook.metainfo.xml" ||
  fail "the AppStream file has no release $version"

for size in 48 128; do
  png="$share/icons/hicolor/${size}x${size}/apps/cratebook.png"
  got=$(identify -format '%m %wx%h' "$png" 2>/dev/null || echo unreadable)
  [ "$got" = "PNG ${size}x${size}" ] || fail "icon $png: $got"
done

man_page="$share/man/man1/cratebook.1.gz"
if ! gzip -t "$man_page" || ! zcat "$man_page" | head -n 1 | grep -q '^\.TH CRATEBOOK 1 '; then
  fail "the manual page is not a gzip'd page of section 1"
fi
zcat "$man_page" | grep -q "Cratebook $version" || fail "the manual page does not name version $version"

# Found from the program's folder as the program looks for them: its help page, and the desktop entry that
# marks it as an installed copy.
[ -f "$root/usr/bin/../share/cratebook/cratebook-help.html" ] || fail "no help page where the program looks"
[ -f "$root/usr/bin/../share/applications/cratebook.desktop" ] || fail "no desktop entry beside the program"

# The unpacked copy started in an empty home: it takes the per-user data folder and locks it. The offscreen
# screen is made as large as the program asks for, so no question about a small screen holds it up.
home="$scratch/home"
mkdir -p "$home/runtime"
chmod 700 "$home/runtime"
echo '{"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96,
  "logicalBaseDpi": 96, "dpr": 1}]}' >"$scratch/screen.json"
(cd "$root" && find . -printf '%p %s %T@\n' | sort) >"$scratch/tree-before.txt"
HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" \
  XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM="offscreen:configfile=$scratch/screen.json" \
  LANG=C.UTF-8 LC_ALL=C.UTF-8 "$root/usr/bin/cratebook" >"$scratch/run.log" 2>&1 &
program_pid=$!
user_data="$home/data/Cratebook/Cratebook"
for _ in $(seq 300); do
  [ -e "$user_data/DATA/.cratebook.lock" ] && break
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$program_pid" 2>/dev/null; then
  kill -TERM "$program_pid"
  wait "$program_pid" || true
else
  wait "$program_pid" && status=0 || status=$?
  cat "$scratch/run.log" >&2
  fail "the program ended by itself (status $status) instead of running"
fi
program_pid=
[ -d "$user_data/DATA" ] || fail "no DATA folder in the per-user folder $user_data"
[ -e "$user_data/DATA/.cratebook.lock" ] || fail "the per-user DATA folder was not locked"
(cd "$root" && find . -printf '%p %s %T@\n' | sort) >"$scratch/tree-after.txt"
if ! diff -u "$scratch/tree-before.txt" "$scratch/tree-after.txt"; then
  fail "the program wrote into its own installed tree"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package $(basename "$deb"): all checks passed"
