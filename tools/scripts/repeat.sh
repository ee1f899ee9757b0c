#!/usr/bin/env bash
# Runs the checks that touch a real window system many times over, two at a time, with two busy
# loops beside them as load, and reports each one's failures out of its runs: a fault that
# shows one run in thirty is one that users meet one start in thirty.
#
#   bash tools/scripts/repeat.sh [--runs N] [--jobs J] [--minutes M] [--no-load]
#                                [NAME[:FILTER][=RUNS] ...]
#
# A NAME picks every CTest test of build/ (and of build-windows/, where it exists) whose name it
# matches as a regular expression; a FILTER runs only those GoogleTest cases of a test that is a
# whole test program (--gtest_filter); RUNS overrides --runs for it. Without names it runs the
# picture sinks under X and Wayland 500 times each, the program's start and close under X and
# on Wayland 300 times each and ondeline.exe's under Wine 100 times. Each run is the test's own
# CTest command, environment and timeout, judged as CTest judges it, except that a skipped test
# fails. With --minutes it starts no run after that time and reports the runs made. The output of
# a failed run, and the pictures it took, are kept in build/repeat/. Everything runs under nice, so
# that whatever else the machine does goes on.
set -euo pipefail
cd "$(dirname "$0")/../.."
[ -d build ] || { echo "repeat: build/ is missing; run tools/scripts/build.sh first" >&2; exit 2; }
exec nice -n 10 python3 - "$@" <<'EOF'
import argparse, concurrent.futures, json, os, re, shutil, signal, subprocess, sys, threading, time

DEFAULTS = [
    ("^picture_sinks_wayland$", 500),
    ("^picture_sinks_x11$", 500),
    # Each starts the program in a session of its own, waits for its window and closes it.
    (r"^OndelineProgram\.ClosingTheWindowEndsTheProgramWithStatusZero$", 300),
    (r"^Scales/WaylandProgram\.ClosingTheWindowEndsTheProgramWithStatusZero/Scale100 ", 300),
    ("^wine_session$:LogPixels/WineProgram.*/0", 100),  # the first scale, 96 dots an inch
]
BUILDS = ["build", "build-windows"]

parser = argparse.ArgumentParser(prog="repeat.sh")
parser.add_argument("--runs", type=int, default=None, help="runs of each test")
parser.add_argument("--jobs", type=int, default=2, help="runs at a time")
parser.add_argument("--minutes", type=float, default=None, help="start no run after this")
parser.add_argument("--no-load", action="store_true", help="no busy loops beside the runs")
parser.add_argument("names", nargs="*", metavar="NAME[:FILTER][=RUNS]")
args = parser.parse_args()
if (args.runs is not None and args.runs < 1) or args.jobs < 1:
    parser.error("--runs and --jobs take a number from 1 up")


def ctest_tests(build):
    """Every test CTest knows in a build folder, as CTest would run it."""
    if not os.path.isfile(os.path.join(build, "CTestTestfile.cmake")):
        return []
    listing = subprocess.run(["ctest", "--show-only=json-v1"], cwd=build, capture_output=True,
                             text=True, check=True)
    tests = []
    for test in json.loads(listing.stdout)["tests"]:
        properties = {p["name"]: p["value"] for p in test.get("properties", [])}
        if "command" not in test or properties.get("DISABLED"):
            continue
        environment = dict(os.environ)
        for entry in properties.get("ENVIRONMENT", []):
            key, _, value = entry.partition("=")
            environment[key] = value
        tests.append({
            "name": test["name"],
            "command": test["command"],
            "cwd": properties.get("WORKING_DIRECTORY", build),
            "env": environment,
            "timeout": float(properties.get("TIMEOUT", 1500)),
            "fail": properties.get("FAIL_REGULAR_EXPRESSION", []),
            "pass": properties.get("PASS_REGULAR_EXPRESSION", []),
            "skip": properties.get("SKIP_REGULAR_EXPRESSION", []) + [r"\[  SKIPPED \]"],
        })
    return tests


known = [t for build in BUILDS for t in ctest_tests(os.path.abspath(build))]
# The names asked for, each with its number of runs; --runs stands in for a number not given.
requests = []
for request in args.names:
    given = re.fullmatch(r"(.*)=(\d+)", request)
    requests.append((given[1], int(given[2])) if given else (request, args.runs or 10))
requests = requests or [(name, args.runs or runs) for name, runs in DEFAULTS]
wanted = []
for request, count in requests:
    pattern, _, only = request.partition(":")
    matches = [t for t in known if re.search(pattern, t["name"])]
    if only:
        matches = [dict(t, name=f"{t['name']}:{only}",
                        command=t["command"] + [f"--gtest_filter={only}"]) for t in matches]
    if not matches:
        print(f"repeat: no test matches {pattern} (is build-windows/ built for Wine?)",
              file=sys.stderr)
        sys.exit(2)
    wanted += [(t, count) for t in matches if all(t is not w for w, _ in wanted)]

log_dir = os.path.abspath("build/repeat")
os.makedirs(log_dir, exist_ok=True)
lock = threading.Lock()
running = set()  # the runs under way, each in a process group of its own
results = {t["name"]: {"runs": 0, "failed": 0, "timeouts": 0, "seconds": 0.0} for t, _ in wanted}


def run_once(test, index):
    started = time.monotonic()
    if args.minutes is not None and started - begun > args.minutes * 60:
        return
    # Each run's pictures in a folder of its own: two runs of one test side by side would
    # otherwise write over each other's.
    run_name = re.sub(r"[^\w.-]", "_", test["name"]) + f"-{index}"
    pictures = os.path.join(log_dir, run_name)
    os.makedirs(pictures, exist_ok=True)
    process = subprocess.Popen(test["command"], cwd=test["cwd"],
                               env=dict(test["env"], ONDELINE_ARTIFACT_DIR=pictures),
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, start_new_session=True)
    with lock:
        running.add(process)
    timed_out = False
    try:
        output, _ = process.communicate(timeout=test["timeout"])
    except subprocess.TimeoutExpired:
        timed_out = True
        os.killpg(process.pid, signal.SIGKILL)
        output, _ = process.communicate()
    text = output.decode(errors="replace")
    why = ("timed out after %.0f s" % test["timeout"] if timed_out
           else f"exit status {process.returncode}" if process.returncode != 0
           else "failure output" if any(re.search(r, text) for r in test["fail"])
           else "skipped" if any(re.search(r, text) for r in test["skip"])
           else "no pass output" if test["pass"] and not any(re.search(r, text) for r in test["pass"])
           else None)
    with lock:
        running.discard(process)
        result = results[test["name"]]
        result["runs"] += 1
        result["seconds"] += time.monotonic() - started
        if not why:
            shutil.rmtree(pictures, ignore_errors=True)
        else:
            result["failed"] += 1
            result["timeouts"] += timed_out
            path = os.path.join(log_dir, run_name + ".log")
            with open(path, "w") as log:
                log.write(f"{' '.join(test['command'])}\n{why}\n\n{text}")
            print(f"FAIL {test['name']} run {index}: {why} ({path})", flush=True)


# Round robin, so that the runs at the same time are mostly of different tests.
queue = []
for index in range(max(count for _, count in wanted)):
    queue += [(test, index + 1) for test, count in wanted if index < count]

load = [] if args.no_load else [
    subprocess.Popen(["sh", "-c", "while :; do :; done"]) for _ in range(2)]
begun = time.monotonic()
pool = concurrent.futures.ThreadPoolExecutor(args.jobs)
try:
    for future in concurrent.futures.as_completed(
            [pool.submit(run_once, test, index) for test, index in queue]):
        future.result()
finally:
    pool.shutdown(wait=False, cancel_futures=True)
    for loop in load:
        loop.kill()
    with lock:
        for process in running:
            os.killpg(process.pid, signal.SIGKILL)

made = sum(r["runs"] for r in results.values())
print(f"\n{made} runs in {time.monotonic() - begun:.0f} s, {args.jobs} at a time, "
      f"{'no load' if args.no_load else 'two busy loops beside them'}:")
for test, _ in wanted:
    r = results[test["name"]]
    timeouts = f" ({r['timeouts']} timed out)" if r["timeouts"] else ""
    print(f"  {r['failed']:4} of {r['runs']:4} failed{timeouts}, "
          f"{r['seconds'] / max(r['runs'], 1):5.1f} s a run: {test['name']}")
sys.exit(1 if any(r["failed"] for r in results.values()) else 0)
EOF
