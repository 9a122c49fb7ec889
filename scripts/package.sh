#!/usr/bin/env bash
# Builds the Debian package of the program with CPack:
#   build/package/monitor-zelnor_<version>_amd64.deb
# from a Release build tree of its own (build/pkg) in which only the program is built.
# Installs what is missing first (scripts/install-deps.sh, as root).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build/pkg
out=$root/build/package

if [[ $(id -u) == 0 ]]; then
    "$root/scripts/install-deps.sh"
fi
for tool in cmake cpack dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || {
        echo "package: $tool is missing; run scripts/install-deps.sh as root" >&2
        exit 1
    }
done

# CMAKE_SKIP_INSTALL_ALL_DEPENDENCY: CPack's install step then builds nothing more than the
# program built here, not every test of the tree.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMZ_BUILD_QT=ON \
    -DMZ_BUILD_BENCHMARKS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target MonitorZelnor
mkdir -p "$out"
(cd "$build" && cpack -B "$out")
rm -rf "$out/_CPack_Packages"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$out/monitor-zelnor_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || {
    echo "package: CPack did not make $deb" >&2
    exit 1
}
echo "$deb"
