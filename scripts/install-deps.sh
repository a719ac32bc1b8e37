#!/usr/bin/env bash
# Installs the Debian 12 packages Velmar needs to build, test and run, when any
# is missing. Safe to run again: it does nothing when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang clang-format libclang-rt-14-dev pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-l10n-tools
  libarchive-dev libarchive-tools libcurl4-openssl-dev libssl-dev
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils firebird3.0-server
  fonts-ipafont-gothic xvfb xauth poppler-utils
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  hyperfine jlha-utils python3 openssl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
