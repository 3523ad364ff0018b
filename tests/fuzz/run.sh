#!/usr/bin/env bash
# Runs every fuzz target of a build for a bounded time each, from its small
# seeds, and fails when one of them finds a crash, a leak or a hang.
# Usage: tests/fuzz/run.sh BUILD_DIR [SECONDS_PER_TARGET]   (default 20)
# The build must be configured with -DVYR_BUILD_FUZZ=ON (Clang).
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-20}
work=$(mktemp -d "${TMPDIR:-/tmp}/vyr_fuzz_XXXXXX")
trap 'rm -rf "$work"' EXIT

# Seeds: the smallest test drawings, a few message texts, a picture.
seed() { # target, files...
  local target=$1; shift
  mkdir -p "$work/$target"
  for f in "$@"; do cp "$f" "$work/$target/"; done
}
data=$src/tests/data
seed fuzz_convert "$data/convert_r12.dxf" "$data/mapping/mapping_r2000.dxf" "$data/undrawn/nothing.dxf"
seed fuzz_dxfreader "$data/convert_r12.dxf" "$data/ezdxf-r12.dxf" "$data/mapping/mapping_r2000.dxf"
seed fuzz_dwgreader
seed fuzz_cgmdump
seed fuzz_mpm_format
printf 'P\002\003\001 The file %%s cannot be %%<LAYER> opened %%2$d.\n' >"$work/fuzz_mpm_format/named"
printf ' \000\000\002%%-10.3f %%+05d %%%% %%p %%<NAME_OF_THIRTY_ONE_CHARACTERS_X> %%x' >"$work/fuzz_mpm_format/widths"
if [ -x "$build/tools/dxf2cgm" ]; then
  "$build/tools/dxf2cgm" "$data/convert_r12.dxf" "$work/fuzz_cgmdump/r12.cgm" >/dev/null 2>&1 || true
fi

status=0
for target in "$build"/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  mkdir -p "$work/$name" "$build/fuzz-crashes"
  echo "== $name: $seconds s"
  if ! (cd "$work" && "$target" "$work/$name" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
        -artifact_prefix="$build/fuzz-crashes/$name-" -print_final_stats=1 >"$work/$name.log" 2>&1); then
    tail -n 60 "$work/$name.log"
    echo "fuzz: $name failed; the input that failed is in $build/fuzz-crashes"
    status=1
  else
    grep -E "^stat::number_of_executed_units|^Done" "$work/$name.log" || tail -n 2 "$work/$name.log"
  fi
done
exit $status
