#!/usr/bin/env bash
# Builds and runs every test twice, once optimised and once under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the tests that run threads under ThreadSanitizer; last,
# checks the formatting.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
trap 'echo "test.sh: $((SECONDS - started)) s in all"' EXIT
scripts/install-deps.sh
jobs=$(nproc)

echo "== build and test"
scripts/build.sh build
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$jobs"

echo "== build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -DDOVRANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DDOVRANE_BENCHMARKS=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== the threaded tests under ThreadSanitizer"
# Only what runs threads: the walks, the scans, the lazy orders, the views' and the search
# dialogs' background work. Qt's own libraries are not instrumented; the suppressions name
# only Qt's symbols.
threaded=(tst_walk tst_scans tst_identical_files tst_chart_views
    tst_search_dlgs)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDOVRANE_TSAN=ON >/dev/null
cmake --build build-tsan --target "${threaded[@]}"
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp" \
    QT_QPA_PLATFORM=offscreen ctest --test-dir build-tsan --output-on-failure -j "$jobs" \
    -R "^($(IFS='|'; echo "${threaded[*]}"))\$"

echo "== formatting"
git ls-files -co --exclude-standard -- '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
echo "formatting clean"

# The suite's weight against the code it tests, in non-blank lines.
count() { git ls-files -- "$1" | grep -E '\.(cpp|h)$' | xargs cat | grep -cv '^\s*$'; }
src_lines=$(count src) test_lines=$(count tests)
echo "tests: $test_lines non-blank lines against $src_lines of source" \
    "($((100 * test_lines / src_lines))%)"
