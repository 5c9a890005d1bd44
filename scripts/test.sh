#!/usr/bin/env bash
# Builds Pinmark and runs every test (unit, window and end-to-end) through ctest, in the build
# that CMakePresets.json's "test" preset describes (build-test/). PINMARK_PRESET chooses another
# preset with tests (asan); PINMARK_CMAKE_ARGS are added to the configure command.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
preset="${PINMARK_PRESET:-test}"

"$root/scripts/install-deps.sh" test
cd "$root"
# shellcheck disable=SC2086 # the extra arguments are words on purpose
cmake --preset "$preset" ${PINMARK_CMAKE_ARGS:-}
cmake --build --preset "$preset" -j"$(nproc)"
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
ctest --preset "$preset"
