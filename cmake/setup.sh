#!/usr/bin/env bash
# Installs what building or testing VolumeSalvager needs, and nothing that
# is there already.
#
#   bash cmake/setup.sh run    CMake and a C++ compiler: enough to build the tool
#   bash cmake/setup.sh test   everything the three test workflows, the gates,
#                              the Windows tests under Wine and the benchmark need
#
# On Debian and Ubuntu it installs the missing packages with apt-get (as
# root directly, otherwise through sudo). Elsewhere it prints what to
# install and exits with status 1.
set -euo pipefail

usage() {
  echo "usage: bash cmake/setup.sh run|test" >&2
  exit 2
}
[ $# -eq 1 ] || usage
case $1 in run | test) ;; *) usage ;; esac

# What must be there, as "how to tell it is there : Debian package". A
# command name is looked up on PATH; a path must exist.
run_needs=(
  "cmake:cmake"
  "make:make"
  "g++:g++"
)
test_needs=(
  "/usr/include/gtest/gtest.h:libgtest-dev"
  "clang-format:clang-format"
  "clang-tidy:clang-tidy"
  "cppcheck:cppcheck"
  "dpkg-deb:dpkg"
  "gzip:gzip"
  "lintian:lintian"
  "x86_64-w64-mingw32-g++:g++-mingw-w64-x86-64"
  "/usr/lib/wine/wine64:wine64"
  "tmux:tmux"
  "Xvfb:xvfb"
  "xdotool:xdotool"
  "setpriv:util-linux"
  "losetup:mount"
  "mkfs.ext4:e2fsprogs"
  "hyperfine:hyperfine"
  "strace:strace"
  "/usr/bin/time:time"
  "script:bsdutils"
)

needs=("${run_needs[@]}")
[ "$1" = test ] && needs+=("${test_needs[@]}")

# sbin holds losetup and mkfs.ext4, and is not on every user's PATH.
PATH=$PATH:/usr/sbin:/sbin

present() {
  case $1 in
    /*) [ -e "$1" ] ;;
    *) command -v "$1" > /dev/null 2>&1 ;;
  esac
}

# The presets need CMake 3.25; an older one cannot be mended from here.
cmake_is_too_old() {
  local version
  version=$(cmake --version 2> /dev/null | sed -n 's/^cmake version \([0-9]*\)\.\([0-9]*\).*/\1 \2/p')
  [ -n "$version" ] || return 1
  set -- $version
  [ "$1" -lt 3 ] || { [ "$1" -eq 3 ] && [ "$2" -lt 25 ]; }
}

missing=()
for need in "${needs[@]}"; do
  present "${need%%:*}" || missing+=("${need#*:}")
done
check_cmake_version() {
  if cmake_is_too_old; then
    echo "setup ($1): $(cmake --version | head -1) is installed; the presets need CMake 3.25 or newer" >&2
    exit 1
  fi
}
if [ ${#missing[@]} -eq 0 ]; then
  check_cmake_version "$1"
  echo "setup ($1): everything is installed"
  exit 0
fi
# One package may answer several needs.
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)

if ! command -v apt-get > /dev/null 2>&1; then
  echo "setup ($1): this is not a Debian or Ubuntu system; install these (Debian names):" >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo > /dev/null 2>&1; then
    echo "setup ($1): not root and no sudo; as root, run: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  as_root=(sudo)
fi

echo "setup ($1): installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
check_cmake_version "$1"
