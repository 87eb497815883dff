#!/usr/bin/env bash
# The start script against the real QRM and a real MPD: it prints the web address only once
# QRM listens, says plainly why QRM could not start (a port in use), refuses to start a
# second server on the same data folder, answers bad options with one line and the usage,
# and a data folder first started on an empty music folder shows the full library at once
# when started on a full one; a rescan from a client finds a file added later.
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
kill -TERM "${pids[-1]}"; wait "${pids[-1]}" 2>/dev/null; unset 'pids[-1]'

# 3. Bad command lines: one line and the usage, never a shell error.
for args in "--music" "--data-dir" "--bogus" "--music $work/no-such-folder"; do
  # shellcheck disable=SC2086
  VANTOR_QRM=$qrm "$src/scripts/start-with-mpd.sh" --no-build $args >"$work/bad.out" 2>&1 && fail "$args was accepted"
  grep -q "^start-with-mpd: " "$work/bad.out" && grep -q "scripts/start-with-mpd.sh \[--data-dir" "$work/bad.out" ||
    fail "$args: no message with the usage"
  ! grep -qi "unbound variable\|line [0-9]*:" "$work/bad.out" || fail "$args: a shell error"
done

# 4. An empty music folder, then a full one, on one data folder.
tracks() {  # the track titles the server lists
  python3 -c "
import urllib.request, urllib.parse, re
doc = '<BrowseLibraryRequest><requestId>1</requestId><path>\\\\Music\\\\Tracks</path></BrowseLibraryRequest>'
body = urllib.request.urlopen('http://127.0.0.1:$http_port/xml?m=' + urllib.parse.quote(doc), timeout=5).read().decode()
print(' '.join(sorted(re.findall(r'<name>([^<]*)</name>', body))))" 2>/dev/null
}
mkdir -p "$work/empty"
data=$work/data2
mkdir -p "$data"
cp "$work/data/QRM.config" "$data/QRM.config"
VANTOR_QRM=$qrm "$src/scripts/start-with-mpd.sh" --no-build --data-dir "$data" --music "$work/empty" \
  >"$work/empty.out" 2>&1 &
pids+=($!)
wait_for "$work/empty.out" "open http://" 120 || fail "the start on an empty folder printed no address"
grep -q "holds no audio files" "$work/empty.out" || fail "the empty music folder was not mentioned"
kill -TERM "${pids[-1]}"; wait "${pids[-1]}" 2>/dev/null; unset 'pids[-1]'
VANTOR_QRM=$qrm "$src/scripts/start-with-mpd.sh" --no-build --data-dir "$data" --music "$work/music" \
  >"$work/full.out" 2>&1 &
pids+=($!)
wait_for "$work/full.out" "open http://" 120 || fail "the start on the full folder printed no address"
found=""
for _ in $(seq 100); do found=$(tracks); [[ $found == *Tone* ]] && break; sleep 0.1; done
[[ $found == *Tone* ]] || fail "the library stayed empty after the music folder changed: '$found'"

# 5. A file added later is found after a client asks for a library update.
ffmpeg -v error -f lavfi -i "sine=frequency=660:duration=1" -ac 1 -c:a libmp3lame \
  -metadata title=Later -metadata artist=Artist -metadata album=Album "$work/music/Artist/Album/02 Later.mp3" ||
  fail "ffmpeg could not make the second file"
python3 -c "
import urllib.request, urllib.parse
doc = '<UpdateMediaLibraryRequest><requestId>2</requestId></UpdateMediaLibraryRequest>'
urllib.request.urlopen('http://127.0.0.1:$http_port/xml?m=' + urllib.parse.quote(doc), timeout=5).read()" ||
  fail "the update request was not answered"
for _ in $(seq 100); do found=$(tracks); [[ $found == *Later* ]] && break; sleep 0.1; done
[[ $found == *Later* ]] || fail "the rescan did not find the new file: '$found'"
echo "PASS"
