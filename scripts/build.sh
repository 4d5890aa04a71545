#!/usr/bin/env bash
# Configures and builds into DIR (default build/), with extra CMake arguments after it.
set -euo pipefail
cd "$(dirname "$0")/.."
# A fresh machine has no Qt or CMake yet; what the build needs comes first.
scripts/install-deps.sh --run
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir"
