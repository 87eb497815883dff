#!/usr/bin/env bash
# Load figures of the HTTP channel: requests per second and p99 latency for a 100 KiB file
# under /art/ and for /xml?GetVolumeRequest with 50 keep-alive connections (wrk), with
# nginx serving the same file on the same machine in the same run as the reference, then
# 200 web clients long-polling /q while events are broadcast.
# Usage: bench/web_load.sh [seconds per wrk run] [rounds]   (prints Markdown tables)
# Each round measures QRM and then nginx on the 100 KiB file, with the server CPU time
# each spent per request: on a machine that others share, throughput swings with their
# load, while the CPU a request costs stays put. VANTOR_WEB_BUILD names another Release
# build folder to use.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
rounds=${2:-1}
build=${VANTOR_WEB_BUILD:-build/bench-web}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOR_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target QRM -j2 >/dev/null

work=$(mktemp -d /tmp/vantor-webload-XXXXXX)
chmod 755 "$work"
qrm_pid="" nginx_pid=""
cleanup() {
  [[ -n $qrm_pid ]] && kill "$qrm_pid" 2>/dev/null && wait "$qrm_pid" 2>/dev/null || true
  [[ -n $nginx_pid ]] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
http_port=$(free_port) xml_port=$(free_port) disc_port=$(free_port) nginx_port=$(free_port)

mkdir -p "$work/data/cache" "$work/www/art" "$work/web" "$work/reg"
head -c 102400 /dev/urandom > "$work/data/cache/cover.jpg"
cp "$work/data/cache/cover.jpg" "$work/www/art/cover.jpg"
head -c 200000000 /dev/urandom > "$work/data/cache/stream.bin"
cp "$work/data/cache/stream.bin" "$work/www/art/stream.bin"
cat > "$work/data/QRM.config" <<CFG
Ports\\XMLChannel=$xml_port
Ports\\XMLChannelDiscover=$disc_port
Ports\\HTTPChannel=$http_port
Paths\\HTTPRoot=$work/web
SimulatedPlayer=true
PlayerType=MCE
HTTP\\MaxConnectionsPerAddress=256
CFG
(cd "$work" && VANTOR_REGISTRY_DIR="$work/reg" exec "$OLDPWD/$build/server/QRM" --headless --data-dir "$work/data" \
  >"$work/qrm.out" 2>&1) &
qrm_pid=$!

chmod -R a+rX "$work/www"
cat > "$work/nginx.conf" <<NGX
daemon off;
worker_processes 2;
pid $work/nginx.pid;
error_log $work/nginx.err;
events { worker_connections 1024; }
http {
  access_log off;
  sendfile on;
  keepalive_requests 1000000;
  client_body_temp_path $work/ngx_body; proxy_temp_path $work/ngx_proxy;
  fastcgi_temp_path $work/ngx_fcgi; uwsgi_temp_path $work/ngx_uwsgi; scgi_temp_path $work/ngx_scgi;
  server { listen 127.0.0.1:$nginx_port; root $work/www; }
}
NGX
nginx -c "$work/nginx.conf" -p "$work" &
nginx_pid=$!

for _ in $(seq 100); do
  curl -sf "http://127.0.0.1:$http_port/art/cover.jpg" -o /dev/null && \
  curl -sf "http://127.0.0.1:$nginx_port/art/cover.jpg" -o /dev/null && break
  sleep 0.1
done

cpu_ticks() {  # pids -> user+system clock ticks
  local total=0 pid
  for pid in "$@"; do total=$((total + $(awk '{ print $14 + $15 }' "/proc/$pid/stat"))); done
  echo "$total"
}
run_wrk() {  # url pids... -> "requests/s p99 server-CPU-microseconds-per-request"
  local url=$1; shift
  local before after
  before=$(cpu_ticks "$@")
  wrk -t2 -c50 -d"${seconds}s" --latency "$url" >"$work/wrk.out"
  after=$(cpu_ticks "$@")
  awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" '
    /requests in/ { n = $1 }
    /Requests\/sec/ { rps = $2 }
    /^ +99%/ { p99 = $2 }
    END { printf "%s %s %.1f\n", rps, p99, (n > 0 ? t * 1e6 / hz / n : 0) }' "$work/wrk.out"
}

volume_url="http://127.0.0.1:$http_port/xml?m=%3CGetVolumeRequest%3E%3CrequestId%3E1%3C%2FrequestId%3E%3C%2FGetVolumeRequest%3E"
# shellcheck disable=SC2046  # the worker pids are meant to split
ngx_pids=("$nginx_pid" $(pgrep -P "$nginx_pid"))
echo "| 100 KiB file under /art/, round (load average) | QRM requests/s, p99, CPU per request | nginx requests/s, p99, CPU per request | QRM / nginx |"
echo "|---|---|---|---|"
for round in $(seq "$rounds"); do
  load=$(cut -d' ' -f1 /proc/loadavg)
  read -r qrm_rps qrm_p99 qrm_us < <(run_wrk "http://127.0.0.1:$http_port/art/cover.jpg" "$qrm_pid")
  read -r ngx_rps ngx_p99 ngx_us < <(run_wrk "http://127.0.0.1:$nginx_port/art/cover.jpg" "${ngx_pids[@]}")
  ratio=$(awk -v a="$qrm_rps" -v b="$ngx_rps" 'BEGIN { printf "%.2f", a / b }')
  echo "| $round ($load) | $qrm_rps, $qrm_p99, $qrm_us µs | $ngx_rps, $ngx_p99, $ngx_us µs | $ratio |"
done
echo
read -r xml_rps xml_p99 _ < <(run_wrk "$volume_url" "$qrm_pid")
# Streaming: five downloads of a 200 MB file, one after the other; the rate curl sees and
# the CPU time the server spent on them.
stream() {  # url pids... -> "MB/s CPU-seconds-per-GB"
  local url=$1; shift
  local before start end after
  before=$(cpu_ticks "$@"); start=$(date +%s.%N)
  for _ in 1 2 3 4 5; do curl -sf "$url" -o /dev/null; done
  end=$(date +%s.%N); after=$(cpu_ticks "$@")
  awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$start" -v e="$end" \
    'BEGIN { printf "%.0f %.2f\n", 1000 / (e - s), t / hz }'
}
read -r qrm_mbs qrm_cpu < <(stream "http://127.0.0.1:$http_port/art/stream.bin" "$qrm_pid")
read -r ngx_mbs ngx_cpu < <(stream "http://127.0.0.1:$nginx_port/art/stream.bin" "${ngx_pids[@]}")

rss=$(awk '/VmHWM/ { print $2 }' "/proc/$qrm_pid/status")

echo "| Load (wrk, 2 threads, 50 keep-alive connections, ${seconds} s) | Requests/s | p99 latency |"
echo "|---|---|---|"
echo "| QRM, /xml?GetVolumeRequest (simulated player) | $xml_rps | $xml_p99 |"
echo
echo "| Streaming a 200 MB file five times, one download at a time | MB/s | server CPU per GB |"
echo "|---|---|---|"
echo "| QRM, under /art/ | $qrm_mbs | $qrm_cpu s |"
echo "| nginx, the same file | $ngx_mbs | $ngx_cpu s |"
echo
echo "QRM peak resident memory: $((rss / 1024)) MiB"
echo
echo "Long polling: $(python3 bench/web_longpoll.py "$http_port" 200 40)"
