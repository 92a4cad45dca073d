#!/usr/bin/env bash
# Cold start of the desktop window under Xvfb: time from launch to the window shown and to the
# service plugins loaded (the program's own "kestrofan.startup" milestones on the monotonic
# clock), and peak resident memory as /usr/bin/time -v reports it. Each run starts from a fresh
# private HOME set up by "kestrofan-cli setup". Prints the median over the runs.
#
# Environment:
#   KESTROFAN_BUILD_DIR  the build folder (default: build)
#   BENCH_RUNS           runs (default 5)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTROFAN_BUILD_DIR:-$repo/build}
exec xvfb-run -a -s "-screen 0 1280x900x24" /usr/bin/python3 - "$build" "${BENCH_RUNS:-5}" <<'PY'
import os, re, signal, statistics, subprocess, sys, tempfile, time

build, runs = sys.argv[1], int(sys.argv[2])
gui, cli = build + "/src/gui/kestrofan", build + "/src/cli/kestrofan-cli"
milestone = re.compile(r"(window shown|services loaded) at (\d+) ms")
rows = []
for run in range(runs):
    home = tempfile.mkdtemp(prefix="kestrofan-gui-bench-")
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/config",
               XDG_DATA_HOME=home + "/data", XDG_CACHE_HOME=home + "/cache",
               QT_LOGGING_RULES="kestrofan.startup.info=true")
    env.pop("KESTROFAN_UPDATE_URL", None)
    subprocess.run([cli, "setup"], env=env, check=True, stdout=subprocess.DEVNULL)
    timing = home + "/time.txt"
    started = time.monotonic() * 1000
    process = subprocess.Popen(["/usr/bin/time", "-v", "-o", timing, gui], env=env,
                               stderr=subprocess.PIPE, text=True)
    seen = {}
    for line in process.stderr:
        match = milestone.search(line)
        if match:
            seen[match.group(1)] = int(match.group(2)) - started
        if len(seen) == 2:
            break
    # Ask the program (not time) to end; time then reports its peak memory.
    with open("/proc/%d/task/%d/children" % (process.pid, process.pid)) as f:
        for child in f.read().split():
            os.kill(int(child), signal.SIGTERM)
    process.wait()
    if len(seen) != 2:
        sys.exit("gui-bench: run %d ended without both milestones: %s" % (run + 1, seen))
    peak = re.search(r"Maximum resident set size \(kbytes\): (\d+)", open(timing).read())
    rows.append((seen["window shown"], seen["services loaded"], int(peak.group(1)) / 1024))

print("%-26s %10s" % ("kestrofan cold start", "median"))
for index, label in enumerate(("window shown (ms)", "services loaded (ms)", "peak memory (MiB)")):
    print("%-26s %10.1f" % (label, statistics.median(row[index] for row in rows)))
print("(%d runs)" % runs)
PY
