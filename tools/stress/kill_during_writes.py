#!/usr/bin/env python3
"""Imports and creates through the real program while its instance is killed with SIGKILL at random
moments; then checks that the settings file always parsed and that every template whose import was
reported as added (exit status 0) is still stored.

usage: kill_during_writes.py BUILD_BIN [IMPORTS] [CREATES] [SEED]
"""
import base64
import json
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
from concurrent.futures import ThreadPoolExecutor

bin_dir = os.path.abspath(sys.argv[1])
imports = int(sys.argv[2]) if len(sys.argv) > 2 else 500
creates = int(sys.argv[3]) if len(sys.argv) > 3 else 500
rng = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 1)

home = tempfile.mkdtemp(prefix="quintara-kill-")
config, runtime = os.path.join(home, "config"), os.path.join(home, "runtime")
os.makedirs(config)
os.makedirs(runtime, mode=0o700)
settings = os.path.join(config, "group.app.quintara.Quintara.json")
# Without a display, as from a remote shell: an instance ends a few seconds after its last request, and
# a launch that became the instance exits with its own requests' status.
env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=config, XDG_RUNTIME_DIR=runtime,
           DBUS_SESSION_BUS_ADDRESS="unix:path=" + os.path.join(home, "no-bus"), XDG_DATA_HOME=os.path.join(home, "data"))
for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
    env.pop(name, None)

# The grant: the whole temporary home.
info = os.stat(home)
bookmark = json.dumps({"kind": "quintara-bookmark", "version": 1, "path": home, "device": info.st_dev,
                       "inode": info.st_ino}, separators=(",", ":")).encode()
with open(settings, "w") as f:
    json.dump({"homeFolderBookmark": {"data": base64.b64encode(bookmark).decode()}}, f)

sources = os.path.join(home, "sources")
target = os.path.join(home, "target")
os.makedirs(sources)
os.makedirs(target)
for n in range(imports):
    with open(os.path.join(sources, "imp-%d.txt" % n), "w") as f:
        f.write("template %d {{date}}\n" % n)

lock = threading.Lock()
reported_added, failed = [], []
parse_checks = {"reads": 0, "unparsable": 0}
done = threading.Event()


def check_settings():
    try:
        with open(settings, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return
    with lock:
        parse_checks["reads"] += 1
        try:
            json.loads(data)
        except ValueError:
            parse_checks["unparsable"] += 1
            shutil.copy(settings, settings + ".unparsable.%d" % parse_checks["unparsable"])


def instance_pids():
    pids = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            if os.path.basename(os.readlink("/proc/%s/exe" % pid)) != "quintara-app":
                continue
            with open("/proc/%s/environ" % pid, "rb") as f:
                if ("XDG_RUNTIME_DIR=" + runtime).encode() not in f.read().split(b"\0"):
                    continue
            pids.append(int(pid))
        except OSError:
            pass
    return pids


kills = 0


def killer():
    global kills
    while not done.is_set():
        time.sleep(rng.uniform(0.02, 0.4))
        for pid in instance_pids():
            try:
                os.kill(pid, signal.SIGKILL)
                kills += 1
            except OSError:
                pass
        time.sleep(0.01)
        check_settings()


def run(job):
    kind, n = job
    if kind == "import":
        args = ["--import", os.path.join(sources, "imp-%d.txt" % n)]
    else:
        args = ["--new", "0", target]
    result = subprocess.run([os.path.join(bin_dir, "quintara")] + args, env=env, capture_output=True, timeout=120)
    with lock:
        if result.returncode == 0 and kind == "import":
            reported_added.append("imp-%d" % n)
        elif result.returncode != 0:
            lines = result.stderr.decode(errors="replace").strip().splitlines()
            failed.append((kind, n, result.returncode, lines[-1] if lines else ""))


jobs = [("import", n) for n in range(imports)] + [("create", n) for n in range(creates)]
rng.shuffle(jobs)
thread = threading.Thread(target=killer)
started = time.time()
thread.start()
try:
    with ThreadPoolExecutor(max_workers=4) as pool:
        list(pool.map(run, jobs))
finally:
    done.set()
thread.join()
for pid in instance_pids():
    os.kill(pid, signal.SIGTERM)
time.sleep(1)
check_settings()

with open(settings, "rb") as f:
    stored = json.loads(f.read())
templates = json.loads(base64.b64decode(stored["customTemplates"]["data"])) if "customTemplates" in stored else []
stored_names = {t["name"] for t in templates}
lost = [name for name in reported_added if not any(s == name or s.startswith(name + " ") for s in stored_names)]
print(json.dumps({
    "seconds": round(time.time() - started, 1),
    "imports": imports, "creates": creates, "kills": kills,
    "settings reads while killing": parse_checks["reads"], "unparsable reads": parse_checks["unparsable"],
    "imports reported added": len(reported_added), "stored templates": len(templates),
    "reported added but lost": lost,
    "files created": len(os.listdir(target)),
    "launches that failed": len(failed),
    "killed while serving as the instance": sum(1 for f in failed if f[2] == -signal.SIGKILL),
    "other failures": [f for f in failed if f[2] != -signal.SIGKILL][:5],
    "left in the config folder": sorted(os.listdir(config)),
}, indent=1))
shutil.rmtree(home) if not lost and parse_checks["unparsable"] == 0 else print("kept:", home)
sys.exit(1 if lost or parse_checks["unparsable"] else 0)
