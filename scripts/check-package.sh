#!/bin/bash
# Makes the Debian package from a built build folder and checks it as installed into an empty
# root: the files it holds, its dependencies, the menu entry, and that both installed programs,
# started from another current directory with no other copy in reach, find the files that come
# with them (the databases get created from fcc.sql and postal.sql and the zip table filled from
# postal_update.csv). Needs dpkg-dev, file, desktop-file-utils, sqlite3 and xvfb (the CI
# install scripts bring them).
#   usage: scripts/check-package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build}" && pwd)"
fail() { echo "check-package: $*" >&2; exit 1; }

rm -f "$build"/quillmarsh_*.deb
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) || { cat "$build/cpack.log"; fail "cpack failed"; }
deb=$(ls "$build"/quillmarsh_*.deb)
echo "package: $(basename "$deb")"
echo "depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the Qt runtime"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for f in bin/quillmarsh bin/quillmarsh-import bin/quillmarsh-lookup \
         share/quillmarsh/fcc.sql share/quillmarsh/postal.sql share/quillmarsh/postal_update.csv \
         share/quillmarsh/services.ini share/quillmarsh/NOTICE \
         share/applications/quillmarsh.desktop share/icons/hicolor/scalable/apps/quillmarsh.svg \
         share/icons/hicolor/16x16/apps/quillmarsh.png share/icons/hicolor/48x48/apps/quillmarsh.png \
         share/icons/hicolor/256x256/apps/quillmarsh.png \
         share/man/man1/quillmarsh.1 share/man/man1/quillmarsh-import.1 share/man/man1/quillmarsh-lookup.1 \
         share/metainfo/org.quillmarsh.Quillmarsh.metainfo.xml; do
    [ -e "$root/usr/$f" ] || fail "the package lacks /usr/$f"
done
for f in dist/DistrictHelp.htm; do
    [ ! -e "$f" ] || [ -e "$root/usr/share/quillmarsh/$(basename "$f")" ] || fail "the package lacks $(basename "$f")"
done
[ ! -e "$root/usr/bin/make-sample-data" ] || fail "make-sample-data is a build-tree tool"
desktop-file-validate "$root/usr/share/applications/quillmarsh.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.quillmarsh.Quillmarsh.metainfo.xml" \
    || fail "the software centres' entry does not validate"
grep -q "<release version=\"$(dpkg-deb -f "$deb" Version)\"" "$root/usr/share/metainfo/org.quillmarsh.Quillmarsh.metainfo.xml" \
    || fail "the software centres' entry names another release than the package"
# The manual pages: each formats without a warning and has a NAME line whatis can read.
for page in "$root"/usr/share/man/man1/*.1; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
    lexgrog "$page" >/dev/null || fail "$(basename "$page") has no NAME section whatis can read"
done
# --help and --version in the usual form, answered without a display.
for tool in quillmarsh quillmarsh-import quillmarsh-lookup; do
    version=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$root/usr/bin/$tool" --version) || fail "$tool --version failed"
    [ "$version" = "$tool $(dpkg-deb -f "$deb" Version)" ] || fail "$tool --version said: $version"
    "$root/usr/bin/$tool" --help | grep -q "^Usage: $tool" || fail "$tool --help gives no usage"
done
! ldd "$root/usr/bin/quillmarsh" | grep 'not found' || fail "quillmarsh needs a library that is not installed"

# A data folder with small extracted archives, so that nothing is downloaded.
home="$root/home"
data="$home/.local/share/Quillmarsh"
mkdir -p "$data" "$root/work"
"$build/bin/make-sample-data" "$root/sample" --scale small --zips dist/postal_update.csv >/dev/null
cp -r "$root/sample/AMAT" "$root/sample/GMRS" "$root/sample/CADN" "$data/"
mkdir -p "$root/import"
cp -r "$root/sample/AMAT" "$root/sample/GMRS" "$root/sample/CADN" "$root/import/"
export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_DATA_DIRS="$root/none" XDG_CONFIG_HOME="$home/.config"
count() { sqlite3 "$1" "select count(*) from $2" 2>/dev/null || echo 0; }

(cd "$root/work" && "$root/usr/bin/quillmarsh-import" "$root/import" >"$root/import.log" 2>&1) \
    || { cat "$root/import.log"; fail "the installed quillmarsh-import failed"; }
[ "$(count "$root/import/postal.db" zipcodes)" -gt 0 ] || fail "quillmarsh-import filled no zip table"
[ "$(count "$root/import/FCCdata.db" FCC_EN)" -gt 0 ] || fail "quillmarsh-import filled no licence table"
echo "installed quillmarsh-import: ok"
# The command-line look-up reads that data folder: an answer in the common layout, found or not.
lookup_status=0
"$root/usr/bin/quillmarsh-lookup" --data "$root/import" W1AW >"$root/lookup.json" 2>"$root/lookup.log" || lookup_status=$?
{ [ "$lookup_status" -le 1 ] && grep -q '"hamdb":{"version":"1"' "$root/lookup.json"; } \
    || { cat "$root/lookup.log"; fail "the installed quillmarsh-lookup gave no record (status $lookup_status)"; }
echo "installed quillmarsh-lookup: ok"

# The window program: its first start builds the databases from the shipped files.
cd "$root/work"
xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
    "$1/usr/bin/quillmarsh" >"$1/quillmarsh.log" 2>&1 &
    pid=$!
    for _ in $(seq 120); do
        n=$(sqlite3 "$2/FCCdata.db" "select (select count(*) from FCC_EN) * (select count(*) from canada)" 2>/dev/null || echo 0)
        z=$(sqlite3 "$2/postal.db" "select count(*) from zipcodes" 2>/dev/null || echo 0)
        [ "${n:-0}" -gt 0 ] && [ "${z:-0}" -gt 0 ] && break
        kill -0 $pid 2>/dev/null || break
        sleep 0.5
    done
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true' _ "$root" "$data"
[ "$(count "$data/postal.db" zipcodes)" -gt 0 ] && [ "$(count "$data/FCCdata.db" FCC_EN)" -gt 0 ] \
    || { cat "$root/quillmarsh.log"; fail "the installed quillmarsh did not build its databases from the shipped files"; }
echo "installed quillmarsh: ok"
