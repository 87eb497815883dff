#!/usr/bin/env bash
# Builds Vantor and starts the server without a window; arguments go to QRM
# (for example --data-dir DIR, or --help). scripts/start-with-mpd.sh starts it together
# with a private MPD to drive.
#
#   scripts/run.sh --player itunes|wmp [QRM arguments]
#
# starts QRM with the iTunes or Windows Media Player simulator as its player, with a demo
# library, to see those adapters at work. The simulator starts when the first client
# connects (the Windows Media Player library reader starts it at once). Without --data-dir
# the demo keeps its own data folder, "Vantor Demo" beside the usual one, so the user's own
# configuration is left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

player=""
args=()
data_dir=""
while (($#)); do
  case $1 in
    --player) player=${2:-}; shift 2 || { echo "run: --player needs itunes or wmp" >&2; exit 2; } ;;
    --data-dir) data_dir=$2; args+=("$1" "$2"); shift 2 ;;
    *) args+=("$1"); shift ;;
  esac
done
case $player in
  ""|itunes|wmp) ;;
  *) echo "run: unknown player '$player' (itunes or wmp)" >&2; exit 2 ;;
esac

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOR_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"

if [[ -n $player ]]; then
  if [[ -z $data_dir ]]; then
    data_dir=${XDG_DATA_HOME:-$HOME/.local/share}/Quillmere/Vantor\ Demo
    args+=(--data-dir "$data_dir")
  fi
  sim_dir=$data_dir/player-sim
  music=$sim_dir/Music
  mkdir -p "$sim_dir" "$music"
  config=$data_dir/QRM.config
  touch "$config"
  # Sets one key of the server's configuration (key=value lines ending CR LF).
  set_config() {
    awk -v key="$1=" 'index($0, key) != 1' "$config" > "$config.new"
    printf '%s=%s\r\n' "$1" "$2" >> "$config.new"
    mv "$config.new" "$config"
  }
  if [[ $player == itunes ]]; then
    ln -sf "$root/build/release/tools/itunes-sim/itunes-sim" "$sim_dir/iTunes.exe"
    printf 'library-xml=%s\nmusic-dir=%s\n' "$sim_dir/iTunes Music Library.xml" "$music" \
      > "$sim_dir/itunes-sim.conf"
    set_config PlayerType iTunes
    set_config 'Paths\iTunes' "$sim_dir/iTunes.exe"
  else
    ln -sf "$root/build/release/tools/wmp-sim/wmp-sim" "$sim_dir/wmplayer"
    printf 'collection=%s\nmusic-dir=%s\ngenerate=300\n' "$sim_dir/collection.txt" "$music" \
      > "$sim_dir/wmp-sim.conf"
    set_config PlayerType WMP
    set_config 'Paths\WMP' "$sim_dir/wmplayer"
  fi
  echo "run: $player simulator in $sim_dir; data folder $data_dir" >&2
fi
exec build/release/server/QRM --headless "${args[@]}"
