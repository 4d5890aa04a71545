#!/usr/bin/env bash
# Builds the program and runs it on its default device (/) or on the arguments given.
# Without a display it prints its reports (the overview, then the folders of the root)
# instead of opening the window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
exe=build/src/app/dovrane-storage-analyzer
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$exe" "$@"
fi
"$exe" --report overview "$@"
echo
exec "$exe" --report folders "$@"
