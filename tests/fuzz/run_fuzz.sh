#!/usr/bin/env bash
# Runs every fuzz target for its share of the time, each from seeds made here
# in a folder of this run's own: the bundled seeds, and where the shared
# corpus lies beside the project its maps and the heads of its listings.
# Usage: run_fuzz.sh BUILD_DIR SECONDS_PER_TARGET [CORPUS_DIR]
set -euo pipefail
build=$1 seconds=$2 corpus=${3:-}
cd "$(dirname "$0")/../.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work"/{map,build,budgets,found}

printf '%s' 'flash=90%,ram=3000,stack=31,swstack=192' >"$work/budgets/all"
printf '%s' 'flash=33000' >"$work/budgets/flash"
printf '%s' 'ram=0x100,stack=0' >"$work/budgets/hex"

# A listing's head and its map's, joined as the build target reads them; the
# bundled listing with no map. Heads keep the inputs small enough to mutate.
cp examples/blink.lst "$work/build/blink"
if [[ -n "$corpus" && -d "$corpus" ]]; then
  n=0
  while IFS= read -r map; do
    n=$((n + 1))
    head -c 16384 "$map" >"$work/map/$n"
    listing=${map%.map}.lst
    if [[ -f "$listing" ]]; then
      { head -c 12288 "$listing"; printf '\0MAP\0'; head -c 8192 "$map"; } >"$work/build/$n"
    fi
  done < <(find "$corpus" -name '*.map' | sort)
fi

status=0
run() {
  local target=$1 seeds=$2
  echo "== $target: $seconds s from $(ls "$seeds" | wc -l) seeds"
  mkdir -p "$work/$target"
  "$build/$target" -max_total_time="$seconds" -print_final_stats=1 -max_len=65536 \
    -artifact_prefix="$work/found/$target-" "$work/$target" "$seeds" || status=1
}
run vadrimel_fuzz tests/fuzz/seeds
run map_fuzz "$work/map"
run budgets_fuzz "$work/budgets"
run build_fuzz "$work/build"
if ((status)); then
  for found in "$work"/found/*; do
    echo "== $found (base64)"
    base64 "$found" | head -c 4000
    echo
  done
fi
exit "$status"
