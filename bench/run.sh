#!/usr/bin/env bash
# Scan speed and memory, side by side in one run: our folders and types reports, du, ncdu,
# gdu and a minimal two-thread C walker (the floor), on a synthetic tree and on /usr,
# warm cache. Prints medians, ratios to the floor and peak memory per entry.
#   bench/run.sh [FOLDERS FILES]     (default 30000 300000)
set -euo pipefail
cd "$(dirname "$0")/.."
folders=${1:-30000}
files=${2:-300000}

scripts/install-deps.sh
need=()
for p in hyperfine ncdu gdu time python3; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${need[@]}" >/dev/null
fi

scripts/build.sh build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/dovrane-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cc -O2 -pthread -o "$work/floor" bench/floor_walker.c
tree="$work/tree"
empty="$work/empty"
mkdir -p "$empty"
python3 bench/make_tree.py "$tree" "$folders" "$files"

dovrane=build-bench/src/app/dovrane-storage-analyzer
for target in "$tree" /usr; do
    echo
    echo "== $target"
    hyperfine --warmup 2 --runs 10 --style none --export-json "$work/times.json" \
        -n "dovrane folders" "$dovrane --report folders $target" \
        -n "dovrane types" "$dovrane --report types $target" \
        -n "du -sb" "du -sb $target" \
        -n "ncdu" "ncdu -0 -o /dev/null $target" \
        -n "gdu" "gdu -n -p -s $target" \
        -n "floor" "$work/floor $target" >/dev/null
    entries=$("$work/floor" "$target" | cut -d' ' -f1)
    peak() {  # peak resident KiB of a command
        /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1
    }
    : >"$work/memory.txt"
    while IFS='|' read -r name on idle; do
        echo "$name|$(peak $on)|$(peak $idle)" >>"$work/memory.txt"
    done <<MEM
dovrane folders|$dovrane --report folders $target|$dovrane --report folders $empty
dovrane types|$dovrane --report types $target|$dovrane --report types $empty
du -sb|du -sb $target|du -sb $empty
ncdu|ncdu -0 -o /dev/null $target|ncdu -0 -o /dev/null $empty
gdu|gdu -n -p -s $target|gdu -n -p -s $empty
floor|$work/floor $target|$work/floor $empty
MEM
    python3 bench/table.py "$work/times.json" "$work/memory.txt" "$entries"
done
