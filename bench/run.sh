#!/usr/bin/env bash
# Scan speed and memory, side by side in one run: our folders, types and largest reports,
# the folders report with one reader (the walk without hand-overs between threads), the
# shell's `find | sort -rn` beside largest, the Folder View and File Type View from start
# to the pie (--screenshot draws once the scan is done) and from the scan's start to the
# pie as --timing tells it (the scan begins before the window library loads, so the two
# differ by what start-up still adds before the walk), du, ncdu, gdu and a minimal C
# walker (the floor), on a synthetic tree and on /usr. Then our identical-content search
# beside jdupes and rmlint on a tree with copies in it and on /usr/share. Warm cache
# always; cold cache too when run as root (the page cache is dropped before each run).
# Prints medians, ratios to the floor, seconds per million entries and peak memory per
# entry above each tool's idle size. Then one folder of 200,000 files.
#   bench/run.sh [FOLDERS FILES]     (default 30000 300000; 1000000 9000000: 10 million)
# BENCH_TREE=DIR times an existing tree instead of making one (and keeps it);
# BENCH_TARGETS="tree" leaves out /usr, BENCH_TARGETS="" both; BENCH_COLD=0 the cold-cache
# runs; BENCH_IDENTICAL=0 the identical contents; BENCH_SCANFILES=0 the export and import.
set -euo pipefail
cd "$(dirname "$0")/.."
folders=${1:-30000}
files=${2:-300000}
entries_wanted=$((folders + files))

# The tree takes one inode per entry; leave a fifth to spare for everyone else.
need_inodes=$((entries_wanted + entries_wanted / 5))
free_inodes=$(df --output=iavail "${TMPDIR:-/tmp}" | tail -n 1 | tr -d ' ')
if [ -z "${BENCH_TREE:-}" ] && [ "$free_inodes" -lt "$need_inodes" ]; then
    echo "bench: $entries_wanted entries need $need_inodes free inodes on ${TMPDIR:-/tmp};" \
        "only $free_inodes are free. Free some, or choose a smaller tree." >&2
    exit 1
fi

scripts/install-deps.sh
need=()
for p in ncdu gdu time python3 jdupes rmlint; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${need[@]}" >/dev/null
fi

# DOVRANE_BIN: an executable already built, to compare builds without rebuilding.
dovrane=${DOVRANE_BIN:-build-bench/src/app/dovrane-storage-analyzer}
[ -n "${DOVRANE_BIN:-}" ] || scripts/build.sh build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/dovrane-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cc -O2 -pthread -o "$work/floor" bench/floor_walker.c
# The shell's largest-first listing, as one command that takes the target last.
printf '#!/bin/sh\nfind "$1" -type f -printf "%%s\\t%%p\\n" | sort -rn\n' >"$work/find-sort"
chmod +x "$work/find-sort"
tree=${BENCH_TREE:-$work/tree}
empty="$work/empty"
mkdir -p "$empty"
if [ -z "${BENCH_TREE:-}" ]; then
    echo "making the tree ($folders folders, $files files)..."
    python3 bench/make_tree.py "$tree" "$folders" "$files"
fi
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work"

shot="$work/shot.png"
cold=0
if [ "${BENCH_COLD:-1}" = 0 ]; then
    echo "bench: BENCH_COLD=0: cold-cache runs skipped"
elif [ "$(id -u)" -eq 0 ] && [ -w /proc/sys/vm/drop_caches ]; then
    cold=1
else
    echo "bench: not root, so the page cache cannot be dropped: cold-cache runs skipped"
fi

# name|command, one a line: what every table times.
commands() {
    local target=$1
    cat <<CMDS
dovrane folders|$dovrane --report folders $target
dovrane folders, one reader|$dovrane --threads 1 --report folders $target
dovrane types|$dovrane --report types $target
dovrane largest|$dovrane --report largest $target
Largest Files dialog|$dovrane --dialog largest --screenshot $shot $target
Duplicate Files dialog|$dovrane --dialog duplicates --screenshot $shot $target
Folder View pie|$dovrane --timing --view folder --screenshot $shot $target
File Type View pie|$dovrane --timing --view filetype --screenshot $shot $target
du -sb|du -sb $target
ncdu|ncdu -0 -o /dev/null $target
gdu|gdu -n -p -s $target
floor|$work/floor $target
CMDS
    # The shell's largest-first listing: on the synthetic tree only.
    [ "$target" = "$tree" ] || return 0
    echo "find, sort -rn|$work/find-sort $target"
}

# Times every command in one run, taking turns. $1: target, $2: runs, $3...: timer options.
timed() {
    local target=$1 runs=$2
    shift 2
    { commands "$target"; extra_commands "$target"; } |
        python3 bench/timer.py --runs "$runs" "$@" --export "$work/times.json"
}

extra_commands() { :; }

peak() {  # peak resident KiB of a command
    /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1
}

targets=()
for t in ${BENCH_TARGETS-tree /usr}; do
    [ "$t" = tree ] && targets+=("$tree") || targets+=("$t")
done
for target in "${targets[@]}"; do
    entries=$("$work/floor" "$target" | cut -d' ' -f1)
    echo
    echo "== $target, warm cache ($(uptime | sed 's/.*load/load/'))"
    # Peak memory first: that run of each command also warms the cache for the timed ones.
    : >"$work/memory.txt"
    while IFS='|' read -r name command; do
        idle=${command% "$target"}
        echo "$name|$(peak $command)|$(peak $idle "$empty")" >>"$work/memory.txt"
    done < <(commands "$target")
    # Big trees take long per run: fewer runs, same table.
    if [ "$entries" -ge 1000000 ]; then
        timed "$target" 2
    else
        timed "$target" 15 --warmup 1
    fi
    python3 bench/table.py "$work/times.json" "$work/memory.txt" "$entries" floor

    if [ "$cold" -eq 1 ] && [ "$target" = "$tree" ]; then
        echo
        echo "== $target, cold cache, 11 runs each ($(uptime | sed 's/.*load/load/'))"
        extra_commands() {
            for t in 4 8 16; do echo "floor $t threads|$work/floor $1 $t"; done
            for t in 2 4 8 16; do
                echo "dovrane folders --threads $t|$dovrane --threads $t --report folders $1"
            done
        }
        timed "$target" 11 --prepare 'sync; echo 3 > /proc/sys/vm/drop_caches'
        extra_commands() { :; }
        python3 bench/table.py "$work/times.json" "$work/memory.txt" "$entries" best-floor
    fi
done

# Identical contents beside jdupes and rmlint, warm and (as root) cold: a tree with a fifth
# of its bytes in copies and many sizes shared by different contents, and /usr/share; each
# run's groups held against jdupes'. BENCH_IDENTICAL=0 skips it; BENCH_DUP_MB sizes the tree.
if [ "${BENCH_IDENTICAL:-1}" != 0 ]; then
    dups="$work/dups"
    python3 bench/make_dup_tree.py "$dups" "${BENCH_DUP_MB:-400}"
    for target in "$dups" /usr/share; do
        identical_commands() {
            cat <<CMDS
dovrane identical|$dovrane --report identical $target
Identical Files dialog|$dovrane --dialog identical --screenshot $shot $target
jdupes -r|jdupes -r -q $target
rmlint|rmlint -T df -o fdupes $target
CMDS
        }
        "$dovrane" --report identical --format json "$target" >"$work/ours-groups.json"
        jdupes -r -q "$target" >"$work/jdupes-groups.txt" || true
        files=$(find "$target" -type f | wc -l)
        echo
        echo "== identical contents of $target ($files files, $(du -sh "$target" | cut -f1))," \
            "warm cache ($(uptime | sed 's/.*load/load/'))"
        python3 bench/identical_groups.py "$target" "$work/ours-groups.json" \
            "$work/jdupes-groups.txt"
        identical_commands | python3 bench/timer.py --runs 7 --warmup 1 --export "$work/times.json"
        python3 bench/table.py "$work/times.json" - "$files" "jdupes -r"
        if [ "$cold" -eq 1 ]; then
            echo
            echo "== identical contents of $target, cold cache, 5 runs each"
            identical_commands | python3 bench/timer.py --runs 5 --export "$work/times.json" \
                --prepare 'sync; echo 3 > /proc/sys/vm/drop_caches'
            python3 bench/table.py "$work/times.json" - "$files" "jdupes -r"
        fi
    done
    rm -rf "$dups"
fi

# Scan files beside ncdu's: export as the folders report walks plus the bytes written, and
# import of our file and of ncdu's against ncdu reading its own. BENCH_SCANFILES=0 skips it.
if [ "${BENCH_SCANFILES:-1}" != 0 ]; then
    entries=$("$work/floor" "$tree" | cut -d' ' -f1)
    ours="$work/ours.json" theirs="$work/ncdu.json"
    "$dovrane" --export "$ours" "$tree"
    ncdu -0 -o "$theirs" "$tree"
    echo
    echo "== scan files of $tree, warm cache ($(du -h "$ours" | cut -f1) ours," \
        "$(du -h "$theirs" | cut -f1) ncdu's; $(uptime | sed 's/.*load/load/'))"
    scan_commands() {
        cat <<CMDS
floor|$work/floor $tree
dovrane folders|$dovrane --report folders $tree
dovrane --export|$dovrane --export $work/out.json $tree
ncdu -o|ncdu -0 -o $work/out-ncdu.json $tree
dovrane --import ours, folders|$dovrane --import $ours --report folders
dovrane --import ncdu's, folders|$dovrane --import $theirs --report folders
ncdu -f -o|ncdu -0 -f $theirs -o /dev/null
CMDS
    }
    : >"$work/memory.txt"
    while IFS='|' read -r name command; do
        # Idle: the same program on an empty folder, or on an empty scan.
        case $name in
        *--import*) printf '[1,2,{},[{"name":"/"}]]' >"$work/empty.json"
            idle="$dovrane --import $work/empty.json --report folders" ;;
        ncdu\ -f*) ncdu -0 -o "$work/empty.json" "$empty"
            idle="ncdu -0 -f $work/empty.json -o /dev/null" ;;
        *) idle="${command% "$tree"} $empty" ;;
        esac
        echo "$name|$(peak $command)|$(peak $idle)" >>"$work/memory.txt"
    done < <(scan_commands)
    runs=5
    [ "$entries" -ge 1000000 ] && runs=2
    scan_commands | python3 bench/timer.py --runs "$runs" --export "$work/times.json"
    python3 bench/table.py "$work/times.json" "$work/memory.txt" "$entries" floor
fi

echo
echo "== one folder of 200,000 files, warm cache"
big="$work/big"
[ -n "${BENCH_TREE:-}" ] || rm -rf "$tree"
python3 - "$big" <<'PY'
import os, sys
os.makedirs(sys.argv[1])
fd = os.open(sys.argv[1], os.O_RDONLY)
for i in range(200000):
    os.close(os.open(str(i), os.O_CREAT | os.O_WRONLY, 0o644, dir_fd=fd))
PY
python3 bench/timer.py --warmup 1 --runs 5 --export "$work/times.json" <<CMDS
dovrane folders|$dovrane --report folders $big
dovrane types|$dovrane --report types $big
floor|$work/floor $big
CMDS
python3 bench/table.py "$work/times.json" - 200001 floor
