#!/usr/bin/env bash
# Download benchmark: kestrofan-cli fetch against curl and aria2c -x5 on a 1 GiB and a
# 100 MiB file, and against yt-dlp -N 7 on an HLS stream of about 200 segments, all served by
# Debian's nginx on 127.0.0.1 (started and stopped here, with its own configuration).
#
# Prints, for each tool, the median over the runs of wall time, throughput, CPU time
# (user + system) and the largest peak resident memory, as /usr/bin/time -v reports them, and
# the ratios of kestrofan-cli to the reference tool.
#
# Environment:
#   KESTROFAN_CLI  the kestrofan-cli to measure (default: the newest one in a build folder)
#   BENCH_WORK     folder for the served files and downloads (default: $TMPDIR/kestrofan-bench;
#                  the generated files are kept there for the next run)
#   BENCH_RUNS     runs per tool and case (default 3)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${BENCH_WORK:-${TMPDIR:-/tmp}/kestrofan-bench}
runs=${BENCH_RUNS:-3}

cli=${KESTROFAN_CLI:-}
if [ -z "$cli" ]; then
  cli=$(ls -t "$repo"/build*/src/cli/kestrofan-cli 2>/dev/null | head -n 1 || true)
fi
if [ -z "$cli" ] || [ ! -x "$cli" ]; then
  echo "download-bench: no kestrofan-cli found; build it or set KESTROFAN_CLI" >&2
  exit 2
fi

KESTROFAN_BENCH_DEPS=1 "$repo/scripts/install-deps"
for tool in nginx curl aria2c yt-dlp ffmpeg /usr/bin/time python3; do
  command -v "$tool" >/dev/null || { echo "download-bench: $tool is missing" >&2; exit 2; }
done

www=$work/www
out=$work/out
mkdir -p "$www/hls" "$out" "$work/nginx/tmp"

# --- Content (made once, kept) -------------------------------------------------------------
make_file() { # name bytes
  if [ "$(stat -c %s "$www/$1" 2>/dev/null || echo 0)" != "$2" ]; then
    echo "Making $1 ..." >&2
    head -c "$2" /dev/urandom > "$www/$1"
  fi
}
make_file 1g.bin 1073741824
make_file 100m.bin 104857600
if [ ! -s "$www/hls/index.m3u8" ]; then
  echo "Making the HLS stream ..." >&2
  # Ten seconds of 720p H.264 and AAC with a key frame every second, looped to 200 seconds
  # and cut into one-second segments.
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc2=size=1280x720:rate=25 \
    -f lavfi -i sine=frequency=440 -t 10 -c:v libx264 -preset ultrafast -g 25 -b:v 4M \
    -c:a aac -f mpegts "$work/base.ts"
  ffmpeg -hide_banner -loglevel error -y -stream_loop 19 -i "$work/base.ts" -c copy -f hls \
    -hls_time 1 -hls_list_size 0 -hls_segment_filename "$www/hls/seg%03d.ts" \
    "$www/hls/index.m3u8"
  rm -f "$work/base.ts"
fi

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
  types { application/octet-stream bin; video/mp2t ts; application/vnd.apple.mpegurl m3u8; }
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
for _ in $(seq 50); do curl -sf -o /dev/null "$base/100m.bin" -r 0-0 && break; sleep 0.1; done

# --- Measuring -----------------------------------------------------------------------------
results=$work/results.txt
: > "$results"

# measure CASE TOOL BYTES CHECK COMMAND...: runs the command $runs times in an empty output
# folder; CHECK is a file the command must have made (a glob), compared with the source when
# it names one of the served files.
measure() {
  local case=$1 tool=$2 bytes=$3 check=$4
  shift 4
  local samples=$work/samples.txt
  : > "$samples"
  for _ in $(seq "$runs"); do
    rm -rf "$out" && mkdir -p "$out"
    sync
    /usr/bin/time -v -o "$work/time.txt" "$@" > /dev/null 2> "$work/stderr.txt" || {
      echo "download-bench: $tool failed on $case:" >&2
      cat "$work/stderr.txt" >&2
      exit 1
    }
    # shellcheck disable=SC2086
    local made=$(ls -d $out/$check 2>/dev/null | head -n 1)
    if [ -z "$made" ]; then
      echo "download-bench: $tool made no $check on $case" >&2
      exit 1
    fi
    if [ -f "$www/$case" ] && ! cmp -s "$made" "$www/$case"; then
      echo "download-bench: $tool's $made differs from the served file" >&2
      exit 1
    fi
    awk -F': ' '
      /Elapsed \(wall clock\)/ { n = split($2, p, ":"); w = 0; for (i = 1; i <= n; i++) w = w * 60 + p[i] }
      /User time/ { u = $2 } /System time/ { s = $2 } /Maximum resident/ { m = $2 }
      END { printf "%.3f %.3f %d\n", w, u + s, m }' "$work/time.txt" >> "$samples"
  done
  python3 - "$case" "$tool" "$bytes" "$samples" >> "$results" <<'EOF'
import statistics, sys
case, tool, size, path = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
rows = [list(map(float, line.split())) for line in open(path)]
wall = statistics.median(r[0] for r in rows)
cpu = statistics.median(r[1] for r in rows)
rss = max(r[2] for r in rows) / 1024
print(f"{case}\t{tool}\t{wall:.2f}\t{size / 1048576 / wall:.0f}\t{cpu:.2f}\t{rss:.0f}")
EOF
  echo "  $case $tool done" >&2
}

for file in 1g.bin 100m.bin; do
  size=$(stat -c %s "$www/$file")
  measure "$file" "kestrofan-cli fetch" "$size" "$file" "$cli" fetch "$base/$file" --out "$out"
  measure "$file" "curl" "$size" "$file" curl -sS -o "$out/$file" "$base/$file"
  measure "$file" "aria2c -x5" "$size" "$file" aria2c -q -x5 -s5 --allow-overwrite=true \
    --file-allocation=none -d "$out" "$base/$file"
done

segments=()
while IFS= read -r line; do
  case $line in \#* | "") ;; *) segments+=("$base/hls/$line") ;; esac
done < "$www/hls/index.m3u8"
hls_bytes=$(cat "$www"/hls/*.ts | wc -c)
measure "hls (${#segments[@]} segments)" "kestrofan-cli fetch" "$hls_bytes" "*.mp4" \
  "$cli" fetch "${segments[@]}" --format mp4 --out "$out"
measure "hls (${#segments[@]} segments)" "yt-dlp -N 7" "$hls_bytes" "*.mp4" \
  env HOME="$work" yt-dlp -N 7 -q --no-progress --no-part --no-cache-dir -o "$out/stream.%(ext)s" \
  "$base/hls/index.m3u8"

# --- Report ----------------------------------------------------------------------------------
python3 - "$results" "$runs" <<'EOF'
import sys
rows = [line.rstrip("\n").split("\t") for line in open(sys.argv[1])]
print(f"\nMedian of {sys.argv[2]} runs; CPU = user + system; memory = peak resident set.\n")
header = ("Case", "Tool", "Wall s", "MiB/s", "CPU s", "Peak MiB")
widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(6)]
line = lambda r: "  ".join(str(v).ljust(widths[i]) if i < 2 else str(v).rjust(widths[i]) for i, v in enumerate(r))
print(line(header))
print("  ".join("-" * w for w in widths))
for r in rows:
    print(line(r))
print()
by = {(r[0], r[1]): r for r in rows}
for case in dict.fromkeys(r[0] for r in rows):
    ours = by[(case, "kestrofan-cli fetch")]
    ref = by.get((case, "curl")) or by.get((case, "yt-dlp -N 7"))
    name = "curl" if (case, "curl") in by else "yt-dlp -N 7"
    wall = float(ours[2]) / float(ref[2])
    cpu = float(ours[4]) / float(ref[4])
    speed = float(ref[2]) / float(ours[2])
    print(f"{case}: kestrofan-cli vs {name}: wall x{wall:.2f}, CPU x{cpu:.2f}, "
          f"throughput x{speed:.2f}, peak memory {ours[5]} MiB")
EOF
