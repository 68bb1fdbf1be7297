#!/usr/bin/env bash
# Runs bench/wire_bench.cpp against a receiver of its own: a Release build without sanitizers
# in build/bench, smbd on 127.83.1.41 (tools/receiver.sh), stopped again at the end.
#
#   bench/wire_bench.sh [messages per run] [rounds]     (200 and 3 by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/bench
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target wire_bench >/dev/null
state=$build/receiver
address=127.83.1.41
"$root/tools/receiver.sh" start "$state" "$address"
trap '"$root/tools/receiver.sh" stop "$state"' EXIT
"$build/bench/wire_bench" "$address" "$state/inbox" "${1:-200}" "${2:-3}"
