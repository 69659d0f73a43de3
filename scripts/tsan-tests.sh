#!/usr/bin/env bash
# Builds the device tests with ThreadSanitizer in build-tsan and runs them:
# the listener, the apply worker, the command lock, the device families and
# the update check's worker share data across threads, and a race there must
# fail the run.
# Arguments go to the test binary (for example --gtest_filter='HidDev*').
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${ZV_TSAN_BUILD:-build-tsan}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZV_TSAN=ON >/dev/null
cmake --build "$BUILD" --target device_tests

export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
"$BUILD/tests/device_tests" "$@"
