#!/usr/bin/env bash
# The Windows lane: installs what is missing, builds the Windows dependencies (cached, see
# deps.sh), cross-builds the Qt-free libraries and their tests with mingw-w64 and runs them under
# Wine with CTest, in a Wine prefix of the lane's own (build/wine-prefix), with one private
# MariaDB server for the database tests. Stops what it started.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
jobs=${MZ_JOBS:-$(nproc)}

"$root/scripts/install-deps.sh"
prefix=$(MZ_JOBS=$jobs "$root/scripts/windows/deps.sh")

build="$root/build/windows"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
  -DMZ_WINDOWS_DEPS="$prefix" -DCMAKE_BUILD_TYPE=Debug -DMZ_WERROR=ON -DMZ_BUILD_QT=OFF \
  -DMZ_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$jobs"

export WINEPREFIX="$root/build/wine-prefix" WINEDEBUG=-all
wineserver=/usr/lib/wine/wineserver
db_dir=$(mktemp -d /tmp/mz-windows-db.XXXXXX)
db_file="$build/bin/mariadb-server.txt"
stop_all() {
  rm -f "$db_file"
  "$root/scripts/private-mariadb.sh" stop "$db_dir" || true
  "$wineserver" -k 2>/dev/null || true
}
trap stop_all EXIT

# A port on 127.0.0.1 nobody answers on at the moment.
free_port() {
  local port
  for _ in {1..100}; do
    port=$((20000 + RANDOM % 40000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return 0; }
  done
  echo "test.sh: no free port on 127.0.0.1" >&2
  return 1
}

# The database tests' server: a Windows program cannot start one, so the lane runs one on the
# Linux side, reached over TCP, and the tests take turns on it (CTest RESOURCE_LOCK mariadb).
# The fixture (tests/support/MariaDbServerWin.cpp) reads its address and accounts beside the
# test programs; its administrator stands in for root over the unix socket on Linux.
db_port=$(free_port)
db_admin_password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
"$root/scripts/private-mariadb.sh" start "$db_dir" "$db_port"
"$root/scripts/private-mariadb.sh" sql "$db_dir" "
  CREATE USER 'mzadmin'@'127.0.0.1' IDENTIFIED BY '$db_admin_password';
  GRANT ALL PRIVILEGES ON *.* TO 'mzadmin'@'127.0.0.1' WITH GRANT OPTION;" >/dev/null
printf '%s\n' host=127.0.0.1 "port=$db_port" user=mzuser password=mz-Test-Pw1 \
  admin-user=mzadmin "admin-password=$db_admin_password" >"$db_file"

# A cold Wine start takes seconds; a persistent server keeps each test's start short and keeps
# Wine's helper processes from holding CTest's output pipe open.
mkdir -p "$WINEPREFIX"
# A server left by an earlier, interrupted run would make this one's start fail.
"$wineserver" -k 2>/dev/null || true
"$wineserver" -p </dev/null >/dev/null 2>&1
"$root/scripts/windows/wine-run.sh" wineboot -i >/dev/null 2>&1

# Now and then Wine fails to start a test program at all (no output, a failure within
# milliseconds): a failed test runs once more. The same tests run natively and under the
# sanitizers without a second chance, so a real failure still shows there.
ctest --test-dir "$build" --output-on-failure -j"$jobs" --repeat until-pass:2
"$root/scripts/windows/frontend-test.sh" "$build"
"$root/scripts/windows/lock-test.sh" "$build"
