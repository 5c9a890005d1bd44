#!/usr/bin/env bash
# Builds Pinmark and runs every test (unit, window and end-to-end) through ctest.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${PINMARK_TEST_BUILD:-$root/build-test}"

"$root/scripts/install-deps.sh" test
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPINMARK_GALLERY_URL=http://127.0.0.1:18731/fmm/fe/moq.htm -DPINMARK_LINK_TARGET_URL=http://127.0.0.1:18731/ -DPINMARK_PORTAL_URL=http://127.0.0.1:18731 -DPINMARK_PUBLISHER_HOST=127.0.0.1 ${PINMARK_CMAKE_ARGS:-}
cmake --build "$build" -j"$(nproc)"
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
cd "$build"
ctest --output-on-failure --timeout 600
