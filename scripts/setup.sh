#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Packages that are already installed are skipped, so a second run is quick
# and needs no network.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev
  libcli11-dev nlohmann-json3-dev libre2-dev
  xvfb xauth imagemagick fonts-dejavu-core
  clang-format clang-tidy
  libxml2-utils
  python3-jsonschema python3-rfc3987
  dpkg-dev fakeroot file
  zlib1g-dev git
  libcurl4-openssl-dev ca-certificates libssl-dev
  appstream desktop-file-utils groff-base xdotool lintian
  # The browser checks of the modern page: Chromium runs axe-core, Java
  # runs the Nu Html Checker (tests/browser/install-tools.sh fetches both
  # with curl).
  chromium default-jre-headless curl ca-certificates
)
# A machine may carry a newer Node.js of its own: Debian's only where there
# is no npm at all.
command -v npm >/dev/null || packages+=(nodejs npm)
# Callers may ask for more, e.g. the benchmark's tree and time.
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
