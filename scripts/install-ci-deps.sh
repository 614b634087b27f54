#!/bin/sh
# Installs what CI needs beyond scripts/install-deps.sh on Debian 12: clang with its sanitizer
# and libFuzzer runtimes (the fuzz stage), and the Debian packaging and desktop-entry tools (the
# package stage). Safe to run again.
set -e
PKGS="clang libclang-rt-14-dev dpkg-dev file desktop-file-utils appstream man-db groff-base"
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
