#!/usr/bin/env bash
# Installs what the build and the test suite need on Debian 12.
# As root it installs what is missing; otherwise it prints the apt-get line to run.
set -euo pipefail

packages=(cmake g++ make openjdk-17-jdk-headless googletest libgtest-dev libbenchmark-dev junit5
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 clang-format clang-tidy
          clang libclang-rt-14-dev)

# wine32 runs the 32-bit Windows checks, but only where the kernel runs 32-bit
# programs. The probe is the smallest i386 Linux program: it exits with 0.
runs_32bit_programs() {
  local probe status=0
  probe=$(mktemp)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'`
        `'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'`
        `'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'`
        `'\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'`
        `'\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00'`
        `'\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' > "$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return "$status"
}
if runs_32bit_programs; then
  packages+=(wine32:i386)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run as root:" >&2
  if [[ " ${missing[*]} " == *":i386 "* ]]; then
    echo "  dpkg --add-architecture i386 && apt-get update" >&2
  fi
  echo "  apt-get install -y ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
