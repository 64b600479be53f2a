#!/usr/bin/env bash
# The Debian package as a user gets it: made with cpack from the build, unpacked into a temporary
# root (dpkg -x), its kavrel-cli run on the example with a fresh home. The first start makes the
# user's data directory from the installed example; a second start keeps what is there.
# Usage: package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package: $*" >&2; exit 1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log") ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/out/kavrel_*.deb)
grep -q '^ Depends: .*libsqlite3' <<< "$(dpkg-deb -I "$deb")" || fail "no runtime dependencies declared"
dpkg -x "$deb" "$work/root"
for f in usr/bin/kavrel-cli usr/share/kavrel/Templates/KavrelInputTemplate.mdb \
  usr/share/kavrel/KavrelData/data/Example.mdb usr/share/kavrel/help/1000.html \
  usr/share/man/man1/kavrel-cli.1 usr/share/man/man1/kavrel-cli-calculate.1; do
  [ -e "$work/root/$f" ] || fail "$f is not in the package"
done
[ ! -e "$work/root/usr/bin/Kavrel.ini" ] || fail "the package holds a folder installation's Kavrel.ini"
if [ -x "$work/root/usr/bin/kavrel" ]; then
  grep -q '^Exec=kavrel$' "$work/root/usr/share/applications/kavrel.desktop" ||
    fail "no desktop entry"
  [ -e "$work/root/usr/share/icons/hicolor/scalable/apps/kavrel.svg" ] || fail "no icon"
fi

cli="$work/root/usr/bin/kavrel-cli"
installed=$(md5sum < "$work/root/usr/share/kavrel/KavrelData/data/Example.mdb")
export HOME="$work/home"
unset XDG_DATA_HOME
mkdir -p "$HOME"
"$cli" datasets > "$work/datasets.csv"
grep -q "^Example,$HOME/.local/share/Kavrel/data/Example.mdb," "$work/datasets.csv" ||
  { cat "$work/datasets.csv"; fail "the example is not listed in the user's data directory"; }
[ -w "$HOME/.local/share/Kavrel/data/Example.mdb" ] || fail "the user's example is not writable"
grep -q '^5,Stroke,' <<< "$("$cli" diseases --dataset Example)" || fail "diseases of the example"
"$cli" calculate "$HOME/.local/share/Kavrel/data/Example.mdb" --disease Stroke --sex females \
  --save > "$work/stroke.csv"
[ "$(wc -l < "$work/stroke.csv")" -eq 102 ] || fail "calculate printed $(wc -l < "$work/stroke.csv") lines"
# The installed example is untouched; a second start keeps the user's saved result.
[ "$(md5sum < "$work/root/usr/share/kavrel/KavrelData/data/Example.mdb")" = "$installed" ] ||
  fail "the installed example was changed"
"$cli" datasets > /dev/null
"$cli" results "$HOME/.local/share/Kavrel/data/Example.mdb" --diseases Stroke > "$work/results.csv"
grep -q ',Stroke,Females,' "$work/results.csv" || fail "the user's saved result was not kept"
# XDG_DATA_HOME moves the data directory.
grep -q "^Example,$work/xdg/Kavrel/data/Example.mdb," <<< "$(XDG_DATA_HOME="$work/xdg" "$cli" datasets)" ||
  fail "XDG_DATA_HOME was not followed"
echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KB, runs the example"
