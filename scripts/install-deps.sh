#!/usr/bin/env bash
# Installs the Debian packages Pinmark needs (the same names on Debian 12 and 13), in sets:
#   install-deps.sh demo      building and running the program
#   install-deps.sh [test]    that, plus what the tests need (the default)
#   install-deps.sh package   what scripts/package.sh needs around apt-get build-dep
# debian/control declares the same build dependencies for the package build.
# Skips apt entirely when everything is already there.
set -euo pipefail

demo=(
  build-essential cmake ninja-build pkgconf
  qt6-base-dev qt6-base-dev-tools
  qt6-webengine-dev qt6-webengine-dev-tools qt6-webchannel-dev qt6-declarative-dev
  libqt6webenginecore6-bin qt6-qpa-plugins qt6-wayland
  libgl-dev libxkbcommon-dev libx11-dev libxfixes-dev libxcb1-dev libwayland-dev
  python3
  # Arabic letters: every message of the program starts in Arabic (debian/control depends on it)
  fonts-noto-core fonts-hosny-amiri fonts-dejavu-core
)
test=(
  "${demo[@]}"
  git help2man
  xvfb xauth x11-utils xdotool xclip imagemagick
  libxtst-dev
  dbus dbus-x11 metacity openbox
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0
  sway grim wl-clipboard wtype libwayland-dev wayland-protocols
  mutter kwin-wayland kwin-common plasma-wayland-protocols python3-gi gir1.2-glib-2.0
  desktop-file-utils appstream file
  util-linux procps iproute2 openssl
)
package=(
  git dpkg-dev devscripts debhelper fakeroot lintian
  # the fonts the package depends on, so that the check can read which letters they have
  fontconfig fonts-noto-core fonts-hosny-amiri
)

case "${1:-test}" in
  demo) packages=("${demo[@]}") ;;
  test) packages=("${test[@]}") ;;
  package) packages=("${package[@]}") ;;
  *) echo "usage: install-deps.sh [demo|test|package]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
