#!/usr/bin/env python3
"""Whole-process timing of a qmake build whose make prints 200 000 lines: varkel at its
default log level (every line through the log to the console and the log file) against
running that make with its output through tee into a file. Runs interleaved, medians
of 10 each; the console of both goes to /dev/null.

Then peak resident memory (GNU time) of a build whose make prints MEMORY_MB megabytes as
fast as it can, against an exec task that catches the same program's output: both pass
it into the log, and neither should hold more than a little of it at once.

    bench/build_output_bench.py [path/to/varkel]      (default: out/release/varkel)
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = 10
LINES = 200000
MEMORY_MB = 400
MEMORY_RUNS = 3
GNU_TIME = "/usr/bin/time"

# A make that prints what a compiler run prints: one long line per file.
MAKE = """#!/bin/sh
exec awk 'BEGIN { for (i = 1; i <= %d; i++)
  printf "g++ -c -pipe -O2 -Wall -Wextra -fPIC -I. -Iinclude -o obj/file%%d.o src/file%%d.cpp\\n", i, i }'
""" % LINES

RULES = """<project><solutions>
  <solution type="build" buildtype="qmake" name="big" projectfile="big.pro"/>
</solutions></project>
"""

JOB = """<project>
  <vars><var name="linux.qmake.path" value="%s/tools/qmake"/></vars>
  <tasks><build name="big" output="%s/out" outputbuilddir="%s/build"/></tasks>
</project>
"""

# What the tools print for the memory figures, as fast as a pipe takes it.
FLOOD = """#!/bin/sh
yes 'g++ -c -pipe -O2 -Wall -Wextra -fPIC -I. -Iinclude -o obj/file.o src/file.cpp' | head -c %d
""" % (MEMORY_MB * 1000000)

EXEC_JOB = """<project><tasks><exec exe="%s/flood/make" catchoutput="yes"/></tasks></project>
"""


def write(path, text, executable=False):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    if executable:
        os.chmod(path, 0o755)


def timed(argv, cwd, env):
    start = time.perf_counter()
    code = subprocess.run(argv, cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode
    return (time.perf_counter() - start) * 1000.0, code


def peak_mb(argv, cwd, env):
    """Peak resident memory in MB of one run, as GNU time reports it."""
    report = os.path.join(cwd, "time.out")
    code = subprocess.run([GNU_TIME, "-f", "%M", "-o", report] + argv, cwd=cwd, env=env,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    assert code == 0, (argv, code)
    with open(report, encoding="utf-8") as f:
        return int(f.read().split()[-1]) / 1024.0


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    binary = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "out", "release", "varkel")
    with tempfile.TemporaryDirectory() as tmp:
        program = os.path.join(tmp, "varkel")
        shutil.copy2(binary, program)
        write(os.path.join(tmp, "bin", "make"), MAKE, executable=True)
        write(os.path.join(tmp, "tools", "qmake"), "#!/bin/sh\nexit 0\n", executable=True)
        write(os.path.join(tmp, "src", "varkel.xml"), RULES)
        write(os.path.join(tmp, "src", "big.pro"), "")
        write(os.path.join(tmp, "job.xml"), JOB % (tmp, tmp, tmp))
        write(os.path.join(tmp, "environment"), "")
        env = dict(os.environ)
        env["PATH"] = os.path.join(tmp, "bin") + os.pathsep + env.get("PATH", "")
        env["VARKEL_SYSTEM_ENVIRONMENT_FILE"] = os.path.join(tmp, "environment")

        varkel_argv = [program, "-pmanifest", os.path.join(tmp, "src", "varkel.xml"), "-job", "job.xml"]
        # Once with the console kept: every line of make passes through the log.
        console = subprocess.run(varkel_argv, cwd=tmp, env=env, stdout=subprocess.PIPE).stdout
        assert console.count(b" -o obj/file") == LINES, "not every line of make reached the log"

        varkel, tee = [], []
        for _ in range(RUNS):
            ms, code = timed(varkel_argv, tmp, env)
            assert code == 0, code
            varkel.append(ms)
            ms, code = timed(["/bin/sh", "-c", "make | tee make.txt"], tmp, env)
            assert code == 0, code
            tee.append(ms)
        v, t = statistics.median(varkel), statistics.median(tee)
        print("varkel build, %d lines of make output: median %.1f ms (min %.1f, max %.1f) over %d runs" %
              (LINES, v, min(varkel), max(varkel), RUNS))
        print("make | tee make.txt:                  median %.1f ms (min %.1f, max %.1f) over %d runs" %
              (t, min(tee), max(tee), RUNS))
        print("ratio: %.2f" % (v / t))

        write(os.path.join(tmp, "flood", "make"), FLOOD, executable=True)
        write(os.path.join(tmp, "exec.xml"), EXEC_JOB % tmp)
        flood_env = dict(env)
        flood_env["PATH"] = os.path.join(tmp, "flood") + os.pathsep + os.environ.get("PATH", "")
        build, runner = [], []
        for _ in range(MEMORY_RUNS):
            build.append(peak_mb(varkel_argv, tmp, flood_env))
            runner.append(peak_mb([program, "-job", "exec.xml"], tmp, flood_env))
        print("peak memory, %d MB of tool output: build %.0f MB (max %.0f), exec runner %.0f MB (max %.0f)"
              " over %d runs" % (MEMORY_MB, statistics.median(build), max(build), statistics.median(runner),
                                 max(runner), MEMORY_RUNS))


if __name__ == "__main__":
    main()
