#!/usr/bin/env python3
"""Whole-process timings of varkel. Every comparison runs its sides interleaved in one run,
so that the ratios hold on a busy machine where absolute times do not.

- start-up: a job of one echo task, against bench/minimal_qt (a Qt 5 program that reads
  the same small XML file with QXmlStreamReader and writes one line) and /bin/true;
- a foreach of 10 000 passes of setvar at the default log level (trace: every step is
  logged to the console and the log file) against the same job at log level warning;
- the same loop at 100 000 passes: the cost per pass fitted as c * N (as Google Benchmark
  fits oN) with the RMS of the fit;
- a job of 100 000 separate echo tasks at log level warning against an empty job: time,
  and peak resident memory (through GNU time), per task;
- a job of 10 000 echo tasks in a foreach at log level warning;
- a scan of 1 011 and of 10 101 'build rules' files (1 000 and 10 000 projects) at log
  level warning, against the same job without a scan and against bench/scan_floor (a Qt
  program that walks the same tree reading each file once with QXmlStreamReader);
- the two hostile property files of bench/variables_bench.cpp (their references multiply
  up to 16 M and 4 M characters, then are copied into many names): time and peak
  resident memory of the whole run, which ends with 703.

With --baseline, another build of varkel (an older commit) runs every job in the same
rounds, for a before-and-after in one run. The console output goes to /dev/null.

    bench/varkel_run_bench.py [path/to/varkel] [--baseline path/to/other/varkel]
        (default: out/release/varkel; minimal_qt and scan_floor are taken from the same directory)
"""
import argparse
import math
import os
import shutil
import statistics
import subprocess
import tempfile
import time

START_RUNS = 30
GNU_TIME = "/usr/bin/time"


def run(argv, cwd):
    """Wall time in ms of one run of a program."""
    start = time.perf_counter()
    code = subprocess.run(argv, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    assert code == 0, (argv, code)
    return (time.perf_counter() - start) * 1000.0


def peak_kb(argv, cwd):
    """Peak resident memory in KB of one run, as GNU time reports it. (A child's own
    maxrss would count the pages of this Python process that it was forked from.)"""
    report = os.path.join(cwd, "time.out")
    code = subprocess.run([GNU_TIME, "-f", "%M", "-o", report] + argv, cwd=cwd, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode
    assert code == 0, (argv, code)
    with open(report, encoding="utf-8") as f:
        return int(f.read().split()[-1])


def interleaved(rounds, commands, cwd, measure=run):
    """Runs each command once per round, in turn; the medians, per command."""
    results = [[] for _ in commands]
    for _ in range(rounds):
        for i, argv in enumerate(commands):
            results[i].append(measure(argv, cwd))
    return [statistics.median(r) for r in results]


def write(path, text):
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def job(tasks, warning=False):
    level = '<vars><var name="log.level" value="warning" replace="yes"/></vars>' if warning else ""
    return "<project>%s<tasks>\n%s</tasks></project>\n" % (level, tasks)


def foreach(passes, task):
    return '<foreach in="%s">%s</foreach>\n' % (",".join(str(i) for i in range(passes)), task)


def write_rules_tree(root, groups=10, per_group=100):
    """A root naming `groups` directories, each naming `per_group` directories whose
    file holds one solution with two outputs and one dependence (on the next project)."""
    def rules(path, targets=(), solution=""):
        os.makedirs(path, exist_ok=True)
        scan = "".join('<target path="%s"/>' % t for t in targets)
        write(os.path.join(path, "varkel.xml"),
              "<project><scan><targets>%s</targets></scan><solutions>%s</solutions></project>\n" % (scan, solution))

    total = groups * per_group
    rules(root, ["g%d" % g for g in range(groups)])
    for g in range(groups):
        rules(os.path.join(root, "g%d" % g), ["p%d" % p for p in range(per_group)])
        for p in range(per_group):
            n = g * per_group + p
            rules(os.path.join(root, "g%d" % g, "p%d" % p), solution=(
                '<solution type="build" buildtype="make" name="p%d" projectfile="p.pro">'
                '<output><fileset id="bin" dir="bin"><include name="*"/></fileset>'
                '<fileset id="lib" dir="lib"><include name="*.so"/></fileset></output>'
                '<dependencies><dependence name="p%d"/></dependencies></solution>' % (n, (n + 1) % total)))
    return total


def multiplying_properties(l0, copies, numbered):
    """l0, then l1 to l6 each ten references to the line before, then copies of l6."""
    lines = ["l0=" + l0] + ["l%d=%s" % (i, ("${l%d}" % (i - 1)) * 10) for i in range(1, 7)]
    lines += ["c%d=${l6}%s" % (n, "-%d" % n if numbered else "") for n in range(1, copies + 1)]
    return "\n".join(lines) + "\n"


def run_any(argv, cwd):
    """Wall time in ms of one run, whatever its exit code."""
    start = time.perf_counter()
    subprocess.run(argv, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return (time.perf_counter() - start) * 1000.0


def peak_kb_any(argv, cwd):
    report = os.path.join(cwd, "time.out")
    subprocess.run([GNU_TIME, "-f", "%M", "-o", report] + argv, cwd=cwd, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    with open(report, encoding="utf-8") as f:
        return int(f.read().split()[-1])


def fit_on(points):
    """Least-squares c of t = c * N and the RMS of the residuals relative to the mean time,
    as Google Benchmark reports an oN fit."""
    coef = sum(n * t for n, t in points) / sum(n * n for n, _ in points)
    rms = math.sqrt(sum((t - coef * n) ** 2 for n, t in points) / len(points))
    return coef, rms / statistics.mean(t for _, t in points)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser()
    parser.add_argument("varkel", nargs="?", default=os.path.join(root, "out", "release", "varkel"))
    parser.add_argument("--baseline")
    args = parser.parse_args()
    minimal = os.path.join(os.path.dirname(os.path.abspath(args.varkel)), "minimal_qt")
    floor = os.path.join(os.path.dirname(os.path.abspath(args.varkel)), "scan_floor")
    builds = [("varkel", args.varkel)] + ([("baseline", args.baseline)] if args.baseline else [])

    with tempfile.TemporaryDirectory() as tmp:
        programs = []
        for name, binary in builds:
            # A directory of its own per build: the log lives beside the program.
            os.mkdir(os.path.join(tmp, name))
            programs.append((name, shutil.copy2(binary, os.path.join(tmp, name, "varkel"))))
        setvar = '<setvar name="last" value="#{item}"/>'
        write(os.path.join(tmp, "one.xml"), job('<echo message="hello"/>\n'))
        write(os.path.join(tmp, "loop10k.xml"), job(foreach(10000, setvar)))
        write(os.path.join(tmp, "loop10k_warning.xml"), job(foreach(10000, setvar), warning=True))
        write(os.path.join(tmp, "loop100k.xml"), job(foreach(100000, setvar)))
        write(os.path.join(tmp, "echo100k.xml"),
              job("".join('<echo message="hello %d"/>\n' % i for i in range(100000)), warning=True))
        write(os.path.join(tmp, "empty.xml"), job("", warning=True))
        write(os.path.join(tmp, "many.xml"), job(foreach(10000, '<echo message="#{item}"/>'), warning=True))

        def each(job_file):
            # Absolute: a relative job path is taken against the program's directory.
            return [[program, "-job", os.path.join(tmp, job_file)] for _, program in programs]

        times = interleaved(START_RUNS, each("one.xml") + [[minimal, "one.xml"], ["/bin/true"]], tmp)
        qt, true = times[-2:]
        print("start-up, median of %d runs; minimal Qt XML program %.2f ms, /bin/true %.2f ms" %
              (START_RUNS, qt, true))
        for (name, _), ms in zip(programs, times):
            print("  %-8s one echo task: %.2f ms, %.2f times the minimal Qt program" % (name, ms, ms / qt))

        trace = interleaved(5, each("loop10k.xml") + each("loop10k_warning.xml"), tmp)
        trace100k = interleaved(3, each("loop100k.xml"), tmp)
        print("foreach of setvar, whole process, median of 5 runs (100 000 passes: 3 runs):")
        n = len(programs)
        for i, (name, _) in enumerate(programs):
            coef, rms = fit_on([(10000, trace[i]), (100000, trace100k[i])])
            print("  %-8s 10 000 passes: %.2f us per pass at the default level, %.2f at warning, ratio %.1f;"
                  " 100 000 passes: %.2f us per pass; fit %.2f us per pass, RMS %.0f %%" %
                  (name, trace[i] / 10.0, trace[n + i] / 10.0, trace[i] / trace[n + i], trace100k[i] / 100.0,
                   coef * 1000.0, rms * 100.0))

        echo = interleaved(3, each("echo100k.xml") + each("empty.xml"), tmp)
        echo_kb = interleaved(3, each("echo100k.xml") + each("empty.xml"), tmp, measure=peak_kb)
        print("100 000 separate echo tasks, level warning, beyond an empty job, median of 3 runs:")
        for i, (name, _) in enumerate(programs):
            print("  %-8s %.2f us and %.2f KB per task (peak RSS %.1f MB, empty job %.1f MB)" %
                  (name, (echo[i] - echo[n + i]) / 100.0, (echo_kb[i] - echo_kb[n + i]) / 100000.0,
                   echo_kb[i] / 1024.0, echo_kb[n + i] / 1024.0))

        many = interleaved(5, each("many.xml"), tmp)
        print("10 000 echo tasks (foreach), level warning, median of 5 runs:")
        for (name, _), ms in zip(programs, many):
            print("  %-8s %.1f ms" % (name, ms))

        for groups, rounds in ((10, 15), (100, 5)):
            rules = os.path.join(tmp, "rules%d" % groups)
            total = write_rules_tree(rules, groups=groups)
            files = total + groups + 1
            scan_job = os.path.join(tmp, "scan%d.xml" % groups)
            write(scan_job,
                  job('<exit error="yes" message="projects missing" condition="not IsBuildProject(\'p%d\')"/>'
                      % (total - 1), warning=True))
            manifest = os.path.join(rules, "varkel.xml")
            scans = [[program, "-pmanifest", manifest, "-job", scan_job] for _, program in programs]
            scan = interleaved(rounds, scans + each("empty.xml") + [[floor, manifest]], tmp)
            base, floor_ms = scan[n], scan[-1]
            print("scan of %d 'build rules' files (%d projects), level warning, median of %d runs; scan_floor %.1f ms:"
                  % (files, total, rounds, floor_ms))
            for i, (name, _) in enumerate(programs):
                print("  %-8s %.1f ms (without a scan: %.1f ms); beyond start-up %.1f us per file, %.2f times the floor"
                      % (name, scan[i], base, (scan[i] - base) * 1000.0 / files, scan[i] / floor_ms))

        for label, text in (("to the bound", multiplying_properties("0123456789abcdef", 60, True)),
                            ("unresolved", multiplying_properties("${q}", 40, False))):
            path = os.path.join(tmp, "hostile.properties")
            write(path, text)
            runs = [[program, "-properties", path, "-job", os.path.join(tmp, "empty.xml")] for _, program in programs]
            ms = interleaved(5, runs, tmp, measure=run_any)
            kb = interleaved(3, runs, tmp, measure=peak_kb_any)
            print("property file %s (%.1f KB), median of 5 runs (memory: of 3):" % (label, len(text) / 1024.0))
            for i, (name, _) in enumerate(programs):
                print("  %-8s %.0f ms, peak RSS %.1f MB" % (name, ms[i], kb[i] / 1024.0))


if __name__ == "__main__":
    main()
