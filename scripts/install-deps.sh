#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, and only those missing.
set -euo pipefail

packages=(
  g++ cmake make pkg-config git
  libfmt-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  libmariadb-dev libssl-dev mariadb-server mariadb-client
  qt6-base-dev qt6-base-dev-tools libgl-dev
  xvfb xauth openbox trayer xdotool x11-utils wmctrl
  fonts-dejavu-core locales iproute2 util-linux procps python3 imagemagick strace
  clang-format clang-tidy shellcheck
  dpkg-dev fakeroot file lintian desktop-file-utils debootstrap debian-archive-keyring
  g++-mingw-w64-x86-64-posix wine64 nsis
  prometheus prometheus-node-exporter curl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
