#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when missing.
#   --run      only what building and running the program needs (scripts/run.sh)
#   NAME...    these packages as well (scripts/package.sh asks for its tools)
set -euo pipefail
packages=(g++ cmake ninja-build lld qt6-base-dev libsqlite3-dev libxxhash-dev zlib1g-dev libzstd-dev
          libgl-dev fonts-wine)
if [ "${1:-}" = --run ]; then
    shift
else
    # The tests: formatting, a display for the window tests, the installed files' validators,
    # ncdu and gdu for the scan files they write and read.
    packages+=(clang-format xauth xvfb desktop-file-utils appstream ncdu gdu)
fi
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
        "${missing[@]}" >/dev/null
fi
