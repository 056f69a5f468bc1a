#!/usr/bin/env python3
"""Whole-process timings of varkel: a job of one echo task against /bin/true (median of
30 runs each, interleaved), and a job of 10 000 echo tasks in a foreach at log level warning.

    bench/varkel_run_bench.py [path/to/varkel]      (default: out/release/varkel)
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = 30


def timed(argv, cwd):
    start = time.perf_counter()
    code = subprocess.run(argv, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    return (time.perf_counter() - start) * 1000.0, code


def write(path, text):
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    binary = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "out", "release", "varkel")
    with tempfile.TemporaryDirectory() as tmp:
        program = os.path.join(tmp, "varkel")
        shutil.copy2(binary, program)
        write(os.path.join(tmp, "one.xml"), '<project><tasks><echo message="hello"/></tasks></project>\n')
        items = ",".join(str(i) for i in range(10000))
        write(os.path.join(tmp, "many.xml"),
              '<project><vars><var name="log.level" value="warning" replace="yes"/></vars><tasks>'
              '<foreach in="%s"><echo message="#{item}"/></foreach></tasks></project>\n' % items)

        one, true = [], []
        for _ in range(RUNS):
            ms, code = timed([program, "-job", "one.xml"], tmp)
            assert code == 0, code
            one.append(ms)
            true.append(timed(["/bin/true"], tmp)[0])
        print("one echo task:  median %.2f ms (min %.2f, max %.2f) over %d runs" %
              (statistics.median(one), min(one), max(one), RUNS))
        print("/bin/true:      median %.2f ms (min %.2f, max %.2f) over %d runs" %
              (statistics.median(true), min(true), max(true), RUNS))

        many = []
        for _ in range(5):
            ms, code = timed([program, "-job", "many.xml"], tmp)
            assert code == 0, code
            many.append(ms)
        print("10000 echo tasks (foreach, log.level warning): median %.1f ms over %d runs" %
              (statistics.median(many), len(many)))


if __name__ == "__main__":
    main()
