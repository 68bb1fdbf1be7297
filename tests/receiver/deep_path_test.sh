#!/usr/bin/env bash
# The test receiver from a checkout where it used to fail: a build folder far deeper than a
# Unix socket path can hold (smbd died at start), inside a folder of mode 0700 like a home
# folder (the guest account, as which smbd runs its message command, could not reach the
# inbox), with a blank and letters outside ASCII in its name. Only the receiver's part of the
# checkout is copied there and configured as a small project of its own; the delivery is made
# by this build's receiver tests. Seconds, no build.
#
#   tests/receiver/deep_path_test.sh <source dir> <korvel_receiver_tests>
set -euo pipefail

src=$1
client=$2
base=$(mktemp -d /tmp/korvel-deep.XXXXXX)
trap 'rm -rf -- "$base"' EXIT
chmod 0700 "$base"
deep=$base
for i in 1 2 3 4; do deep+=/a-folder-name-long-enough-to-matter-$i; done
deep+="/Мои документы/korvel"
mkdir -p "$deep/tools" "$deep/tests/receiver"
cp "$src/tools/receiver.sh" "$deep/tools/"
cp "$src/tests/receiver/receiver.cmake" "$deep/tests/receiver/"
cat > "$deep/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.21)
project(korvel_receiver_deep NONE)
enable_testing()
include(tests/receiver/receiver.cmake)
add_test(NAME delivery COMMAND "$client" --gtest_filter=Receiver.LinesArrive*)
# Without a receiver the test skips, which would count as passed: it must have run.
set_tests_properties(delivery PROPERTIES FIXTURES_REQUIRED receiver
  ENVIRONMENT "\${KORVEL_RECEIVER_ENVIRONMENT}" PASS_REGULAR_EXPRESSION "PASSED  ] 1 test[.]")
CMAKE
build=$deep/build/native
echo "deep-path: the build folder is ${#build} characters long, in a folder of mode $(stat -c %a "$base")"
cmake -S "$deep" -B "$build" >/dev/null
state=$(grep -o '/tmp/korvel-receiver-[0-9a-f]*' "$build/CTestTestfile.cmake" | head -n 1 || true)
ctest --test-dir "$build" --output-on-failure
if [ -n "$state" ] && [ -e "$state" ]; then
  echo "deep-path: the receiver's folder $state is still there after its stop" >&2
  exit 1
fi
