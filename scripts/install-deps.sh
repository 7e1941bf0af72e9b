#!/usr/bin/env bash
# Installs the Debian 12 packages Trelvane needs: every package the project
# uses is named here, once per group.
#   scripts/install-deps.sh               to build, test and run
#   scripts/install-deps.sh --packaging   to build the Debian package and check it
#                                         (scripts/package.sh; the package's own
#                                         build dependencies come from debian/control)
# Idempotent: only missing packages are installed, with one apt-get update.
set -euo pipefail

# pkg-config: Qt's CMake packages look some of their dependencies up with it.
BUILD=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-serialport-dev
  qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
  libgtest-dev libgmock-dev
  fonts-liberation2 fontconfig
  xvfb xdotool
  libgl1-mesa-dri
  libsqlite3-dev
  clang-14 libclang-rt-14-dev
  help2man desktop-file-utils appstream
)

PACKAGING=(
  build-essential dpkg-dev debhelper lintian appstream desktop-file-utils
  xvfb xdotool xdg-utils libglib2.0-bin shared-mime-info file
)

case "${1:-}" in
  "") PACKAGES=("${BUILD[@]}") ;;
  --packaging) PACKAGES=("${PACKAGING[@]}") ;;
  -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
  *) echo "install-deps.sh: unknown option $1" >&2; exit 2 ;;
esac

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
