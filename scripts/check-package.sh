#!/usr/bin/env bash
# Checks an installation and the Debian package against a build (build/ or
# $BUILD_DIR): `cmake --install` into a scratch folder holds exactly the files
# listed below, the .deb holds the same files with its control fields taken
# from the project, lintian finds no error or warning in it, its manual
# pages render without warnings, the installed README's links lead to files
# installed beside it, and the installed orvex-cli runs a whole
# procedure against the installed orvex-sim on a pty, through COM1 in a
# config.cfg.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/demo-folder.sh
build=${BUILD_DIR:-build}

expected_files=(
  ./usr/bin/orvex-cli
  ./usr/bin/orvex-programmer
  ./usr/bin/orvex-sim
  ./usr/bin/orvex-station
  ./usr/share/applications/orvex-programmer.desktop
  ./usr/share/applications/orvex-station.desktop
  ./usr/share/doc/orvex/60-orvex-usb-serial.rules
  ./usr/share/doc/orvex/LICENSE
  ./usr/share/doc/orvex/README.md
  ./usr/share/doc/orvex/bench/RESULTS.md
  ./usr/share/doc/orvex/changelog.gz
  ./usr/share/doc/orvex/copyright
  ./usr/share/doc/orvex/demo-firmware.hex
  ./usr/share/doc/orvex/docs/compatibility.md
  ./usr/share/doc/orvex/docs/json-events.md
  ./usr/share/doc/orvex/docs/station.png
  ./usr/share/doc/orvex/docs/window.png
  ./usr/share/icons/hicolor/scalable/apps/orvex-programmer.svg
  ./usr/share/man/man1/orvex-cli.1.gz
  ./usr/share/man/man1/orvex-programmer.1.gz
  ./usr/share/man/man1/orvex-sim.1.gz
  ./usr/share/man/man1/orvex-station.1.gz
)

work=$(mktemp -d)
unit_pid=
cleanup() {
  [[ -n $unit_pid ]] && { kill "$unit_pid" 2>/dev/null; wait "$unit_pid" 2>/dev/null; }
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "check-package: $*" >&2
  exit 1
}

# same_files WHAT LISTING: LISTING (one path a line) is exactly the expected files.
same_files() {
  diff -u <(printf '%s\n' "${expected_files[@]}" | sort) <(sort <<<"$2") >"$work/files.diff" \
    || { cat "$work/files.diff" >&2; fail "$1 does not hold exactly the expected files"; }
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n $version ]] || fail "no project version in $build/CMakeCache.txt"

root=$work/root
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
same_files "cmake --install" "$(cd "$root" && find . ! -type d)"
for desktop in orvex-programmer orvex-station; do
  desktop-file-validate "$root/usr/share/applications/$desktop.desktop" \
    || fail "the desktop file $desktop.desktop does not validate"
done

(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$work/deb/orvex_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "cpack made no $(basename "$deb")"
same_files "$(basename "$deb")" "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }')"
[[ $(dpkg-deb -f "$deb" Package) == orvex ]] || fail "Package is not orvex"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "Version is not the project's $version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6core6 libqt6widgets6 libqt6serialport6 libqt6svg6 qt6-qpa-plugins libqt6sql6-sqlite libqt6sql6-psql; do
  [[ $depends == *"$library"* ]] || fail "Depends does not name $library: $depends"
done
for field in Maintainer Section Description; do
  [[ -n $(dpkg-deb -f "$deb" "$field") ]] || fail "the package has no $field"
done
dpkg-deb -x "$deb" "$work/unpacked"
for program in orvex-cli orvex-programmer orvex-sim orvex-station; do
  file -b "$work/unpacked/usr/bin/$program" | grep -q ', stripped' || fail "$program in the package is not stripped"
  # man and groff print a page's warnings on standard error and still
  # succeed. groff alone reads no UTF-8: the page must need no preprocessor.
  page=$work/unpacked/usr/share/man/man1/$program.1.gz
  { LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >/dev/null && zcat "$page" | groff -man -ww -z; } \
    2>"$work/man.err" || fail "man or groff cannot render $program.1.gz"
  [[ ! -s $work/man.err ]] || { cat "$work/man.err" >&2; fail "the manual page $program.1.gz renders with warnings"; }
done
# The README's relative links work where it is installed.
doc=$work/unpacked/usr/share/doc/orvex
while read -r link; do
  [[ -f $doc/$link ]] || fail "the installed README links $link, which the package does not hold beside it"
done < <(grep -oE '\]\([^)#]+' "$doc/README.md" | sed 's/^](//' | grep -v '://' | sort -u)
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 \
  || { cat "$work/lintian.log" >&2; fail "lintian finds errors or warnings in $(basename "$deb")"; }

# As in the demo: COM1 stands for the simulated unit's tty link. The
# installed programs' folder is writable here, so they read config.cfg there.
bin=$root/usr/bin
write_demo_config "$bin"
start_demo_unit "$bin/orvex-sim" "$bin" || fail "the installed orvex-sim did not start"
unit_pid=$demo_unit_pid
"$bin/orvex-cli" -p COM1 -d -e -b -w -v -r "$work/readback.bin" "$root/usr/share/doc/orvex/demo-firmware.hex" \
  >"$work/cli.out" || { cat "$work/cli.out" >&2; fail "the installed orvex-cli failed"; }
grep -q '^PROGRAM OK' "$work/cli.out" || fail "the installed orvex-cli did not report success"
[[ $(stat -c %s "$work/readback.bin") == 131072 ]] || fail "the read-back is not 131072 bytes"
# The record of that run, through the SQLite driver the package depends on.
[[ $(sqlite3 "$bin/runs.sqlite" "SELECT result FROM runs") == ok ]] || fail "the installed orvex-cli left no record of its run"
[[ $("$bin/orvex-cli" --version) == *"$version"* ]] || fail "orvex-cli --version does not print $version"

# The windows have no option to end themselves: each has to be running still
# when told to stop, rather than having failed to start.
for window in orvex-programmer orvex-station; do
  status=0
  QT_QPA_PLATFORM=offscreen timeout -s TERM 3 "$bin/$window" >"$work/window.log" 2>&1 || status=$?
  [[ $status == 124 ]] || { cat "$work/window.log" >&2; fail "the installed $window ended by itself (status $status)"; }
done

echo "Package $(basename "$deb"): $(stat -c %s "$deb") bytes; install, contents, control fields, lintian, manual pages and the installed programs checked."
