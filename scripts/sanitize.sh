#!/usr/bin/env bash
# Runs the whole test suite in a build with AddressSanitizer, UndefinedBehaviorSanitizer and
# leak detection (suppressions: tests/sanitizers/lsan.supp).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export PINMARK_TEST_BUILD="$root/build-asan"
export PINMARK_CMAKE_ARGS="-DPINMARK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug ${PINMARK_CMAKE_ARGS:-}"
exec "$root/scripts/test.sh"
