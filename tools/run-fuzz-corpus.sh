#!/usr/bin/env bash
# Runs every fuzz target in a build folder once over its committed corpus
# (tests/fuzz/corpus/<target>): a quick check that each still builds, runs and finds
# nothing in what it found before.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/fuzz}
status=0
found=0
for target in $(find "$build" -type f -name '*_fuzz' -perm -u+x | sort); do
  found=$((found + 1))
  name=$(basename "$target")
  corpus="$root/tests/fuzz/corpus/${name%_fuzz}"
  [ -d "$corpus" ] || corpus="$root/tests/fuzz/corpus/$name"
  if [ ! -d "$corpus" ]; then
    echo "fuzz: $name has no corpus folder" >&2
    status=1
    continue
  fi
  if "$target" -runs=0 "$corpus" >"$build/$name.log" 2>&1; then
    echo "fuzz: $name ran over $(ls "$corpus" | wc -l) inputs"
  else
    echo "fuzz: $name failed; see $build/$name.log" >&2
    tail -20 "$build/$name.log" >&2
    status=1
  fi
done
[ "$found" -gt 0 ] || { echo "fuzz: no targets in $build" >&2; exit 1; }
exit $status
