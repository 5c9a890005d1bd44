#!/usr/bin/env bash
# Builds the Debian package from a fresh checkout of this tree (committed files, with their
# uncommitted changes), the way the distribution's tools do: apt-get build-dep, then
# dpkg-buildpackage. The result must pass lintian without errors or warnings, and the packaged
# program must pass hardening-check.
#   scripts/package.sh [OUTPUT_DIR]     (default: build-package/)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$(realpath -m "${1:-$root/build-package}")"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

"$root/scripts/install-deps.sh" package

work="$(mktemp -d "${TMPDIR:-/tmp}/pinmark-package.XXXXXX")"
trap 'rm -rf "$work"' EXIT
src="$work/pinmark"
mkdir "$src"
# A stash commit holds the working tree's changes to tracked files; without changes, HEAD.
snapshot="$(git -C "$root" stash create)"
git -C "$root" archive "${snapshot:-HEAD}" | tar -x -C "$src"

if ! (cd "$src" && dpkg-checkbuilddeps >/dev/null 2>&1); then
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update
    $sudo apt-get build-dep -y --no-install-recommends "$src"
fi

# Source and binary packages, so that lintian checks both.
(cd "$src" && dpkg-buildpackage -us -uc -j"$(nproc)")

changes=("$work"/pinmark_*.changes)
[ -f "${changes[0]}" ] || { echo "package.sh: dpkg-buildpackage made no .changes file" >&2; exit 1; }
lintian --fail-on error,warning --info --display-info "${changes[0]}"

# The packaged program, as installed: hardened, complete, and answering without a display.
deb=("$work"/pinmark_*.deb)
tree="$work/installed"
dpkg-deb -x "${deb[0]}" "$tree"
plugin=("$tree"/usr/lib/*/pinmark/pinmark-webengine.so)
library=("$tree"/usr/lib/*/pinmark/libpinmark-browser.so)
# Debian 12's C start files carry no IBT/SHSTK marker, so no program linked there can be marked
# for control-flow protection, although all of ours is compiled with -fcf-protection.
skip=(--nocfprotection)
# Branch protection is arm64's; Debian 13's hardening-check looks for it on every architecture.
if [ "$(dpkg --print-architecture)" != arm64 ] &&
    grep -q -- '--nobranchprotection' "$(command -v hardening-check)"; then
    skip+=(--nobranchprotection)
fi
hardening-check "${skip[@]}" "$tree/usr/bin/pinmark"
# The engine plugin and the browser library call only memmove of the C library's checkable
# functions, inside Qt's containers and on sizes known only at run time: they hold nothing for
# the fortified functions to check.
hardening-check "${skip[@]}" --nofortify "${plugin[0]}" "${library[0]}"
for file in usr/share/man/man1/pinmark.1.gz usr/share/applications/net.velmora.Pinmark.desktop \
            usr/share/metainfo/net.velmora.Pinmark.metainfo.xml \
            usr/share/icons/hicolor/scalable/apps/net.velmora.Pinmark.svg \
            usr/share/doc/pinmark/copyright; do
    [ -e "$tree/$file" ] || { echo "package.sh: the package lacks /$file" >&2; exit 1; }
done
helper=("$tree"/usr/lib/*/pinmark/pinmark-clipread)
[ -x "${helper[0]}" ] || { echo "package.sh: the package lacks the clipboard reader" >&2; exit 1; }
# Every message of the program starts in Arabic: whichever of its fonts the package pulls in
# must have the letters.
fonts="$(dpkg-deb -f "${deb[0]}" Depends | grep -o 'fonts-[a-z0-9.+-]*' | sort -u)"
[ -n "$fonts" ] || { echo "package.sh: the package depends on no font" >&2; exit 1; }
for font in $fonts; do
    languages="$(dpkg -L "$font" | grep -E '\.(ttf|otf|ttc)$' |
        xargs -r -n1 fc-scan --format '%{lang}\n' | tr '|' '\n' | sort -u)"
    grep -qx ar <<<"$languages" ||
        { echo "package.sh: the package's font $font has no Arabic letters" >&2; exit 1; }
done
[ -f "$work"/pinmark-dbgsym_*.deb ] || { echo "package.sh: no -dbgsym package" >&2; exit 1; }
version="$(env -u DISPLAY -u WAYLAND_DISPLAY "$tree/usr/bin/pinmark" --version)"
[ "$version" = "Pinmark $(cd "$src" && dpkg-parsechangelog -S Version | sed 's/-[^-]*$//')" ] ||
    { echo "package.sh: the packaged program says \"$version\"" >&2; exit 1; }

mkdir -p "$out"
cp "$work"/*.deb "$work"/*.changes "$work"/*.buildinfo "$work"/*.dsc "$work"/*.tar.* "$out"/
echo "package.sh: packages in $out"
ls -1 "$out"
