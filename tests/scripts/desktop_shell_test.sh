#!/usr/bin/env bash
# The real QRM on a desktop: Xvfb with a private session bus, no window manager. At start the
# update check (against a local HTTP server) offers a newer version: the test accepts it,
# waits for the verified download and lets the installer start. A second instance shows the
# server window; choosing another player restarts the services; the log window's level set to
# Verbose lets a verbose line through; the tray menu (driven over the session bus as a panel
# would) opens the about box and ends the program. Screenshots of each window go to the
# output folder.
#
#   desktop_shell_test.sh QRM OUTPUT_FOLDER
set -euo pipefail
qrm=$1
out=$2

for tool in xvfb-run dbus-run-session xdotool import gdbus python3; do
  command -v "$tool" >/dev/null || { echo "desktop_shell_test: $tool is missing"; exit 77; }
done
# The toolkit's own caches live as long as the program: only QRM's leaks are of interest,
# and the ASan build's leak check would report the toolkit's.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

# Without a display (none named, or one that cannot be opened) QRM runs headless by itself:
# the log on standard error, and no window library touched.
headless_without_display() {  # description env-arguments...
  local what=$1 dir pid
  shift
  dir=$(mktemp -d /tmp/vantor-headless-XXXXXX)
  printf '%s\r\n' "Ports\\XMLChannel=$(free_port)" "Ports\\XMLChannelDiscover=$(free_port)" \
    "Ports\\HTTPChannel=$(free_port)" "SimulatedPlayer=true" "PlayerType=iTunes" >"$dir/QRM.config"
  env "$@" VANTOR_REGISTRY_DIR="$dir" "$qrm" --data-dir "$dir" >"$dir/stdio.txt" 2>&1 &
  pid=$!
  for _ in $(seq 300); do grep -q "Server is started" "$dir/stdio.txt" && break; sleep 0.1; done
  kill "$pid"
  local status=0
  wait "$pid" || status=$?
  if ! grep -q "Server is started" "$dir/stdio.txt" || ((status != 0)); then
    echo "desktop_shell_test: FAILED: QRM $what did not run headless (status $status)"
    cat "$dir/stdio.txt"
    rm -rf "$dir"
    exit 1
  fi
  rm -rf "$dir"
}

if [[ -z ${VANTOR_DESKTOP_TEST_INSIDE:-} ]]; then
  headless_without_display "without a display" -u DISPLAY -u WAYLAND_DISPLAY
  headless_without_display "with a display it cannot open" -u WAYLAND_DISPLAY DISPLAY=:2147483
  export VANTOR_DESKTOP_TEST_INSIDE=1 NO_AT_BRIDGE=1 GDK_BACKEND=x11
  exec dbus-run-session -- xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

mkdir -p "$out"
work=$(mktemp -d /tmp/vantor-desktop-XXXXXX)
data=$work/data/
qrm_pid=""
http_pid=""
blocker_pid=""
cleanup() {
  set +e
  [[ -n $blocker_pid ]] && kill "$blocker_pid" 2>/dev/null && wait "$blocker_pid" 2>/dev/null
  [[ -n $qrm_pid ]] && kill "$qrm_pid" 2>/dev/null && wait "$qrm_pid" 2>/dev/null
  [[ -n $http_pid ]] && kill "$http_pid" 2>/dev/null && wait "$http_pid" 2>/dev/null
  [[ -n ${VANTOR_TEST_KEEP:-} ]] || rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "desktop_shell_test: FAILED: $*"
  echo "--- qrm.log"; cat "$data/qrm.log" 2>/dev/null | tr -d '\r' | tail -n 40
  echo "--- stdio"; cat "$work/stdio.txt" 2>/dev/null | tail -n 20
  exit 1
}

count_in_log() {
  local n
  n=$(grep -c -- "$1" "$data/qrm.log" 2>/dev/null) || true
  echo "${n:-0}"
}
wait_log() {  # text [count]
  for _ in $(seq 300); do
    (( $(count_in_log "$1") >= ${2:-1} )) && return 0
    sleep 0.1
  done
  fail "no '$1' in the log"
}
wait_window() {  # title: prints the id of the visible window
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1) || true
    [[ -n $id ]] && { sleep 0.3; echo "$id"; return 0; }
    sleep 0.1
  done
  fail "no window '$1'"
}
keys() {  # window keys...
  local id=$1; shift
  xdotool windowfocus --sync "$id"
  sleep 0.2
  xdotool key --delay 120 "$@"
}
shot() {  # window name: without a window manager, windows overlap where they are put
  xdotool windowraise "$1"
  sleep 0.3
  import -window "$1" "$out/$2.png"
}

# The update service: a description and the installer, which records its arguments.
xml_port=$(free_port); discovery_port=$(free_port); http_port=$(free_port); update_port=$(free_port)
mkdir -p "$work/www/vantor" "$work/www/files" "$data"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" > "%s/installed.txt"\n' "$work" >"$work/www/files/vantor-setup.sh"
checksum=$(md5sum "$work/www/files/vantor-setup.sh" | cut -d' ' -f1)
cat >"$work/www/vantor/update.php" <<XML
<VersionInformation><Name>Vantor</Name><Version>1.0.4.0</Version><Action>execute</Action>
<Parameters>--relaunch</Parameters>
<UpdateURL>http://127.0.0.1:$update_port/files/vantor-setup.sh</UpdateURL>
<InfoURL></InfoURL><Checksum>$checksum</Checksum>
<Description>Faster library updates for large collections.
Album art for internet radio stations.
Fixes a crash when a playlist name ends in a space.</Description></VersionInformation>
XML
python3 -m http.server --bind 127.0.0.1 --directory "$work/www" "$update_port" >/dev/null 2>&1 &
http_pid=$!

printf '%s\r\n' "Ports\\XMLChannel=$xml_port" "Ports\\XMLChannelDiscover=$discovery_port" \
  "Ports\\HTTPChannel=$http_port" "SimulatedPlayer=true" "PlayerType=iTunes" \
  "UpdateURL=http://127.0.0.1:$update_port/vantor/update.php" "AllowInsecureUpdate=true" \
  >"$data/QRM.config"
export VANTOR_REGISTRY_DIR=$work/registry VANTOR_WINDOWS_DIR=$work/windows
mkdir -p "$VANTOR_REGISTRY_DIR" "$VANTOR_WINDOWS_DIR"

# Another program holds the HTTP port: with a window the server runs on and shows why.
python3 -c 'import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(); time.sleep(600)' "$http_port" &
blocker_pid=$!
sleep 0.3

"$qrm" --data-dir "$data" >"$work/stdio.txt" 2>&1 &
qrm_pid=$!
wait_log "Server is started"
grep -q "^ERROR: .*$http_port" "$data/qrm.log" || fail "no error line for the HTTP port"
grep -q "Server is started" "$work/stdio.txt" && fail "the desktop mode logs to standard error"

# 1. The update offered at start: accept, download, verify, install.
offer=$(wait_window "Vantor Software Update")
shot "$offer" update-offer
keys "$offer" alt+i
wait_log "Auto-update download successful"
download=$(wait_window "Vantor Software Update")
sleep 0.3
shot "$download" update-ready
keys "$download" alt+i
for _ in $(seq 100); do [[ -s $work/installed.txt ]] && break; sleep 0.1; done
[[ $(cat "$work/installed.txt" 2>/dev/null) == "--relaunch" ]] || fail "the installer did not run"

# 2. A second instance shows the server window.
"$qrm" --data-dir "$data" >/dev/null 2>&1 || fail "the second instance failed"
window=$(wait_window "Vantor Server")
shot "$window" server-window-no-network

# 3. The log window: at Verbose the documents a client sends are logged.
keys "$window" alt+l
log_window=$(wait_window "Debug Log")
shot "$log_window" log-window-errors
(( $(count_in_log "Received:") == 0 )) || fail "a verbose line before Verbose was chosen"
keys "$log_window" alt+l End
# A client's request, until the level has been taken (the window may still be busy).
for _ in $(seq 30); do
  exec 3<>"/dev/tcp/127.0.0.1/$xml_port"
  printf '<GetVolumeRequest><requestId>1</requestId></GetVolumeRequest>\0' >&3
  sleep 0.5
  exec 3>&-
  (( $(count_in_log "Received:") > 0 )) && break
done
wait_log "Received:"

# 4. Choosing Winamp restarts the services (the log window shows it happen); now the HTTP
# port is free and the window shows the address.
kill "$blocker_pid"; wait "$blocker_pid" 2>/dev/null || true; blocker_pid=""
keys "$window" alt+s Down
wait_log "Server is started" 2
wait_log "Stopping services"
grep -q "^PlayerType=Winamp" "$data/QRM.config" || fail "PlayerType is not Winamp"
sleep 1.5
shot "$log_window" log-window
# Its context menu: only "Copy" and "Select All" for a read-only log.
xdotool mousemove --window "$log_window" 360 200 click 3
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$log_window")"
import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" "$out/log-window-menu.png"
xdotool key Escape
shot "$window" server-window

# 5. The tray menu over the session bus, as a panel would.
menu_path=/org/ayatana/NotificationItem/vantor_server/Menu
layout=""
for name in $(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.ListNames | grep -o "':1\.[0-9]*'" | tr -d "'"); do
  layout=$(gdbus call --session --dest "$name" --object-path "$menu_path" \
    --method com.canonical.dbusmenu.GetLayout -- 0 -1 '["label"]' 2>/dev/null) && break
done
[[ $layout == *"'About Vantor'"*"'Check for Updates'"*"'Settings'"*"'Exit'"* ]] ||
  fail "the tray menu is not 'About Vantor', 'Check for Updates', -, 'Settings', 'Exit': $layout"
click() {  # label
  local id
  id=$(grep -o "([0-9]*, {'label': <'$1'>}" <<<"$layout" | head -n 1 | tr -dc '0-9,' | cut -d, -f1)
  [[ -n $id ]] || fail "no menu item '$1'"
  gdbus call --session --dest "$name" --object-path "$menu_path" \
    --method com.canonical.dbusmenu.Event -- "$id" clicked '<0>' 0 >/dev/null 2>&1 &
}
click "About Vantor"
about=$(wait_window "About Vantor")
shot "$about" about
keys "$about" Return

# A check the user starts when nothing newer is offered.
sed -i 's|<Version>1.0.4.0</Version>|<Version>1.0.3.2</Version>|' "$work/www/vantor/update.php"
click "Check for Updates"
newest=$(wait_window "Check for Updates - Vantor")
shot "$newest" update-newest
keys "$newest" Return

click "Exit"
status=0
wait "$qrm_pid" || status=$?
qrm_pid=""
(( status == 0 )) || fail "QRM ended with status $status after Exit"
grep -q "Stopping services" "$data/qrm.log" || fail "no orderly stop"
echo "desktop_shell_test: 1 passed, 0 failed"
