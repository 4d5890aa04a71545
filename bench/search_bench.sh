#!/usr/bin/env bash
# The searches of the Tools menu, timed warm against plain tools on the same files:
#  - identical contents: our `identical` report against `md5sum` and `cmp` over the same
#    candidate files (files sharing a size), in MB/s of candidate bytes;
#  - the object store: `databases` over 200 databases of MEGABYTES in total;
#  - Largest Files: the dialog drawn when its search ends against the `largest` report.
#   bench/search_bench.sh [BUILD_DIR [MEGABYTES [FOLDERS FILES]]]
#   (defaults: build, 1024, 10000, 100000)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
megabytes=${2:-1024}
folders=${3:-10000}
files=${4:-100000}
dovrane=$build/src/app/dovrane-storage-analyzer
work=$(mktemp -d "${TMPDIR:-/tmp}/dovrane-search-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Best of three warm runs, in seconds.
best() {
    local t best=
    "$@" >/dev/null 2>&1  # warms the cache
    for _ in 1 2 3; do
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1 || true
        end=$(date +%s.%N)
        t=$(awk "BEGIN{printf \"%.3f\", $end - $start}")
        if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
    done
    echo "$best"
}
rate() { awk "BEGIN{ if ($2 > 0) printf \"%.0f MB/s\", $1 / 1048576 / $2; else print \"-\" }"; }

echo "== identical contents: $megabytes MB of candidates"
tree=$work/identical
mkdir -p "$tree/a" "$tree/b" "$tree/c"
python3 - "$tree" "$megabytes" <<'PY'
import os, sys
root, mb = sys.argv[1], int(sys.argv[2])
size = 4 << 20
n = max(3, mb * (1 << 20) // size)
for i in range(n):
    data = os.urandom(size)
    # A third are copies, a third share only their size, a third differ after the head.
    if i % 3 == 0:
        open(f"{root}/a/{i}", "wb").write(data)
        open(f"{root}/b/{i}", "wb").write(data)
    elif i % 3 == 1:
        open(f"{root}/a/{i}", "wb").write(data)
    else:
        open(f"{root}/c/{i}", "wb").write(data[:4096] + os.urandom(size - 4096))
PY
candidates=$(find "$tree" -type f | sort)
bytes=$(du -sb "$tree" | cut -f1)
t_ours=$(best "$dovrane" --report identical "$tree")
t_md5=$(best sh -c "echo \"$candidates\" | xargs md5sum")
t_cmp=$(best sh -c "for f in $tree/a/*; do cmp -s \"\$f\" \"$tree/b/\${f##*/}\" || true; done")
printf '%-28s %8s s  %s\n' "dovrane --report identical" "$t_ours" "$(rate "$bytes" "$t_ours")"
printf '%-28s %8s s  %s\n' "md5sum (all candidates)" "$t_md5" "$(rate "$bytes" "$t_md5")"
printf '%-28s %8s s  %s\n' "cmp (pairs in a and b)" "$t_cmp" "$(rate "$(du -sb "$tree/a" | cut -f1)" "$t_cmp")"
rm -rf "$tree"

echo "== object store: 200 databases, $megabytes MB"
store=$work/store
mkdir -p "$store"
python3 - "$store" "$megabytes" <<'PY'
import sqlite3, sys, os
root, mb = sys.argv[1], int(sys.argv[2])
rows = max(1, mb * (1 << 20) // 200 // 120)
for i in range(200):
    db = sqlite3.connect(f"{root}/db{i:03}.sqlite")
    db.execute("CREATE TABLE t(id INTEGER PRIMARY KEY, v BLOB)")
    db.execute("CREATE TABLE u(k TEXT)")
    db.executemany("INSERT INTO t(v) VALUES (?)", ((os.urandom(100),) for _ in range(rows)))
    db.execute("INSERT INTO u VALUES ('x')")
    db.commit()
    db.close()
PY
printf '%-28s %8s s  (%s MB)\n' "dovrane --report databases" \
    "$(best "$dovrane" --report databases --object-store "$store")" "$(du -sm "$store" | cut -f1)"
rm -rf "$store"

echo "== Largest Files: $folders folders, $files files"
python3 bench/make_tree.py "$work/tree" "$folders" "$files"
t_report=$(best "$dovrane" --report largest "$work/tree")
t_dialog=$(best "$dovrane" --screenshot "$work/shot.png" --dialog largest "$work/tree")
printf '%-28s %8s s\n' "dovrane --report largest" "$t_report"
printf '%-28s %8s s  (%s x the report)\n' "Largest Files dialog shown" "$t_dialog" \
    "$(awk "BEGIN{printf \"%.2f\", $t_dialog / $t_report}")"
