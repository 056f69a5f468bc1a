#!/usr/bin/env python3
"""Whole-process timings of the copy and delete tasks against cp -r and rm -r, measured
side by side (interleaved, median of RUNS each) on one tree of 10 000 files of 4 KB in
100 directories:

  copy by one file set ("*"), log.level warning    against  cp -r
  the same copy at the default log level (trace)   against  cp -r
  delete by one file set ("*"), log.level warning  against  rm -r

    bench/file_tasks_bench.py [--varkel PATH] [--runs N] [--dir BASE]

The tree lives in a temporary directory below BASE (default /dev/shm, a memory file
system, where the figures show the programs' own cost rather than the disk's).
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

DIRECTORIES = 100
FILES_PER_DIRECTORY = 100
FILE_SIZE = 4096


def timed(argv, cwd):
    start = time.perf_counter()
    code = subprocess.run(argv, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    elapsed = (time.perf_counter() - start) * 1000.0
    if code != 0:
        sys.exit("%s failed with %d" % (argv, code))
    return elapsed


def write(path, text):
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def make_tree(root):
    data = os.urandom(FILE_SIZE)
    for d in range(DIRECTORIES):
        directory = os.path.join(root, "dir%03d" % d)
        os.makedirs(directory)
        for f in range(FILES_PER_DIRECTORY):
            with open(os.path.join(directory, "file%03d.dat" % f), "wb") as out:
                out.write(data)


def job(tasks, quiet):
    level = '<vars><var name="log.level" value="warning" replace="yes"/></vars>' if quiet else ""
    return "<project>%s<tasks>%s</tasks></project>\n" % (level, tasks)


def report(name, times, reference, target):
    median, ref = statistics.median(times), statistics.median(reference)
    print("%-34s median %8.1f ms (min %7.1f, max %7.1f)  ratio %.2f  (target %.1f)" %
          (name, median, min(times), max(times), median / ref, target))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser()
    parser.add_argument("--varkel", default=os.path.join(root, "out", "release", "varkel"))
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--dir", default="/dev/shm" if os.path.isdir("/dev/shm") else None)
    args = parser.parse_args()
    binary, runs = args.varkel, args.runs
    with tempfile.TemporaryDirectory(dir=args.dir) as tmp:
        program = os.path.join(tmp, "varkel")
        shutil.copy2(binary, program)
        source = os.path.join(tmp, "src")
        target = os.path.join(tmp, "dst")
        make_tree(source)
        copy = '<copy todir="dst"><fileset dir="src"><include name="*"/></fileset></copy>'
        delete = '<delete><fileset dir="dst"><include name="*"/></fileset></delete>'
        write(os.path.join(tmp, "copy_quiet.xml"), job(copy, True))
        write(os.path.join(tmp, "copy_trace.xml"), job(copy, False))
        write(os.path.join(tmp, "delete_quiet.xml"), job(delete, True))

        results = {name: [] for name in ("cp", "copy_quiet", "copy_trace", "rm", "delete_quiet")}

        def fresh_target(fill):
            shutil.rmtree(target, ignore_errors=True)
            if fill:
                subprocess.run(["cp", "-r", source, target], check=True)
            subprocess.run(["sync"], check=True)

        for _ in range(runs):
            fresh_target(False)
            results["cp"].append(timed(["cp", "-r", source, target], tmp))
            fresh_target(False)
            results["copy_quiet"].append(timed([program, "-job", "copy_quiet.xml"], tmp))
            if sum(len(files) for _, _, files in os.walk(target)) != DIRECTORIES * FILES_PER_DIRECTORY:
                sys.exit("the copy job did not copy every file")
            fresh_target(False)
            results["copy_trace"].append(timed([program, "-job", "copy_trace.xml"], tmp))
            fresh_target(True)
            results["rm"].append(timed(["rm", "-r", target], tmp))
            fresh_target(True)
            results["delete_quiet"].append(timed([program, "-job", "delete_quiet.xml"], tmp))
        if sum(len(files) for _, _, files in os.walk(target)) != 0:
            sys.exit("the delete job left files behind")

        print("%d files of %d bytes in %d directories below %s, %d runs each, interleaved" %
              (DIRECTORIES * FILES_PER_DIRECTORY, FILE_SIZE, DIRECTORIES, tmp, runs))
        report("cp -r", results["cp"], results["cp"], 1.0)
        report("copy, log.level warning", results["copy_quiet"], results["cp"], 1.3)
        report("copy, default log level", results["copy_trace"], results["cp"], 2.0)
        report("rm -r", results["rm"], results["rm"], 1.0)
        report("delete \"*\", log.level warning", results["delete_quiet"], results["rm"], 1.5)


if __name__ == "__main__":
    main()
