#!/usr/bin/env bash
# Builds Pinmark with its gallery address on loopback and runs it on the bundled demo gallery,
# served by a static server that lives exactly as long as the program.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The port is the one the "demo" preset compiles in.
port=8731

"$root/scripts/install-deps.sh" demo
cd "$root"
cmake --preset demo
cmake --build --preset demo -j"$(nproc)"

python3 -m http.server "$port" --bind 127.0.0.1 --directory "$root/demo" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    python3 - "$port" <<'PY' && break
import socket, sys
s = socket.socket(); s.settimeout(0.2)
sys.exit(0 if s.connect_ex(("127.0.0.1", int(sys.argv[1]))) == 0 else 1)
PY
    sleep 0.1
done

# Chromium's sandbox cannot run as root; only then is it switched off.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
"$root/build-demo/bin/pinmark"
