#!/usr/bin/env bash
# Builds the program (not the tests or the benchmarks) and runs it on its default device
# (/) or on the arguments given. A run that asks for a report, a screenshot, --help or
# --version is the user's own and gets nothing added; otherwise, without a display, it
# prints the overview and the folders of the root instead of opening the window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --run
# The build's progress goes to stderr: what the program prints is all that stdout carries.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target dovrane-storage-analyzer >&2
exe=build/src/app/dovrane-storage-analyzer
for arg in "$@"; do
    case $arg in
        --report | --report=* | --screenshot | --screenshot=* | --help | -h | --version)
            exec "$exe" "$@"
            ;;
    esac
done
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$exe" "$@"
fi
"$exe" --report overview "$@"
echo
exec "$exe" --report folders "$@"
