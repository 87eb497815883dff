#!/usr/bin/env bash
# Installs the Debian packages Vantor needs to build, test and benchmark.
# Idempotent: does nothing when every package is already present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev sqlite3 libcurl4-openssl-dev libssl-dev libmpdclient-dev
  mpd mpc ffmpeg
  libsystemd-dev libtag1-dev libavahi-client-dev
  mpv mpv-mpris playerctl dbus-daemon avahi-daemon
  wrk nginx-light chromium iproute2
  xvfb xauth
  libgtkmm-3.0-dev libgtk-3-dev libcairo2-dev libpango1.0-dev libgdk-pixbuf-2.0-dev libdevil-dev
  libayatana-appindicator3-dev librsvg2-common dbus adwaita-icon-theme fonts-cantarell
  fonts-dejavu-core xdotool imagemagick x11-utils
)
# Node.js and npm drive the browser tests; a machine that already has them (from any
# source) keeps its own, since Debian's npm cannot be installed beside another nodejs.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  packages+=(nodejs npm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}"
  sudo_cmd=""
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd="sudo"; fi
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "install-deps: all packages present"
fi

# Browser test driver for the phone pages (no browser download: Debian's chromium is used).
if [[ -f web/tests/package.json ]] && [[ ! -d web/tests/node_modules/playwright-core ]]; then
  (cd web/tests && npm ci --no-audit --no-fund --silent)
fi
