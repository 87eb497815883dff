#!/usr/bin/env bash
# The start script against the real QRM and a real MPD: it prints the web address only once
# QRM listens, says plainly why QRM could not start (a port in use), and refuses to start a
# second server on the same data folder.
#   start_with_mpd_test.sh QRM SOURCE_DIR
set -uo pipefail
qrm=$1
src=$2
for tool in mpd mpc ffmpeg flock python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d /tmp/vantor-start-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  [[ -n ${holder:-} ]] && kill "$holder" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; for f in "$work"/*.out; do echo "--- $f"; cat "$f"; done; exit 1; }

read -r xml_port discover_port http_port < <(python3 - <<'PY'
import socket
ports = []
socks = []
while len(ports) < 3:
    t = socket.socket(); t.bind(("127.0.0.1", 0)); p = t.getsockname()[1]
    u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        u.bind(("127.0.0.1", p))
    except OSError:
        continue
    socks += [t, u]; ports.append(p)
print(*ports)
PY
)
data=$work/data
mkdir -p "$data" "$work/music/Artist/Album"
printf 'Ports\\XMLChannel=%s\r\nPorts\\XMLChannelDiscover=%s\r\nPorts\\HTTPChannel=%s\r\n' \
  "$xml_port" "$discover_port" "$http_port" >"$data/QRM.config"
ffmpeg -v error -f lavfi -i "sine=frequency=440:duration=1" -ac 1 -c:a libmp3lame \
  -metadata title=Tone -metadata artist=Artist -metadata album=Album "$work/music/Artist/Album/01 Tone.mp3" ||
  fail "ffmpeg could not make a test file"
start() {  # start NAME: the script in the background, its output in NAME.out
  VANTOR_QRM=$qrm "$src/scripts/start-with-mpd.sh" --no-build --data-dir "$data" \
    --music "$work/music" >"$work/$1.out" 2>&1 &
  pids+=($!)
}
wait_for() {  # wait_for FILE TEXT SECONDS
  for _ in $(seq $(($3 * 10))); do grep -qF -- "$2" "$1" && return 0; sleep 0.1; done
  return 1
}

# 1. The HTTP port is taken by another program: no address is printed, the reason is.
python3 -c "
import socket, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(('0.0.0.0', $http_port)); s.listen(1); time.sleep(120)" &
holder=$!
sleep 0.5
start taken
wait "${pids[-1]}"; status=$?
unset 'pids[-1]'
((status != 0)) || fail "the script succeeded although QRM could not listen"
grep -q "QRM did not start: not started: the HTTP channel cannot listen on port $http_port" "$work/taken.out" ||
  fail "the reason was not given"
! grep -q "open http://" "$work/taken.out" || fail "an address was printed for a server that is not there"
kill "$holder"; wait "$holder" 2>/dev/null; holder=""

# 2. A server that starts: the address comes after QRM listens, and a second start is refused.
start first
wait_for "$work/first.out" "open http://" 120 || fail "the first start printed no address"
grep -q "Server is started" "$work/first.out" || fail "the address came before the server started"
answer=$(python3 -c "
import urllib.request
print(urllib.request.urlopen('http://127.0.0.1:$http_port/iphone/phone.html', timeout=5).status)" 2>&1)
[[ $answer == 200 || $answer == *404* ]] || fail "QRM did not answer on its HTTP port: $answer"
VANTOR_QRM=$qrm "$src/scripts/start-with-mpd.sh" --no-build --data-dir "$data" \
  --music "$work/music" >"$work/second.out" 2>&1
status=$?
((status != 0)) || fail "a second start on the same data folder succeeded"
grep -q "already running on $data" "$work/second.out" || fail "the second start did not say why"
echo "PASS"
