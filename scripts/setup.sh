#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Does nothing when all are there.
set -euo pipefail

packages=(
  cmake make g++-mingw-w64-x86-64-posix googletest
  wine wine64 xvfb xauth libgl1-mesa-dri
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libxrandr2 libxinerama1 libxcomposite1 libxcursor1 libxi6 libxrender1 libxxf86vm1 libxfixes3
  x11-apps netpbm xdotool
  python3
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
