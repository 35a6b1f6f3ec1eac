#!/usr/bin/env python3
"""Random kills of the writing commands: a few hundred runs, each ended by
SIGKILL or SIGINT at a random moment, then the checks of the set: the
directory holds the whole earlier set or the whole new one, or an intent
record that makes a reader refuse it with status 2; the next run leaves the
whole new set and no temporary file.

    python3 tests/stress_kills.py BUILD_DIR [KILLS]

(`make stress`; not part of the test suite: it takes minutes.)
"""
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

RECORD = ".scenario-compiler-set"
LINE = "Corvale_Pravena AV_linea.txt"
TRAIN = "Corvale_Pravena AV_409-.txt"
DOCS = ["Corvale_Pravena AV_409_note.txt", "Corvale_Pravena AV_409_rallentamenti.txt",
        "Corvale_Pravena AV_409_scheda_treno.txt"]
COMPILED = ["Corvale_Pravena AV_linea.dat", "Corvale_Pravena AV_409.sim",
            "Corvale_Pravena AV_409.dat"]


def run(program, cwd, args, check=True):
    r = subprocess.run([program] + args, cwd=cwd, capture_output=True, text=True,
                       env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
    if check and r.returncode != 0:
        sys.exit(f"{' '.join(args)}: status {r.returncode}\n{r.stderr}")
    return r


def files(d, names):
    out = {}
    for n in names:
        p = os.path.join(d, n)
        out[n] = open(p, "rb").read() if os.path.exists(p) else None
    return out


def earlier(d, names):
    for n in names:
        with open(os.path.join(d, n), "ab") as f:
            f.write(b"earlier\n")


def writers(program, root):
    """(name, args, groups of the set) with root prepared for each."""
    run(program, root, ["export", "--out", "src"])
    run(program, root, ["--out", "bin"])
    return [
        ("compile", ["compile", "src/" + LINE, "src/" + TRAIN, "--out", "o"], [COMPILED]),
        ("export", ["export", "--out", "o", "--force"], [[LINE, TRAIN] + DOCS]),
        ("decompile", ["decompile", "bin", "--out", "o", "--force"], [[LINE, TRAIN]]),
        ("run", ["--out", "o"], [[d] for d in DOCS] + [COMPILED]),
    ]


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    kills = int(sys.argv[2]) if len(sys.argv) > 2 else 400
    program = os.path.abspath(os.path.join(build, "scenario-compiler"))
    rng = random.Random(int(os.environ.get("SEED", "0")) or None)
    failures = 0
    outcomes = {}
    with tempfile.TemporaryDirectory() as base:
        root = os.path.join(base, "root")
        os.makedirs(root)
        table = writers(program, root)
        for name, args, groups in table:
            names = [n for g in groups for n in g]
            prepared = os.path.join(base, name + "-prepared")
            shutil.copytree(root, prepared)
            run(program, prepared, args)
            earlier(os.path.join(prepared, "o"), names)
            old = files(os.path.join(prepared, "o"), names)
            fresh_dir = os.path.join(base, name + "-fresh")
            shutil.copytree(prepared, fresh_dir)
            start = time.monotonic()
            run(program, fresh_dir, args)
            took = time.monotonic() - start
            new = files(os.path.join(fresh_dir, "o"), names)
            for i in range(kills // len(table)):
                work = os.path.join(base, "work")
                shutil.rmtree(work, ignore_errors=True)
                shutil.copytree(prepared, work)
                sig = rng.choice([signal.SIGKILL, signal.SIGINT])
                p = subprocess.Popen([program] + args, cwd=work, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL,
                                     env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
                time.sleep(rng.uniform(0, took * 1.2))
                p.send_signal(sig)
                p.wait()
                o = os.path.join(work, "o")
                fault = None
                if os.path.exists(os.path.join(o, RECORD)):
                    kind = "unfinished"
                    r = run(program, work, ["inspect", "o/" + names[-1]], check=False)
                    if r.returncode != 2 or "an interrupted run left" not in r.stderr:
                        fault = f"a reader did not refuse: {r.returncode} {r.stderr}"
                    if sig == signal.SIGINT:
                        fault = "SIGINT left the set unfinished"
                else:
                    now = files(o, names)
                    kind = "whole"
                    for g in groups:
                        if not (all(now[n] == old[n] for n in g) or
                                all(now[n] == new[n] for n in g)):
                            fault = f"a mixed set: {g}"
                if sig == signal.SIGINT and name == "run":
                    for d in (LINE, TRAIN):
                        if os.path.exists(os.path.join(o, d)):
                            fault = f"SIGINT left {d}"
                run(program, work, args)
                if files(o, names) != new:
                    fault = "the next run did not write the whole new set"
                left = [n for n in os.listdir(o) if n.startswith(".scenario-compiler-")]
                if left:
                    fault = f"left behind: {left}"
                key = (name, sig.name, kind)
                outcomes[key] = outcomes.get(key, 0) + 1
                if fault:
                    failures += 1
                    print(f"{name}, {sig.name}, kill {i}: {fault}")
    for key in sorted(outcomes):
        print(f"{key[0]:10} {key[1]:8} {key[2]:11} {outcomes[key]}")
    print(f"{failures} faults in {sum(outcomes.values())} kills")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
