#!/usr/bin/env bash
# Installs the Debian packages Vantor needs. Idempotent: does nothing when every package
# is already present.
#
#   scripts/install-deps.sh         what building and running the server needs: the compiler
#                                   tool chain, the libraries (GTK for its window), MPD, mpc
#                                   and ffmpeg
#   scripts/install-deps.sh --dev   also what testing and benchmarking need: GoogleTest,
#                                   Google Benchmark, clang (fuzzers), chromium and the
#                                   browser-test driver, nginx and wrk, Xvfb, xdotool,
#                                   ImageMagick, mpv and the D-Bus and Avahi daemons
set -euo pipefail
cd "$(dirname "$0")/.."

dev=0
case ${1:-} in
  --dev) dev=1 ;;
  "") ;;
  -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "install-deps: unknown option $1 (use --dev or nothing)" >&2; exit 2 ;;
esac

packages=(
  build-essential cmake ninja-build pkg-config
  libsqlite3-dev libcurl4-openssl-dev libssl-dev libmpdclient-dev
  libsystemd-dev libtag1-dev libavahi-client-dev
  libgtkmm-3.0-dev libgtk-3-dev libcairo2-dev libpango1.0-dev libgdk-pixbuf-2.0-dev libdevil-dev
  libayatana-appindicator3-dev librsvg2-common adwaita-icon-theme fonts-cantarell fonts-dejavu-core
  mpd mpc ffmpeg
)
if ((dev)); then
  packages+=(
    clang libclang-rt-14-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    sqlite3 wrk nginx-light chromium iproute2 util-linux
    xvfb xauth
    mpv mpv-mpris playerctl dbus-daemon avahi-daemon
    dbus xdotool imagemagick x11-utils
  )
  # Node.js and npm drive the browser tests; a machine that already has them (from any
  # source) keeps its own, since Debian's npm cannot be installed beside another nodejs.
  if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    packages+=(nodejs npm)
  fi
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
if ((dev)) && [[ -f web/tests/package.json ]] && [[ ! -d web/tests/node_modules/playwright-core ]]; then
  (cd web/tests && npm ci --no-audit --no-fund --silent)
fi
