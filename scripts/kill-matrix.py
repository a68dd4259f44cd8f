#!/usr/bin/env python3
"""Kill matrix: which test cases and fit scripts catch each planted fault.

  record DIR     the test command for ../shared/tools/mutants.py: records the
                 planted fault and what fails for it in DIR, then runs the
                 native suite and the three fit-*.sh scripts
  report DIR:PARTS... [--drop CASE...]
                 per sample (DIR: a record folder beside its mutants.py
                 printout DIR.txt; PARTS: gtest and the scripts it counts,
                 comma-separated), how many faults are caught and which cases
                 or scripts catch a fault alone; with --drop, the faults that
                 only the named cases or scripts catch
  replay         plants each fault listed by report --drop (on stdin) in the
                 working tree again and runs its sample's tests as they are now

Example, the core's seed 1:
  ../shared/tools/mutants.py --seed 1 --timeout 300 \\
      --test 'python3 scripts/kill-matrix.py record /tmp/km/core1' >/tmp/km/core1.txt
  python3 scripts/kill-matrix.py report /tmp/km/core1:gtest
"""
import collections
import glob
import os
import re
import subprocess
import sys

SCRIPTS = ["fit-outputs", "fit-robust", "fit-apply"]
REBUILD = "cmake --build build/native --target ortk_native_tests ortk-fit -j 2"


def run(cmd, timeout, out=subprocess.DEVNULL):
    try:
        return subprocess.run(cmd, shell=True, timeout=timeout, stdout=out, stderr=out).returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def record(folder):
    os.makedirs(folder, exist_ok=True)
    base = os.path.join(folder, "%04d" % len(glob.glob(folder + "/*.diff")))
    diff = subprocess.run(["git", "diff", "-U0"], capture_output=True, text=True).stdout
    with open(base + ".diff", "w") as f:
        f.write(diff)
    run("cmake --build build/native --target ortk-fit -j 2", 600)
    with open(base + ".gtest", "w") as out:
        results = {"gtest": run("build/native/ortk_native_tests", 20, out)}
    for script in SCRIPTS:
        results[script] = run("bash tests/scripts/%s.sh" % script, 40)
    with open(base + ".rc", "w") as f:
        f.write("".join("%s %s\n" % item for item in results.items()) + "done\n")
    return 0 if all(rc == 0 for rc in results.values()) else 1


def catchers(base, parts):
    """The cases and scripts among parts that fail for one recorded fault; a
    crash or hang counts against the case that was running."""
    output = open(base + ".gtest", errors="replace").read()
    status = open(base + ".rc").read() if os.path.exists(base + ".rc") else ""
    found = set()
    if "gtest" in parts:
        found |= set(re.findall(r"^\[  FAILED  \] (\S+\.\S+)", output, re.M))
        if not re.search(r"^\[==========\] \d+ tests? from .* ran", output, re.M):
            running = re.findall(r"^\[ RUN      \] (\S+)", output, re.M)
            found.add(running[-1] if running else "gtest")
    for line in status.splitlines():
        name, _, rc = line.partition(" ")
        if name in parts and name != "gtest" and rc != "0":
            found.add(name)
    return found if "done" in status else found | {"timeout"}


def faults(folder, parts):
    """(path:line, diff file, catchers) of each planted fault, in order."""
    verdicts = [line.split()[1] for line in open(folder + ".txt")
                if re.match(r"(killed|SURVIVED|timeout) ", line)]
    diffs = [d for d in sorted(glob.glob(folder + "/*.diff")) if "\n-" in open(d).read()]
    for where, diff in zip(verdicts, diffs):
        yield where, diff, catchers(diff[:-5], parts)


def report(args):
    drop = set(args[args.index("--drop") + 1:]) if "--drop" in args else None
    samples = args[:args.index("--drop")] if drop is not None else args
    alone = collections.defaultdict(int)
    for sample in samples:
        folder, _, parts = sample.partition(":")
        caught = total = 0
        for where, diff, found in faults(folder, parts.split(",")):
            total, caught = total + 1, caught + bool(found)
            if drop is not None and found and found <= drop:
                print(folder, where, diff, parts, " ".join(sorted(found)))
            elif drop is None and len(found) == 1:
                alone[next(iter(found))] += 1
        print("# %s: %d of %d caught" % (folder, caught, total))
    for name, count in sorted(alone.items(), key=lambda item: -item[1]):
        print("%4d caught by %s alone" % (count, name))
    return 0


def replay():
    for line in sys.stdin:
        if line.startswith("#"):
            continue
        _, where, diff, parts = line.split()[:4]
        path, number = where.rsplit(":", 1)
        change = open(diff).read().splitlines()
        old = next(l[1:] for l in change if l.startswith("-") and not l.startswith("---"))
        new = next(l[1:] for l in change if l.startswith("+") and not l.startswith("+++"))
        source = open(path).read()
        lines = source.split("\n")
        if lines[int(number) - 1] != old:
            print("changed since", line.strip())
            continue
        lines[int(number) - 1] = new
        try:
            open(path, "w").write("\n".join(lines))
            if run(REBUILD, 600):
                verdict = "no-build"
            else:
                failed = run("build/native/ortk_native_tests", 20) != 0
                for script in set(SCRIPTS) & set(parts.split(",")):
                    failed = failed or run("bash tests/scripts/%s.sh" % script, 40) != 0
                verdict = "caught" if failed else "SURVIVED"
            print(verdict, line.strip(), flush=True)
        finally:
            open(path, "w").write(source)
    run(REBUILD, 600)
    return 0


if __name__ == "__main__":
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "record" and len(sys.argv) == 3:
        sys.exit(record(sys.argv[2]))
    if command == "report" and len(sys.argv) > 2:
        sys.exit(report(sys.argv[2:]))
    if command == "replay":
        sys.exit(replay())
    sys.exit(__doc__)
