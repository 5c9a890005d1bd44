#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Pinmark need.
# Skips apt entirely when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev-tools
  qt6-webengine-dev qt6-webengine-dev-tools qt6-webchannel-dev qt6-declarative-dev
  libqt6webenginecore6-bin qt6-qpa-plugins qt6-wayland
  libgl-dev libxkbcommon-dev
  python3
  xvfb xauth x11-utils xdotool xclip imagemagick
  libx11-dev libxfixes-dev libxtst-dev libxcb1-dev
  dbus dbus-x11 metacity openbox
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0
  sway grim wl-clipboard libwayland-dev wayland-protocols
  fonts-noto-core fonts-hosny-amiri fonts-dejavu-core
  desktop-file-utils appstream file
  util-linux procps iproute2
)

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
