#!/usr/bin/env bash
# One command to try Vantor with a real player: builds the server when needed, starts a
# private MPD (its own configuration, database, state and socket in the data folder),
# points QRM at it and starts QRM. Ctrl-C stops both.
#
#   scripts/start-with-mpd.sh [--data-dir DIR] [--music DIR] [--no-build]
#
# Music: --music DIR, else $XDG_MUSIC_DIR or ~/Music when it holds audio files, else a small
# demo folder of tagged tones generated once in the data folder. Sound goes to PulseAudio or
# ALSA when there is a sound device, otherwise to a null output (playback still runs).
# VANTOR_QRM names a QRM program to run instead of building one (tests use it).
set -euo pipefail
start_dir=$(pwd)
cd "$(dirname "$0")/.."
root=$(pwd)

usage() { sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; }
# One line saying what is wrong, then the usage; never a shell error.
die_usage() { echo "start-with-mpd: $1" >&2; usage >&2; exit 2; }

data_dir=${VANTOR_DATA_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/Quillmere/Vantor}
music_dir=""
build=1
while (($#)); do
  case $1 in
    --data-dir|--music)
      [[ $# -ge 2 && -n $2 && $2 != --* ]] || die_usage "$1 needs a folder"
      if [[ $1 == --data-dir ]]; then data_dir=$2; else music_dir=$2; fi
      shift 2 ;;
    --data-dir=*) data_dir=${1#*=}; shift ;;
    --music=*) music_dir=${1#*=}; shift ;;
    --no-build) build=0; shift ;;
    -h|--help) usage; exit 0 ;;
    *) die_usage "unknown option $1" ;;
  esac
done
# Folders named on the command line are taken from where the script was started.
absolute() { if [[ $1 == /* ]]; then printf '%s' "$1"; else printf '%s/%s' "$start_dir" "$1"; fi; }
data_dir=$(absolute "$data_dir")
[[ -z $music_dir ]] || music_dir=$(absolute "$music_dir")
[[ -z $music_dir || -d $music_dir ]] || die_usage "the music folder $music_dir does not exist"
data_dir=${data_dir%/}
mpd_dir=$data_dir/mpd
mkdir -p "$mpd_dir/playlists"

# One server per data folder: it holds an exclusive lock on this file while it runs.
if ! flock -n "$data_dir/Orvex.lock" true 2>/dev/null; then
  echo "start-with-mpd: a Vantor server is already running on $data_dir; stop it first, or give another --data-dir" >&2
  exit 1
fi

qrm=${VANTOR_QRM:-$root/build/release/server/QRM}
if [[ -z ${VANTOR_QRM:-} ]] && { ((build)) || [[ ! -x $qrm ]]; }; then
  # Only the compiler tool chain, mpd, mpc, ffmpeg and libmpdclient are needed here, so a
  # package that cannot be installed (a web test tool, say) does not stop the start.
  scripts/install-deps.sh || echo "start-with-mpd: not every package could be installed; building anyway" >&2
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOR_BUILD_TESTS=OFF >/dev/null
  cmake --build build/release -j "$(nproc)" --target QRM
fi

has_audio() {
  [[ -d $1 ]] && [[ -n $(find -L "$1" -type f \( -iname '*.mp3' -o -iname '*.flac' -o -iname '*.ogg' \
    -o -iname '*.opus' -o -iname '*.m4a' -o -iname '*.wav' \) -print -quit 2>/dev/null) ]]
}

make_demo_music() {
  local dir=$1
  [[ -f $dir/.complete ]] && return 0
  echo "start-with-mpd: generating a demo music folder in $dir"
  mkdir -p "$dir"
  # genre|artist|album|track|title|frequency
  local tracks=(
    "Ambient|Tidewater|Slow Coast|1|Low Tide|196"
    "Ambient|Tidewater|Slow Coast|2|Salt Marsh|220"
    "Ambient|Tidewater|Slow Coast|3|Fog Bank|247"
    "Jazz|Lena Varga Trio|Night Shift|1|Blue Hour|262"
    "Jazz|Lena Varga Trio|Night Shift|2|Last Call|294"
    "Electronic|Søren Åkesson|Kontur|1|Puls|330"
  )
  local t genre artist album track title freq file
  for t in "${tracks[@]}"; do
    IFS='|' read -r genre artist album track title freq <<<"$t"
    file="$dir/$artist/$album/$(printf '%02d' "$track") $title.mp3"
    mkdir -p "$(dirname "$file")"
    ffmpeg -v error -y -f lavfi -i "sine=frequency=$freq:duration=60" -ac 1 -ar 22050 \
      -c:a libmp3lame -b:a 48k -id3v2_version 3 -metadata title="$title" \
      -metadata artist="$artist" -metadata album="$album" -metadata track="$track" \
      -metadata genre="$genre" "$file"
  done
  # A cover per album, as most real albums have one.
  local cover
  for cover in "Tidewater/Slow Coast|0x1d5c7a|0x7fc8c0" "Lena Varga Trio/Night Shift|0x2b1f4f|0xd9826b" \
    "Søren Åkesson/Kontur|0x103a2e|0xe2c35b"; do
    IFS='|' read -r album c0 c1 <<<"$cover"
    ffmpeg -v error -y -f lavfi -i "gradients=s=300x300:c0=$c0:c1=$c1:x0=0:y0=0:x1=300:y1=300:nb_colors=2" \
      -frames:v 1 "$dir/$album/cover.jpg" || true
  done
  touch "$dir/.complete"
}

if [[ -n $music_dir ]] && ! has_audio "$music_dir"; then
  echo "start-with-mpd: $music_dir holds no audio files yet; the library stays empty until you" \
    "add some and tap \"Rescan library\" in the phone remote (without --music you get demo tones)"
fi
if [[ -z $music_dir ]]; then
  user_music=${XDG_MUSIC_DIR:-$HOME/Music}
  if has_audio "$user_music"; then
    music_dir=$user_music
  else
    music_dir=$mpd_dir/demo-music
    make_demo_music "$music_dir"
    if [[ ! -f $mpd_dir/playlists/Demo\ Mix.m3u ]]; then
      printf '%s\n' "Tidewater/Slow Coast/01 Low Tide.mp3" "Lena Varga Trio/Night Shift/02 Last Call.mp3" \
        "Søren Åkesson/Kontur/01 Puls.mp3" >"$mpd_dir/playlists/Demo Mix.m3u"
    fi
  fi
fi
music_dir=$(cd "$music_dir" && pwd)

output_block() {
  if [[ -S ${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native || -n ${PULSE_SERVER:-} ]]; then
    printf 'audio_output {\n  type "pulse"\n  name "Speakers"\n}\n'
  elif compgen -G "/dev/snd/pcmC*p" >/dev/null; then
    printf 'audio_output {\n  type "alsa"\n  name "Speakers"\n}\n'
  else
    printf 'audio_output {\n  type "null"\n  name "Null"\n  mixer_type "software"\n}\n'
  fi
}

quote() { local v=${1//\\/\\\\}; printf '"%s"' "${v//\"/\\\"}"; }

socket=$mpd_dir/socket
conf=$mpd_dir/mpd.conf
{
  echo "music_directory $(quote "$music_dir")"
  echo "playlist_directory $(quote "$mpd_dir/playlists")"
  echo "db_file $(quote "$mpd_dir/database")"
  echo "state_file $(quote "$mpd_dir/state")"
  echo "sticker_file $(quote "$mpd_dir/sticker.sql")"
  echo "pid_file $(quote "$mpd_dir/pid")"
  echo "log_file $(quote "$mpd_dir/log")"
  echo "bind_to_address $(quote "$socket")"
  echo 'auto_update "yes"'
  echo 'zeroconf_enabled "no"'
  output_block
} >"$conf"

mpd_pid=""
qrm_pid=""
cleanup() {
  trap - INT TERM EXIT
  set +e
  if [[ -n $qrm_pid ]]; then kill "$qrm_pid" 2>/dev/null; wait "$qrm_pid" 2>/dev/null; fi
  if [[ -n $mpd_pid ]]; then kill "$mpd_pid" 2>/dev/null; wait "$mpd_pid" 2>/dev/null; fi
  echo "start-with-mpd: stopped"
}
trap cleanup INT TERM EXIT

if mpc -q -h "$socket" status >/dev/null 2>&1; then
  echo "start-with-mpd: using the MPD already running on $socket"
else
  rm -f "$socket"
  mpd --no-daemon --stderr "$conf" 2>>"$mpd_dir/stderr.log" &
  mpd_pid=$!
  for _ in $(seq 100); do
    mpc -q -h "$socket" status >/dev/null 2>&1 && break
    kill -0 "$mpd_pid" 2>/dev/null || { echo "start-with-mpd: mpd did not start, see $mpd_dir/log" >&2; exit 1; }
    sleep 0.1
  done
fi

# MPD keeps its database when its music folder changes: have it rescan then, and wait, so
# that QRM reads the new library at once.
folder_note=$mpd_dir/music-folder
if [[ ! -f $folder_note || $(<"$folder_note") != "$music_dir" ]]; then
  echo "start-with-mpd: scanning $music_dir"
  mpc -q -w -h "$socket" update >/dev/null 2>&1 ||
    echo "start-with-mpd: MPD could not rescan $music_dir, see $mpd_dir/log" >&2
  printf '%s' "$music_dir" >"$folder_note"
fi

# Point QRM at the private MPD; other settings in QRM.config stay as they are.
config=$data_dir/QRM.config
set_config() {
  local key=$1 value=$2 tmp
  tmp=$(mktemp "$data_dir/.QRM.config.XXXXXX")
  if [[ -f $config ]]; then
    awk -v k="$key" 'index($0, k "=") != 1' "$config" >"$tmp"
  fi
  printf '%s=%s\r\n' "$key" "$value" >>"$tmp"
  mv "$tmp" "$config"
}
set_config PlayerType MPD
set_config 'MPD\Host' "$socket"

# QRM logs to standard error; a copy tells when it has started, or why it could not.
qrm_stderr=$mpd_dir/qrm-start.log
: >"$qrm_stderr"
"$qrm" --headless --data-dir "$data_dir" 2> >(tee -a "$qrm_stderr" >&2) &
qrm_pid=$!
while ! grep -q "Server is started" "$qrm_stderr"; do
  if ! kill -0 "$qrm_pid" 2>/dev/null; then
    status=0
    wait "$qrm_pid" || status=$?
    qrm_pid=""
    reason=$(grep -E '^QRM: ' "$qrm_stderr" | tail -n 1)
    echo "start-with-mpd: QRM did not start${reason:+: ${reason#QRM: }} (exit status $status)" >&2
    exit 1
  fi
  sleep 0.1
done

http_port=$(awk -F= '$1 == "Ports\\HTTPChannel" { sub(/\r$/, "", $2); print $2 }' "$config" 2>/dev/null)
http_port=${http_port:-3569}
address=$(hostname -I 2>/dev/null | awk '{ print $1 }')
echo "start-with-mpd: MPD plays $music_dir"
echo "start-with-mpd: open http://${address:-127.0.0.1}:$http_port/ (or http://127.0.0.1:$http_port/)"
echo "start-with-mpd: Ctrl-C stops QRM and MPD"
wait "$qrm_pid" || true
qrm_pid=""
