#!/bin/sh
# Installs what building, running and testing need on Debian 12. Safe to run again.
set -e
PKGS="g++ cmake ninja-build pkg-config qt6-base-dev libqt6sql6-sqlite libsqlite3-dev libzip-dev zlib1g-dev libpcre2-dev xvfb xauth xdotool imagemagick sqlite3 ca-certificates librsvg2-bin"
missing=""
for p in $PKGS; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update
    $SUDO apt-get install -y --no-install-recommends $missing
fi
