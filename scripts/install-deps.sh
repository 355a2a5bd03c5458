#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds, tests and runs with, and any further packages
# named as arguments. Needs root (or sudo).
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libgl-dev
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-server firebird3.0-utils
  xvfb xauth poppler-utils python3
  locales qt6-translations-l10n
  libqrencode-dev libxlsxwriter-dev libcurl4-openssl-dev ca-certificates
  zbar-tools python3-aiosmtpd
  "$@"
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  # The server package would start a system service where one can run; the tests start their own.
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The demo runs in Brazilian Portuguese (pt_BR.UTF-8: 13.200,75 and dd/mm/yy), generated once.
if ! locale -a 2>/dev/null | grep -qix 'pt_BR\.utf-\?8'; then
  if grep -q '^# *pt_BR.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    $SUDO sed -i 's/^# *\(pt_BR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  else
    echo 'pt_BR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
