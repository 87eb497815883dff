#!/usr/bin/env bash
# Runs phone_remote.test.js against a real QRM. Both run inside a private network
# namespace with only loopback up, so nothing the browser tries reaches another machine.
# usage: run_phone_test.sh QRM ITUNES_GEN SOURCE_DIR SCREENSHOT_DIR
set -euo pipefail

if [[ ${1:-} == --inside ]]; then
  shift
  qrm=$1 work=$2 src=$3 shots=$4
  ip link set lo up
  (cd "$work" && VANTOR_REGISTRY_DIR="$work/reg" exec "$qrm" --headless --data-dir "$work/data" \
    >"$work/qrm.out" 2>&1) &
  qrm_pid=$!
  status=0
  VANTOR_WEB_PORT=18569 VANTOR_SCREENSHOTS="$shots" VANTOR_QRM_LOG="$work/data/qrm.log" \
    node "$src/tests/web/phone_remote.test.js" || status=$?
  kill "$qrm_pid" 2>/dev/null || true
  wait "$qrm_pid" 2>/dev/null || true
  if [[ $status -ne 0 ]]; then
    echo "--- qrm.log"; tail -n 60 "$work/data/qrm.log" 2>/dev/null || true
  fi
  exit "$status"
fi

qrm=$1 gen=$2 src=$3 shots=$4
if [[ ! -d $src/web/tests/node_modules/playwright-core ]]; then
  echo "playwright-core is not installed: run scripts/install-deps.sh"
  exit 77
fi
if [[ ! -x /usr/lib/chromium/chromium ]]; then
  echo "chromium is not installed: run scripts/install-deps.sh"
  exit 77
fi

work=$(mktemp -d /tmp/vantor-webtest-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" "$work/reg" "$shots"
"$gen" --tracks 120 --seed 11 --lf --out "$work/library.xml" >/dev/null
# The namespace is private, so fixed ports cannot collide with anything.
cat >"$work/data/QRM.config" <<CFG
Ports\\XMLChannel=18567
Ports\\XMLChannelDiscover=18568
Ports\\HTTPChannel=18569
Paths\\HTTPRoot=$src/web
Paths\\iTunesXML=$work/library.xml
PlayerType=iTunes
SimulatedPlayer=true
CFG
unshare -n "$0" --inside "$qrm" "$work" "$src" "$shots"
