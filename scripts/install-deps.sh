#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds, tests and runs with, and any further packages
# named as arguments. Needs root (or sudo).
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-server firebird3.0-utils
  xvfb xauth poppler-utils
  "$@"
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  # The server package would start a system service where one can run; the tests start their own.
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
