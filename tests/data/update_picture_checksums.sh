#!/bin/sh
# Rewrites picture-checksums.txt from the pictures the current build writes.
# Run it only when a change is meant to alter pictures, and say in the commit
# why they changed. Usage: tests/data/update_picture_checksums.sh BUILD_DIR
set -eu
build=${1:?usage: $0 BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
VYR_PICTURE_CHECKSUMS_OUT="$tmp" "$build/tests/test_Dxf2Cgm" \
    --gtest_filter=EndToEnd.PicturesKeepTheirBytes >/dev/null || true
test -s "$tmp" || { echo "no checksums were written" >&2; exit 1; }
sort -k2 -u "$tmp" > "$here/picture-checksums.txt"
echo "$(wc -l < "$here/picture-checksums.txt") checksums written"
