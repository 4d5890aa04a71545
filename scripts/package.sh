#!/usr/bin/env bash
# Builds the Debian package (dist/dovrane-storage-analyzer_VERSION_ARCH.deb) from a release
# build with Debian's hardening flags, installed under /usr; its library dependencies are
# computed by dpkg-shlibdeps. Then checks it with lintian, which must find no error.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --run dpkg-dev file lintian
dir=build-package
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# CMake reads no CPPFLAGS: the preprocessor's flags go in front of the compiler's.
cppflags=$(dpkg-buildflags --get CPPFLAGS)
ldflags="$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now"  # full RELRO, as Debian hardens
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_C_FLAGS="$cppflags $(dpkg-buildflags --get CFLAGS)" \
    -DCMAKE_CXX_FLAGS="$cppflags $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" \
    "${launcher[@]}" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
# Only what the package holds: not the tests, not the benchmarks.
nice cmake --build "$dir" --target dovrane-storage-analyzer dovrane_man_page dovrane_completion dovrane_changelog
rm -rf dist
(cd "$dir" && cpack -B "$PWD/../dist" >/dev/null)
rm -rf dist/_CPack_Packages
deb=$(ls dist/*.deb)
echo "$deb: $(du -k "$deb" | cut -f1) KiB"
dpkg-deb --field "$deb" Depends
lintian --fail-on error "$deb"
echo "lintian: no errors"
