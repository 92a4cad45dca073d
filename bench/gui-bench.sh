#!/usr/bin/env bash
# Cold start of the desktop window under Xvfb: time from launch to the window shown and to the
# service plugins loaded (the program's own "kestrofan.startup" milestones on the monotonic
# clock), and peak resident memory as /usr/bin/time -v reports it. Each run starts from a fresh
# private HOME set up by "kestrofan-cli setup". Then the same start with 1,000 downloads stored
# in the database beforehand: the time their restore takes, and the time from a click on
# "Downloads" in the sidebar to the list painted with its rows. Last, against a local PeerTube
# instance (tests/e2e/peertube_instance.py) whose channel has 50 uploads with their own
# thumbnails: the time from submitting the channel's address to all 50 cards showing their
# pictures, and the resident memory before, at the peak of and after opening and closing 20
# more such pages in tabs. Prints the medians over the runs.
#
# Environment:
#   KESTROFAN_BUILD_DIR  the build folder (default: build)
#   BENCH_RUNS           runs (default 5)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTROFAN_BUILD_DIR:-$repo/build}
exec xvfb-run -a -s "-screen 0 1280x900x24" /usr/bin/python3 - "$build" "${BENCH_RUNS:-5}" "$repo" \
  <<'PY'
import os, re, signal, sqlite3, statistics, subprocess, sys, tempfile, time

build, runs, repo = sys.argv[1], int(sys.argv[2]), sys.argv[3]
sys.path.insert(0, repo + "/tests/e2e")
import peertube_instance
gui, cli = build + "/src/gui/kestrofan", build + "/src/cli/kestrofan-cli"
milestone = re.compile(r"(window shown|services loaded|downloads restoring|downloads view painted|"
                       r"address opened|feed pictures shown) at (\d+) ms")
STORED_DOWNLOADS = 1000
# The "Downloads" entry of the sidebar and the address bar, from the window's top left corner
# (a fresh first run).
DOWNLOADS_ENTRY = (68, 126)
ADDRESS_BAR = (500, 42)
UPLOADS = 50
MORE_TABS = 20


def fresh_home():
    home = tempfile.mkdtemp(prefix="kestrofan-gui-bench-")
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/config",
               XDG_DATA_HOME=home + "/data", XDG_CACHE_HOME=home + "/cache",
               QT_LOGGING_RULES="kestrofan.startup.info=true")
    env.pop("KESTROFAN_UPDATE_URL", None)
    subprocess.run([cli, "setup"], env=env, check=True, stdout=subprocess.DEVNULL)
    return home, env


def store_downloads(home, count):
    """Ended downloads as an earlier run leaves them; their pictures cannot be had."""
    database = sqlite3.connect(home + "/data/Ulvane Software/Kestrofan 2/kestrofan2.db")
    states = (6, -1, 7)  # finished, failed, cancelled: nothing starts to run
    database.executemany(
        "INSERT INTO downloads (title, date_time, state, target_media_type, thumb_url, "
        "service_id, media_id, finished_file_name, error_text, perma_url) "
        "VALUES (?, '2026-01-01 12:00:00', ?, 1, ?, 'PeerTube', ?, ?, ?, ?)",
        [("Stored download %d" % n, states[n % 3], "http://127.0.0.1:9/thumb-%d.jpg" % n,
          str(n), home + "/gone-%d.mp4" % n, "Gone" if states[n % 3] == -1 else "",
          "https://video.example/w/%d" % n) for n in range(count)])
    database.commit()
    database.close()


def read_until(process, seen, wanted):
    """Collects milestones until the wanted ones are in; False when the program ended first."""
    for line in process.stderr:
        match = milestone.search(line)
        if match:
            seen[match.group(1)] = int(match.group(2))
        if wanted <= seen.keys():
            return True
    return False


rows = []
for run in range(runs):
    home, env = fresh_home()
    timing = home + "/time.txt"
    started = time.monotonic() * 1000
    process = subprocess.Popen(["/usr/bin/time", "-v", "-o", timing, gui], env=env,
                               stderr=subprocess.PIPE, text=True)
    seen = {}
    read_until(process, seen, {"window shown", "services loaded"})
    seen = {name: when - started for name, when in seen.items()}
    # Ask the program (not time) to end; time then reports its peak memory.
    with open("/proc/%d/task/%d/children" % (process.pid, process.pid)) as f:
        for child in f.read().split():
            os.kill(int(child), signal.SIGTERM)
    process.wait()
    if not {"window shown", "services loaded"} <= seen.keys():
        sys.exit("gui-bench: run %d ended without both milestones: %s" % (run + 1, seen))
    peak = re.search(r"Maximum resident set size \(kbytes\): (\d+)", open(timing).read())
    rows.append((seen["window shown"], seen["services loaded"], int(peak.group(1)) / 1024))

print("%-26s %10s" % ("kestrofan cold start", "median"))
for index, label in enumerate(("window shown (ms)", "services loaded (ms)", "peak memory (MiB)")):
    print("%-26s %10.1f" % (label, statistics.median(row[index] for row in rows)))

# The same start over stored downloads, then a click on "Downloads" in the sidebar.
opened = []
for run in range(runs):
    home, env = fresh_home()
    store_downloads(home, STORED_DOWNLOADS)
    process = subprocess.Popen([gui], env=env, stderr=subprocess.PIPE, text=True)
    seen = {}
    if not read_until(process, seen, {"window shown", "services loaded", "downloads restoring"}):
        sys.exit("gui-bench: run %d ended before the downloads were restored: %s" % (run + 1, seen))
    window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid",
                             str(process.pid)], capture_output=True, text=True).stdout.split()[0]
    clicked = time.monotonic() * 1000
    subprocess.run(["xdotool", "mousemove", "--window", window, *map(str, DOWNLOADS_ENTRY),
                    "click", "1"], check=True)
    painted = read_until(process, seen, {"downloads view painted"})
    process.terminate()
    process.wait()
    if not painted:
        sys.exit("gui-bench: run %d: the click on the sidebar's Downloads entry did not open the "
                 "downloads view (has the sidebar moved?)" % (run + 1))
    # The restore runs between these two milestones, on the signal that the services are ready.
    opened.append((seen["services loaded"] - seen["downloads restoring"],
                   seen["downloads view painted"] - clicked))
print("%d stored downloads" % STORED_DOWNLOADS)
for index, label in enumerate(("  restored (ms)", "  view opened (ms)")):
    print("%-26s %10.1f" % (label, statistics.median(row[index] for row in opened)))


def memory(pid, field):
    with open("/proc/%d/status" % pid) as f:
        return int(re.search(field + r":\s+(\d+) kB", f.read()).group(1)) / 1024


def open_channel(process, window, seen, address, new_tab):
    """Submits the address (in a new tab) and waits for the cards' pictures."""
    keys = ["key", "--window", window]
    if new_tab:
        subprocess.run(["xdotool", "mousemove", "--window", window, *map(str, ADDRESS_BAR),
                        "click", "1", *keys, "ctrl+t"], check=True)
    subprocess.run(["xdotool", "mousemove", "--window", window, *map(str, ADDRESS_BAR),
                    "click", "1", *keys, "ctrl+a", "type", "--window", window, address],
                   check=True)
    seen.pop("feed pictures shown", None)
    subprocess.run(["xdotool", *keys, "Return"], check=True)
    if not read_until(process, seen, {"address opened", "feed pictures shown"}):
        sys.exit("gui-bench: the channel page did not show its pictures")
    return seen["feed pictures shown"] - seen["address opened"]


media = peertube_instance.make_media(tempfile.mkdtemp(prefix="kestrofan-gui-bench-media-"))
server, origin, _ = peertube_instance.start_instance(
    repo + "/tests/services/fixtures/peertube", media, uploads=UPLOADS)
channel = origin + "/a/framasoft"
pages = []
for run in range(runs):
    home, env = fresh_home()
    peertube_instance.install_local_plugin(
        repo + "/plugins/peertube/service.js", build + "/tools/plugin-packer/plugin-packer",
        origin, home + "/data", home, items_per_page=UPLOADS)
    process = subprocess.Popen([gui], env=env, stderr=subprocess.PIPE, text=True)
    seen = {}
    if not read_until(process, seen, {"window shown", "services loaded"}):
        sys.exit("gui-bench: run %d ended at start-up" % (run + 1))
    window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid",
                             str(process.pid)], capture_output=True, text=True).stdout.split()[0]
    shown = open_channel(process, window, seen, channel, False)
    time.sleep(1)
    before = memory(process.pid, "VmRSS")
    for _ in range(MORE_TABS):
        open_channel(process, window, seen, channel, True)
    peak = memory(process.pid, "VmHWM")
    for _ in range(MORE_TABS):
        subprocess.run(["xdotool", "key", "--window", window, "ctrl+w"], check=True)
        time.sleep(0.1)
    time.sleep(3)
    after = memory(process.pid, "VmRSS")
    process.terminate()
    process.wait()
    pages.append((shown, before, peak, after, 100.0 * (after - before) / before))
server.shutdown()
print("channel page of %d uploads, then %d more in tabs" % (UPLOADS, MORE_TABS))
for index, label in enumerate(("  pictures shown (ms)", "  memory before (MiB)", "  peak memory (MiB)",
                               "  memory after closing (MiB)", "  after vs before (%)")):
    print("%-30s %10.1f" % (label, statistics.median(row[index] for row in pages)))
print("(%d runs)" % runs)
PY
