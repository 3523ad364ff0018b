#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages that building and testing the
# library need and this machine lacks, and any further packages named on the
# command line; does nothing when all are there. Used by the README's quick
# start and by the CI script. FreeType and the outline fonts (URW base35 for
# Latin, the Droid fallback for Japanese, Chinese and Korean) give the
# compatibility profile its glyph outlines, which the text tests check.
# Usage: tools/install-deps.sh [PACKAGE...]
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libfreetype-dev fonts-urw-base35
  fonts-droid-fallback "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
