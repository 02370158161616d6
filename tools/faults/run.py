#!/usr/bin/env python3
"""Function-level kill matrix. Usage: run.py WORKTREE RESULTS.jsonl FAULTS.py [ID ...]
Applies each fault, rebuilds, runs the test programs whose artifacts changed, records every failing
QtTest function/row, reverts."""
import concurrent.futures, glob, importlib.util, json, os, re, subprocess, sys, time

wt, results, mfile = sys.argv[1], sys.argv[2], sys.argv[3]
only = set(sys.argv[4:])
spec = importlib.util.spec_from_file_location("m", mfile)
mod = importlib.util.module_from_spec(spec)
spec.loader.exec_module(mod)
build = os.path.join(wt, "build")
bindir = os.path.join(build, "bin")
done = set()
if os.path.exists(results):
    done = {json.loads(l)["id"] for l in open(results)}

ENV = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="en_US.UTF-8", TZ="UTC", G_SLICE="always-malloc")
PROGRAMS = sorted(os.path.basename(p) for p in glob.glob(os.path.join(bindir, "tst_*")))
# Programs that run other built artifacts (the program, the modules) rather than only linking libraries.
RUNS_PROGRAM = {"tst_EndToEnd", "tst_ServiceMenu"}
RUNS_MODULES = {"tst_FileManagerModules"}


def artifacts():
    out = {}
    for root, _, files in os.walk(build):
        if "CMakeFiles" in root or "autogen" in root:
            continue
        for f in files:
            p = os.path.join(root, f)
            if f.startswith("tst_") or f.endswith(".so") or f in ("quintara", "quintara-app") or ".so." in f:
                try:
                    out[p] = os.stat(p).st_mtime_ns
                except FileNotFoundError:
                    pass
    return out


def run_program(name):
    try:
        p = subprocess.run([os.path.join(bindir, name)], cwd=build, env=ENV, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, text=True, errors="replace", timeout=180)
        out, rc = p.stdout, p.returncode
    except subprocess.TimeoutExpired as e:
        return name, ["<timeout>"]
    fails = sorted(set(m.group(1) for m in re.finditer(r"^(?:FAIL!|QFATAL|XPASS) *: *\w+::(\S+?(?:\(.*?\))?) ", out, re.M)))
    if rc != 0 and not fails:
        fails = ["<exit %d>" % rc]
    elif rc < 0 or rc > 127:
        fails.append("<crash %d>" % rc)
    return name, fails


def run_all(names):
    with concurrent.futures.ThreadPoolExecutor(2) as ex:
        return {n: f for n, f in ex.map(run_program, names) if f}


def sh(args):
    p = subprocess.run(args, cwd=wt, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")
    return p.returncode, p.stdout


if __name__ == "__main__":
    before = artifacts()
    for mid, path, old, new, *_ in mod.M:
        if mid in done or (only and mid not in only):
            continue
        start = time.time()
        full = os.path.join(wt, path)
        text = open(full).read()
        rec = {"id": mid}
        if text.count(old) != 1:
            rec["status"] = "not-applicable"
        else:
            open(full, "w").write(text.replace(old, new))
            try:
                rc, out = sh(["cmake", "--build", build, "-j2"])
                if rc != 0:
                    rec["status"] = "build-error"
                    rec["log"] = out[-800:]
                else:
                    after = artifacts()
                    changed = {p for p, t in after.items() if before.get(p) != t}
                    names = set()
                    for p in changed:
                        b = os.path.basename(p)
                        if b in PROGRAMS:
                            names.add(b)
                        elif b in ("quintara", "quintara-app"):
                            names |= RUNS_PROGRAM
                        elif ".so" in b:
                            names |= RUNS_MODULES | RUNS_PROGRAM
                    rec["ran"] = sorted(names)
                    rec["killed"] = run_all(sorted(names))
                    rec["status"] = "killed" if rec["killed"] else "survived"
            finally:
                open(full, "w").write(text)
        # Rebuild the original so the next fault starts from it.
        if not os.environ.get("NORESTORE"):
            sh(["cmake", "--build", build, "-j2"])
            before = artifacts()
        elif rec.get("status") in ("killed", "survived"):
            before = after
        rec["seconds"] = round(time.time() - start)
        with open(results, "a") as f:
            f.write(json.dumps(rec) + "\n")
        print(mid, rec.get("status"), rec.get("killed", ""), rec["seconds"], flush=True)
