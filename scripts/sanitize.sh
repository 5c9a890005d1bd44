#!/usr/bin/env bash
# Runs the whole test suite in a build with AddressSanitizer, UndefinedBehaviorSanitizer and
# leak detection (the "asan" preset, build-asan/; suppressions: tests/sanitizers/lsan.supp).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export PINMARK_PRESET=asan
exec "$root/scripts/test.sh"
