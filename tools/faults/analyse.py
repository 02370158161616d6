#!/usr/bin/env python3
"""Reads kill-matrix results; lists test functions (and rows) whose kills others also make.
Usage: analyse.py TESTS RESULTS.jsonl... (data tags from `tst_X -datatags` in datatags.txt beside it, optional)"""
import json, re, sys, os, glob
from collections import defaultdict

root = sys.argv[1]
recs = []
for f in sys.argv[2:]:
    recs += [json.loads(l) for l in open(f)]

killed = {}  # fault -> set of (prog, func) ; and rows
rows = {}
status = defaultdict(list)
for r in recs:
    status[r.get("status")].append(r["id"])
    if r.get("status") != "killed":
        continue
    fs, rs = set(), set()
    for prog, fails in r["killed"].items():
        for f in fails:
            if f.startswith("<"):
                fs.add((prog, f)); rs.add((prog, f)); continue
            m = re.match(r"(\w+)\((.*)\)$", f)
            fs.add((prog, m.group(1))); rs.add((prog, f))
    killed[r["id"]], rows[r["id"]] = fs, rs

print({k: len(v) for k, v in status.items()})
print("survived:", status["survived"])
print("build-error:", status["build-error"])

# Line counts of test functions (with their _data).
lines = {}
for path in glob.glob(os.path.join(root, "**/tst_*.cpp"), recursive=True):
    prog = os.path.basename(path)[:-4]
    src = open(path).read().split("\n")
    i = 0
    while i < len(src):
        m = re.match(r"^(\s*)void (\w+)\(\)", src[i])
        if m and i + 1 < len(src):
            indent = m.group(1)
            j = i + 1
            if not src[i].rstrip().endswith("}"):
                while j < len(src) and src[j] != indent + "}":
                    j += 1
            n = sum(1 for l in src[i:j + 1] if l.strip())
            name = m.group(2)
            base = name[:-5] if name.endswith("_data") else name
            lines[(prog, base)] = lines.get((prog, base), 0) + n
            i = j + 1
        else:
            i += 1

byfunc = defaultdict(set)
for mid, fs in killed.items():
    for f in fs:
        byfunc[f].add(mid)

alive = set(lines) | set(byfunc)
unique = {f: {m for m in byfunc[f] if len(killed[m]) == 1} for f in alive}
print("\nFunctions: kills / unique / lines")
for f in sorted(alive, key=lambda f: (len(unique[f]), -lines.get(f, 0))):
    print(f"{f[0]}::{f[1]}: {len(byfunc[f])} / {len(unique[f])} / {lines.get(f, '?')}  {sorted(unique[f])[:6]}")

# Greedy removal: biggest functions first, while every kill stays.
keep = set(alive)
removed = []
for f in sorted(alive, key=lambda f: -lines.get(f, 0)):
    if f[1].startswith("<") or f[1] in ("init", "cleanup", "initTestCase", "cleanupTestCase"):
        continue
    rest = keep - {f}
    if all(killed[m] & rest for m in byfunc[f]):
        keep = rest
        removed.append(f)
print("\nRemovable together (greedy):", sum(lines.get(f, 0) for f in removed), "lines")
for f in removed:
    print(f"  {f[0]}::{f[1]} {lines.get(f, '?')} kills={len(byfunc[f])}")

# Rows of kept data-driven functions whose kills others also make (greedy, after the functions above).
byrow = defaultdict(set)
for mid, rs in rows.items():
    for r in rs:
        byrow[r].add(mid)
def func_of(r):
    m = re.match(r"(\w+)\(", r[1])
    return (r[0], m.group(1)) if m else r
keptrows = {r for r in byrow if func_of(r) in keep}
def covered(mid, live):
    return any(r in live for r in rows[mid])
removable_rows = []
live = set(keptrows)
for r in sorted(keptrows):
    if not r[1].endswith("()") and "(" in r[1]:
        rest = live - {r}
        if all(covered(m, rest) for m in byrow[r]):
            live = rest
            removable_rows.append(r)
print("\nRows of kept functions that kill only what others kill:", len(removable_rows))
for r in removable_rows:
    print("  ", r[0], r[1])
# Rows that never failed are known only from the programs' own list of data tags.

print("\nRows that never failed, in kept functions:")
tags = os.path.join(os.path.dirname(os.path.abspath(__file__)), "datatags.txt")
for line in open(tags) if os.path.exists(tags) else []:
    parts = line.rstrip("\n").split(" ", 2)
    if len(parts) < 3:
        continue
    prog = "tst_" + parts[0][4:]
    r = (prog, f"{parts[1]}({parts[2]})")
    if (prog, parts[1]) in keep and r not in byrow:
        print("  ", prog, r[1])
