#!/usr/bin/env bash
# Download job benchmark: the whole job of "kestrofan-cli download --video" (the generic
# service reads the page through yt-dlp, the job extracts the streams, downloads, tags and
# moves the file) against yt-dlp with its default options on the same page, served by Debian's
# nginx on 127.0.0.1 (started and stopped here). Two cases:
#   - a page whose <video> is a 1 GiB MP4;
#   - a feed of 20 small clips: "kestrofan-cli download-feed" through a small local service
#     plugin, against yt-dlp on a page that holds the same 20 <video> elements.
#
# Prints, for each tool and case, the median over the runs of wall time, CPU time (user +
# system, children included) and the largest peak resident memory (/usr/bin/time -v), and the
# ratios of kestrofan-cli to yt-dlp.
#
# Environment:
#   KESTROFAN_CLI  the kestrofan-cli to measure (default: the newest one in a build folder)
#   BENCH_WORK     folder for the served files and downloads (default: $TMPDIR/kestrofan-job-bench;
#                  the generated media are kept there for the next run)
#   BENCH_RUNS     runs per tool and case (default 3)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${BENCH_WORK:-${TMPDIR:-/tmp}/kestrofan-job-bench}
runs=${BENCH_RUNS:-3}

cli=${KESTROFAN_CLI:-}
if [ -z "$cli" ]; then
  cli=$(ls -t "$repo"/build*/src/cli/kestrofan-cli 2>/dev/null | head -n 1 || true)
fi
if [ -z "$cli" ] || [ ! -x "$cli" ]; then
  echo "job-bench: no kestrofan-cli found; build it or set KESTROFAN_CLI" >&2
  exit 2
fi
packer=$(dirname "$cli")/../../tools/plugin-packer/plugin-packer
for tool in nginx yt-dlp ffmpeg /usr/bin/time python3 curl; do
  command -v "$tool" >/dev/null || { echo "job-bench: $tool is missing" >&2; exit 2; }
done
[ -x "$packer" ] || { echo "job-bench: no plugin-packer beside $cli" >&2; exit 2; }

www=$work/www
out=$work/out
home=$work/home
mkdir -p "$www/clips" "$out" "$work/nginx/tmp"

# --- Content (made once, kept) -------------------------------------------------------------
if [ "$(stat -c %s "$www/big.mp4" 2>/dev/null || echo 0)" -lt 1070000000 ]; then
  echo "Making the 1 GiB clip ..." >&2
  # Ten seconds of 720p H.264 and AAC at a high bit rate, repeated until the file is 1 GiB
  # (how much ten seconds make depends on the encoder; the loop does not).
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc2=size=1280x720:rate=25 \
    -f lavfi -i sine=frequency=440 -t 10 -c:v libx264 -preset ultrafast -b:v 48M \
    -maxrate 48M -bufsize 8M -c:a aac "$work/base.mp4"
  ffmpeg -hide_banner -loglevel error -y -stream_loop -1 -i "$work/base.mp4" -c copy \
    -fs 1073741824 "$www/big.mp4"
  rm -f "$work/base.mp4"
fi
if [ ! -s "$www/clips/clip20.mp4" ]; then
  echo "Making 20 small clips ..." >&2
  for i in $(seq 1 20); do
    ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=160x120:rate=10:duration=2" \
      -f lavfi -i "sine=frequency=$((300 + i * 20)):duration=2" -c:v libx264 -pix_fmt yuv420p \
      -c:a aac "$www/clips/clip$i.mp4"
  done
fi
cat > "$www/big.html" <<'EOF'
<html><head><title>Big clip</title></head><body><video src="/big.mp4"></video></body></html>
EOF
{
  echo '<html><head><title>Twenty clips</title></head><body>'
  for i in $(seq 1 20); do echo "<video src=\"/clips/clip$i.mp4\"></video>"; done
  echo '</body></html>'
} > "$www/playlist.html"
mkdir -p "$www/v" "$www/feed"
items=""
for i in $(seq 1 20); do
  echo "<html><head><title>Clip $i</title></head><body><video src=\"/clips/clip$i.mp4\"></video></body></html>" > "$www/v/$i.html"
  items="$items{\"id\":\"$i\",\"title\":\"Clip $i\",\"path\":\"/v/$i.html\"},"
done
echo "{\"total\":20,\"items\":[${items%,}]}" > "$www/feed/bench.json"

# --- nginx ---------------------------------------------------------------------------------
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$work/nginx/nginx.conf" <<EOF
worker_processes 1;
daemon on;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 256; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  client_body_temp_path $work/nginx/tmp;
  proxy_temp_path $work/nginx/tmp;
  fastcgi_temp_path $work/nginx/tmp;
  uwsgi_temp_path $work/nginx/tmp;
  scgi_temp_path $work/nginx/tmp;
  types { video/mp4 mp4; text/html html; application/json json; }
  server { listen 127.0.0.1:$port; root $www; }
}
EOF
stop_nginx() {
  if [ -s "$work/nginx/nginx.pid" ]; then
    kill "$(cat "$work/nginx/nginx.pid")" 2>/dev/null || true
    rm -f "$work/nginx/nginx.pid"
  fi
  rm -rf "$out"
}
trap stop_nginx EXIT
nginx -c "$work/nginx/nginx.conf" -p "$work/nginx/" -e "$work/nginx/error.log"
base=http://127.0.0.1:$port
for _ in $(seq 50); do curl -sf -o /dev/null "$base/big.html" && break; sleep 0.1; done

# --- kestrofan-cli's own installation, on the same disk -------------------------------------
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
  XDG_CACHE_HOME=$home/.cache
unset http_proxy https_proxy all_proxy HTTP_PROXY HTTPS_PROXY ALL_PROXY
"$cli" setup > /dev/null
"$cli" config mediaPath "$out" > /dev/null
"$cli" config preferredVideoFormat 45 > /dev/null
plugins="$XDG_DATA_HOME/Ulvane Software/Kestrofan 2/serviceplugins"
mkdir -p "$plugins/benchfeed"
cat > "$work/benchfeed.js" <<EOF
var __settings = { serviceName: "Bench Feed", validDomains: ["127.0.0.1"],
    supportsUploads: true, itemsPerPage: 20, revision: 1 };
function origin(address) { return t_getRegExMatch(address, /^(https?:\/\/[^\/]+)/, 1); }
function getUserIdFromURL(address) { return t_getRegExMatch(address, /\/user\/(\w+)/, 1); }
function getUploadsFeedURL(query, pageNo, pageSize, pageToken) {
    return origin(query) + "/feed/" + getUserIdFromURL(query) + ".json";
}
function getMediaFeed(content) {
    var answer = JSON.parse(content);
    return { totalResults: answer.total, feed: answer.items.map(function (item) {
        return { id: item.id, permaURL: "$base" + item.path, title: item.title }; }) };
}
EOF

# --- Measuring -----------------------------------------------------------------------------
results=$work/results.txt
: > "$results"

# measure CASE TOOL FILES COMMAND...: runs the command $runs times in an empty output folder;
# the command must leave FILES media files there.
measure() {
  local case=$1 tool=$2 files=$3
  shift 3
  local samples=$work/samples.txt
  : > "$samples"
  for _ in $(seq "$runs"); do
    rm -rf "$out" && mkdir -p "$out"
    "$cli" clean > /dev/null
    sync
    /usr/bin/time -v -o "$work/time.txt" "$@" > /dev/null 2> "$work/stderr.txt" || {
      echo "job-bench: $tool failed on $case:" >&2
      cat "$work/stderr.txt" >&2
      exit 1
    }
    local made
    made=$(find "$out" -maxdepth 1 -type f -name '*.mp4' | wc -l)
    if [ "$made" != "$files" ]; then
      echo "job-bench: $tool made $made files instead of $files on $case" >&2
      exit 1
    fi
    awk -F': ' '
      /Elapsed \(wall clock\)/ { n = split($2, p, ":"); w = 0; for (i = 1; i <= n; i++) w = w * 60 + p[i] }
      /User time/ { u = $2 } /System time/ { s = $2 } /Maximum resident/ { m = $2 }
      END { printf "%.3f %.3f %d\n", w, u + s, m }' "$work/time.txt" >> "$samples"
  done
  python3 - "$case" "$tool" "$samples" >> "$results" <<'EOF'
import statistics, sys
case, tool, path = sys.argv[1], sys.argv[2], sys.argv[3]
rows = [list(map(float, line.split())) for line in open(path)]
wall = statistics.median(r[0] for r in rows)
cpu = statistics.median(r[1] for r in rows)
rss = max(r[2] for r in rows) / 1024
print(f"{case}\t{tool}\t{wall:.2f}\t{cpu:.2f}\t{rss:.0f}")
EOF
  echo "  $case $tool done" >&2
}

"$packer" "$work/benchfeed.js" "$plugins/benchfeed/service.plugin" > /dev/null
# The page alone must go to the generic service, as a page of an unknown site would.
mv "$plugins/benchfeed" "$work/benchfeed.off"
measure "1 GiB page" "kestrofan-cli" 1 "$cli" download --video "$base/big.html"
measure "1 GiB page" "yt-dlp" 1 yt-dlp --no-cache-dir -o "$out/%(title)s.%(ext)s" "$base/big.html"
mv "$work/benchfeed.off" "$plugins/benchfeed"
measure "feed of 20" "kestrofan-cli" 20 "$cli" download-feed "$base/user/bench" --kind uploads --video
measure "feed of 20" "yt-dlp" 20 yt-dlp --no-cache-dir -o "$out/%(title)s %(playlist_index)s.%(ext)s" \
  "$base/playlist.html"

# --- Report ----------------------------------------------------------------------------------
python3 - "$results" "$runs" <<'EOF'
import sys
rows = [line.rstrip("\n").split("\t") for line in open(sys.argv[1])]
print(f"\nMedian of {sys.argv[2]} runs; CPU = user + system (children included); memory = peak resident set.\n")
header = ("Case", "Tool", "Wall s", "CPU s", "Peak MiB")
widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(5)]
line = lambda r: "  ".join(str(v).ljust(widths[i]) if i < 2 else str(v).rjust(widths[i]) for i, v in enumerate(r))
print(line(header))
print("  ".join("-" * w for w in widths))
for r in rows:
    print(line(r))
print()
by = {(r[0], r[1]): r for r in rows}
for case in dict.fromkeys(r[0] for r in rows):
    ours, ref = by[(case, "kestrofan-cli")], by[(case, "yt-dlp")]
    print(f"{case}: kestrofan-cli vs yt-dlp: wall x{float(ours[2]) / float(ref[2]):.2f}, "
          f"CPU x{float(ours[3]) / float(ref[3]):.2f}, peak memory {ours[4]} vs {ref[4]} MiB")
EOF
