#!/usr/bin/env bash
# Runs phone_remote.test.js against a real QRM driving a real MPD. All three run inside a
# private network namespace with only loopback up, so nothing the browser tries reaches
# another machine.
# usage: run_phone_test.sh QRM SOURCE_DIR SCREENSHOT_DIR
set -euo pipefail

if [[ ${1:-} == --inside ]]; then
  shift
  qrm=$1 work=$2 src=$3 shots=$4
  ip link set lo up
  pids=()
  cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done; }
  trap cleanup EXIT
  mpd --no-daemon --stderr "$work/mpd/mpd.conf" >"$work/mpd/stderr" 2>&1 &
  mpd_pid=$!
  pids+=("$mpd_pid")
  socket=$work/mpd/socket
  for _ in $(seq 200); do mpc -q -h "$socket" status >/dev/null 2>&1 && break; sleep 0.1; done
  mpc -q -w -h "$socket" update >/dev/null
  (cd "$work" && VANTOR_REGISTRY_DIR="$work/reg" exec "$qrm" --headless --data-dir "$work/data" \
    >"$work/qrm.out" 2>&1) &
  pids+=($!)
  status=0
  VANTOR_WEB_PORT=18569 VANTOR_SCREENSHOTS="$shots" VANTOR_QRM_LOG="$work/data/qrm.log" \
    VANTOR_MPD_SOCKET="$socket" VANTOR_MPD_PID="$mpd_pid" VANTOR_MUSIC="$work/music" \
    node "$src/tests/web/phone_remote.test.js" || status=$?
  if [[ $status -ne 0 ]]; then
    echo "--- qrm.log"; tail -n 60 "$work/data/qrm.log" 2>/dev/null || true
    echo "--- qrm output"; grep -A30 "ERROR: AddressSanitizer" "$work/qrm.out" | head -40; tail -n 5 "$work/qrm.out" 2>/dev/null || true
  fi
  exit "$status"
fi

qrm=$1 src=$2 shots=$3
for tool in mpd mpc ffmpeg unshare; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
if [[ ! -d $src/web/tests/node_modules/playwright-core ]]; then
  echo "playwright-core is not installed: run scripts/install-deps.sh --dev"
  exit 77
fi
if [[ ! -x /usr/lib/chromium/chromium ]]; then
  echo "chromium is not installed: run scripts/install-deps.sh --dev"
  exit 77
fi

work=$(mktemp -d /tmp/vantor-webtest-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" "$work/reg" "$work/mpd/playlists" "$work/music" "$shots"

# A small library: two albums with covers, one without, an accented artist name.
# artist|album|track|title|frequency
tracks=(
  "Lena Varga Trio|Night Shift|1|Blue Hour|262"
  "Lena Varga Trio|Night Shift|2|Last Call|294"
  "Lena Varga Trio|Night Shift|3|Small Hours|330"
  "Lena Varga Trio|Night Shift|4|Closing Time|349"
  "Björk|Frost Lines|1|Isolde|392"
  "Björk|Frost Lines|2|Glacier|440"
  "Tidewater|Slow Coast|1|Low Tide|196"
)
for t in "${tracks[@]}"; do
  IFS='|' read -r artist album track title freq <<<"$t"
  file="$work/music/$artist/$album/$(printf '%02d' "$track") $title.mp3"
  mkdir -p "$(dirname "$file")"
  ffmpeg -v error -f lavfi -i "sine=frequency=$freq:duration=120" -ac 1 -ar 22050 -c:a libmp3lame \
    -b:a 32k -metadata title="$title" -metadata artist="$artist" -metadata album="$album" \
    -metadata track="$track" -metadata genre=Jazz "$file"
done
for cover in "Lena Varga Trio/Night Shift|0x2b1f4f|0xd9826b" "Björk/Frost Lines|0x1d5c7a|0xbfe3ef"; do
  IFS='|' read -r album c0 c1 <<<"$cover"
  ffmpeg -v error -f lavfi -i "gradients=s=240x240:c0=$c0:c1=$c1:x0=0:y0=0:x1=240:y1=240:nb_colors=2" \
    -frames:v 1 "$work/music/$album/cover.jpg"
done

cat >"$work/mpd/mpd.conf" <<CONF
music_directory "$work/music"
playlist_directory "$work/mpd/playlists"
db_file "$work/mpd/database"
state_file "$work/mpd/state"
sticker_file "$work/mpd/sticker.sql"
log_file "$work/mpd/log"
bind_to_address "$work/mpd/socket"
auto_update "no"
zeroconf_enabled "no"
audio_output {
  type "null"
  name "Null"
  mixer_type "software"
}
CONF
# The namespace is private, so fixed ports cannot collide with anything.
cat >"$work/data/QRM.config" <<CFG
Ports\\XMLChannel=18567
Ports\\XMLChannelDiscover=18568
Ports\\HTTPChannel=18569
Paths\\HTTPRoot=$src/web
PlayerType=MPD
MPD\\Host=$work/mpd/socket
CFG
unshare -n "$0" --inside "$qrm" "$work" "$src" "$shots"
