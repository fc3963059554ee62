#!/usr/bin/env bash
# The programs as a user gets them: installed into a prefix and run from there
# with a fresh home folder, and packaged as a .deb with the same contents.
# usage: InstallTest.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > /dev/null
export HOME=$work/home QT_QPA_PLATFORM=offscreen
unset XDG_DATA_HOME
mkdir -p "$HOME"
user=$HOME/.local/share/velnor
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

# The installed velnor-calc works in the user's folder, created at once.
out=$(echo '{}' | "$prefix/bin/velnor-calc" --brief)
grep -q '"esdSoftTissue": 0.75' <<< "$out" || fail "velnor-calc gave: $out"
for f in Primary.dat 撮影部位.txt default-output.op はじめにお読み下さい.txt Att_coeff2020.dat PDS-data/80.dat Organ-data/腹部正面.csv; do
  [ -f "$user/$f" ] || fail "$f is not in the user's folder"
done
[ -f "$work/X_SPCTL.dat" ] && fail "velnor-calc wrote into the current folder"
[ -f "$user/X_SPCTL.dat" ] || fail "the spectrum file is not in the user's folder"
# velnor-pdd finds the hand-off there too, and the printed page its plug-in.
echo '{}' | "$prefix/bin/velnor-calc" --brief --handoff "$user/Velnor2PDD.dat" --report "$work/page.pdf" > /dev/null
[ -s "$work/page.pdf" ] || fail "no printed page from the installed velnor-calc"
pdd=$("$prefix/bin/velnor-pdd" --organ-defaults)
grep -q effectiveDoseMsv <<< "$pdd" || fail "velnor-pdd found no hand-off in the user's folder: $pdd"

# The installed main program prepares the same folder; a second start keeps
# the user's name and refreshes the reference tables.
printf '試験ユーザー\r\n' >> "$user/Primary.dat"
echo "damaged" > "$user/dATR.dat"
timeout 5 "$prefix/bin/Velnor_V17" > "$work/main.log" 2>&1 || [ $? -eq 124 ] || fail "Velnor_V17 ended early: $(cat "$work/main.log")"
[ "$(sed -n 32p "$user/Primary.dat" | tr -d '\r')" = "試験ユーザー" ] || fail "the user name was not kept"
cmp -s "$user/dATR.dat" "$prefix/share/velnor/dATR.dat" || fail "a reference table was not refreshed"
# A folder given on the command line wins.
mkdir "$work/own"
cp -r "$prefix/share/velnor/." "$work/own/"
timeout 3 "$prefix/bin/Velnor_V17" "$work/own" > /dev/null 2>&1 || true

# Every program has its manual page, made from its --help.
man -l "$prefix/share/man/man1/velnor-calc.1.gz" 2>/dev/null | grep -q -- "--jsonl" || [ ! -x /usr/bin/man ] \
  || fail "the manual page of velnor-calc is not its --help"
"$prefix/bin/Velnor_V17" --version | grep -q "^Velnor_V17 17" || fail "Velnor_V17 --version"

# The package holds the programs, the data, the desktop entry and the icon.
(cd "$build" && cpack -G DEB -B "$work/package" > /dev/null)
deb=$(ls "$work"/package/velnor_*.deb)
list=$(dpkg-deb -c "$deb")
for f in usr/bin/Velnor_V17 usr/bin/Velnor17_PDD usr/bin/bsfmc_cylinder usr/bin/bsfmc_ellipse usr/bin/bsfmc_racetrack \
         usr/bin/velnor-calc usr/bin/velnor-pdd usr/bin/velnor-check-data usr/lib/velnor/velnor-report-pdf.so \
         usr/share/velnor/Att_coeff2020.dat usr/share/velnor/Primary.dat usr/share/velnor/PDS-data/150.dat \
         usr/share/applications/velnor.desktop usr/share/icons/hicolor/128x128/apps/velnor.png usr/share/doc/velnor/copyright \
         usr/share/man/man1/velnor-calc.1.gz usr/share/man/man1/velnor-pdd.1.gz usr/share/man/man1/bsfmc_cylinder.1.gz \
         usr/share/man/man1/Velnor_V17.1.gz usr/share/man/man1/Velnor17_PDD.1.gz; do
  grep -q " \./$f\$" <<< "$list" || fail "the package lacks $f"
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q fonts-noto-cjk <<< "$depends" || fail "the package does not depend on the fonts"
if command -v lintian > /dev/null; then
  errors=$(lintian "$deb" 2>/dev/null | grep '^E:' || true)
  [ -z "$errors" ] || fail "lintian: $errors"
fi
echo "installed and packaged: ok"
