#!/usr/bin/env bash
# Builds the Windows (mingw-w64) dependencies from Debian's own sources into a cache folder
# keyed by the Debian package versions, and prints that folder (the prefix to build against):
#   GoogleTest           /usr/src/googletest (package googletest)
#   fmt                  source package fmtlib, built as a static library without locale support
#   MariaDB Connector/C  the libmariadb/ folder of source package mariadb: libmariadb.dll with
#                        its authentication plugins built in, SChannel TLS (crypt32 and
#                        secur32 delay-loaded), bundled zlib
# A finished cache folder is reused as it is; a half-built one is thrown away and built again.
# Progress goes to stderr; stdout carries only the prefix.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
toolchain="$root/cmake/toolchain-mingw64.cmake"
jobs=${MZ_JOBS:-2}

log() { echo "deps.sh: $*" >&2; }
source_version() { dpkg-query -W -f='${source:Version}' "$1"; }

gtest_version=$(dpkg-query -W -f='${Version}' googletest)
fmt_version=$(source_version libfmt-dev)
mariadb_version=$(source_version libmariadb-dev)
compiler_version=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
recipe=$(cat "${BASH_SOURCE[0]}" "$toolchain" | sha256sum | cut -c1-8)
key=$(echo "gtest-$gtest_version.fmt-$fmt_version.mariadb-$mariadb_version.gcc-$compiler_version.$recipe" |
  tr -c 'A-Za-z0-9.+_\n-' '_')

cache=${XDG_CACHE_HOME:-$HOME/.cache}/monitor-zelnor/windows-deps
prefix="$cache/$key"
if [[ -f "$prefix/.complete" ]]; then
  echo "$prefix"
  exit 0
fi

log "building into $prefix (cold cache: a few minutes)"
rm -rf "$prefix"
mkdir -p "$cache"
work=$(mktemp -d "$cache/.work.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$prefix"

cross_build() { # source-dir build-dir cmake-options...
  local src=$1 build=$2
  shift 2
  cmake -S "$src" -B "$build" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DMZ_WINDOWS_DEPS="$prefix" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    "$@" >"$build.log" 2>&1 || { tail -n 40 "$build.log" >&2; return 1; }
  cmake --build "$build" -j"$jobs" >>"$build.log" 2>&1 || { tail -n 40 "$build.log" >&2; return 1; }
  cmake --install "$build" >>"$build.log" 2>&1 || { tail -n 40 "$build.log" >&2; return 1; }
}

# apt-get source with a private deb-src list and private package lists: the machine's apt
# configuration and state stay untouched.
apt_dir="$work/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/parts"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [[ -f "$f" ]] && sed -n 's/^deb \(.*\)/deb-src \1/p' "$f"
done >"$apt_dir/parts/src.list"
for f in /etc/apt/sources.list.d/*.sources; do
  [[ -f "$f" ]] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/parts/$(basename "$f")"
done
apt_opts=(-o Dir::State::Lists="$apt_dir/lists" -o Dir::Etc::SourceList=/dev/null
  -o Dir::Etc::SourceParts="$apt_dir/parts" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
  -o APT::Sandbox::User=root -qq)
log "reading the source package lists"
apt-get "${apt_opts[@]}" update >&2

# Downloads the source package, preferring the installed version; a version the mirror no
# longer carries (a replaced security update) falls back to the others it lists, newest first.
fetch_source() { # package wanted-version dest
  local package=$1 wanted=$2 dest=$3 v
  local versions
  versions=$( (echo "$wanted"; apt-cache "${apt_opts[@]}" showsrc "$package" |
    sed -n 's/^Version: //p' | sort -rV) | awk '!seen[$0]++')
  mkdir -p "$dest"
  for v in $versions; do
    if (cd "$dest" && apt-get "${apt_opts[@]}" source --download-only "$package=$v" >&2 2>/dev/null); then
      echo "$package $v" >>"$prefix/versions.txt"
      log "fetched $package $v"
      return 0
    fi
  done
  log "no source of $package could be fetched"
  return 1
}

log "GoogleTest $gtest_version"
echo "googletest $gtest_version" >>"$prefix/versions.txt"
cross_build /usr/src/googletest "$work/gtest" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON \
  -Dgtest_disable_pthreads=ON

fetch_source fmtlib "$fmt_version" "$work/fmt-src"
(cd "$work/fmt-src" && dpkg-source -x --skip-patches ./*.dsc fmt >/dev/null 2>&1) ||
  (cd "$work/fmt-src" && mkdir fmt && tar -xf ./*.orig.tar.* -C fmt --strip-components=1)
log "fmt"
# Without locale support: the program formats nothing by locale, and fmt's std::locale calls
# would link most of the C++ library's locale code (about 385 KB) into every program.
cross_build "$work/fmt-src/fmt" "$work/fmt" -DFMT_DOC=OFF -DFMT_TEST=OFF -DFMT_INSTALL=ON \
  -DBUILD_SHARED_LIBS=OFF -DCMAKE_CXX_FLAGS=-DFMT_STATIC_THOUSANDS_SEPARATOR=0

fetch_source mariadb "$mariadb_version" "$work/mariadb-src"
log "MariaDB Connector/C"
mkdir -p "$work/mariadb-src/src"
tarball=""
for candidate in "$work"/mariadb-src/mariadb_*.orig.tar.*; do
  [[ $candidate == *.asc ]] || { tarball=$candidate; break; }
done
tar -xf "$tarball" -C "$work/mariadb-src/src" --strip-components=1 --wildcards '*/libmariadb/*'
# crypt32 and secur32 serve TLS connections only: delay-loaded, they (and what Wine loads behind
# them, Kerberos among it: about 2 MiB) come in at the first TLS connection, not at start-up.
delaylibs=$work/delaylibs
mkdir -p "$delaylibs"
for dll in crypt32 secur32; do
  { echo "LIBRARY $dll.dll"; echo EXPORTS
    x86_64-w64-mingw32-nm -g --defined-only "/usr/x86_64-w64-mingw32/lib/lib$dll.a" |
      awk '$2 == "T" {print $3}'; } >"$delaylibs/$dll.def"
  x86_64-w64-mingw32-dlltool --input-def "$delaylibs/$dll.def" --dllname "$dll.dll" \
    --output-delaylib "$delaylibs/lib$dll.a"
done
LDFLAGS="-L$delaylibs" cross_build "$work/mariadb-src/src/libmariadb" "$work/mariadb" \
  -DWITH_SSL=SCHANNEL -DWITH_EXTERNAL_ZLIB=OFF -DWITH_UNIT_TESTS=OFF -DWITH_CURL=OFF \
  -DCLIENT_PLUGIN_REMOTE_IO=OFF -DCLIENT_PLUGIN_CACHING_SHA2_PASSWORD=STATIC \
  -DCLIENT_PLUGIN_SHA256_PASSWORD=STATIC -DCLIENT_PLUGIN_DIALOG=STATIC \
  -DCLIENT_PLUGIN_CLIENT_ED25519=STATIC -DCLIENT_PLUGIN_MYSQL_CLEAR_PASSWORD=STATIC \
  -DCLIENT_PLUGIN_AUTH_GSSAPI_CLIENT=OFF -DWITH_MSI=OFF -DMARIADB_UNIX_ADDR=

touch "$prefix/.complete"
log "done"
echo "$prefix"
