#!/usr/bin/env bash
# Installs what the build and the test suite need on Debian 12.
# As root it installs what is missing; otherwise it prints the apt-get line to run.
set -euo pipefail

packages=(cmake g++ make openjdk-17-jdk-headless googletest libgtest-dev libbenchmark-dev junit5
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 clang-format clang-tidy)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run as root:" >&2
  echo "  apt-get install -y ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
