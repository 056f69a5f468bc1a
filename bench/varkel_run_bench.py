#!/usr/bin/env python3
"""Whole-process timings of varkel. Every comparison runs its two sides interleaved in
one run, so that the ratios hold on a busy machine where absolute times do not.

- start-up: a job of one echo task, against bench/minimal_qt (a Qt 5 program that reads
  the same small XML file with QXmlStreamReader and writes one line) and /bin/true;
- a foreach of 10 000 passes of setvar at the default log level (trace: every step is
  logged to the console and the log file) against the same job at log level warning;
- the same loop at 100 000 passes: the cost per pass fitted as c * N (as Google Benchmark
  fits oN) with the RMS of the fit;
- a job of 100 000 separate echo tasks at log level warning against an empty job: time
  and peak resident memory per task;
- a job of 10 000 echo tasks in a foreach at log level warning.

The console output goes to /dev/null.

    bench/varkel_run_bench.py [path/to/varkel]   (default: out/release/varkel; minimal_qt
                                                  is taken from the same directory)
"""
import math
import os
import shutil
import statistics
import subprocess
import sys
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
    maxrss counts the pages of this Python process that it was forked from.)"""
    report = os.path.join(cwd, "time.out")
    code = subprocess.run([GNU_TIME, "-f", "%M", "-o", report] + argv, cwd=cwd, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode
    assert code == 0, (argv, code)
    with open(report, encoding="utf-8") as f:
        return int(f.read().split()[-1])


def interleaved(rounds, commands, cwd, measure=run):
    """Runs each command once per round, in turn; returns per command the list of results."""
    results = [[] for _ in commands]
    for _ in range(rounds):
        for i, argv in enumerate(commands):
            results[i].append(measure(argv, cwd))
    return results


def write(path, text):
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def job(tasks, warning=False):
    level = '<vars><var name="log.level" value="warning" replace="yes"/></vars>' if warning else ""
    return "<project>%s<tasks>\n%s</tasks></project>\n" % (level, tasks)


def foreach_setvar(passes):
    items = ",".join(str(i) for i in range(passes))
    return '<foreach in="%s"><setvar name="last" value="#{item}"/></foreach>\n' % items


def fit_on(points):
    """Least-squares c of t = c * N and the RMS of the residuals relative to the mean time,
    as Google Benchmark reports an oN fit."""
    coef = sum(n * t for n, t in points) / sum(n * n for n, _ in points)
    rms = math.sqrt(sum((t - coef * n) ** 2 for n, t in points) / len(points))
    return coef, rms / statistics.mean(t for _, t in points)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    binary = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "out", "release", "varkel")
    minimal = os.path.join(os.path.dirname(os.path.abspath(binary)), "minimal_qt")
    median = statistics.median
    with tempfile.TemporaryDirectory() as tmp:
        # A copy of its own, so that its logs directory is in the temporary directory.
        program = os.path.join(tmp, "varkel")
        shutil.copy2(binary, program)
        write(os.path.join(tmp, "one.xml"), job('<echo message="hello"/>\n'))
        write(os.path.join(tmp, "loop10k.xml"), job(foreach_setvar(10000)))
        write(os.path.join(tmp, "loop10k_warning.xml"), job(foreach_setvar(10000), warning=True))
        write(os.path.join(tmp, "loop100k.xml"), job(foreach_setvar(100000)))
        echoes = "".join('<echo message="hello %d"/>\n' % i for i in range(100000))
        write(os.path.join(tmp, "echo100k.xml"), job(echoes, warning=True))
        write(os.path.join(tmp, "empty.xml"), job("", warning=True))
        items = ",".join(str(i) for i in range(10000))
        write(os.path.join(tmp, "many.xml"), job('<foreach in="%s"><echo message="#{item}"/></foreach>\n' % items,
                                                 warning=True))

        one, qt, true = interleaved(START_RUNS, [[program, "-job", "one.xml"], [minimal, "one.xml"],
                                                      ["/bin/true"]], tmp)
        print("start-up, median of %d runs each:" % START_RUNS)
        print("  varkel, one echo task:     %.2f ms (min %.2f, max %.2f)" % (median(one), min(one), max(one)))
        print("  minimal Qt XML program:    %.2f ms (min %.2f, max %.2f)" % (median(qt), min(qt), max(qt)))
        print("  /bin/true:                 %.2f ms" % median(true))
        print("  ratio varkel / minimal Qt: %.2f" % (median(one) / median(qt)))

        trace, warning = interleaved(5, [[program, "-job", "loop10k.xml"],
                                              [program, "-job", "loop10k_warning.xml"]], tmp)
        trace100k, = interleaved(3, [[program, "-job", "loop100k.xml"]], tmp)
        print("foreach of setvar, whole process, median of 5 runs (100 000 passes: 3 runs):")
        print("  10 000 passes, default level:  %.1f ms, %.2f us per pass" %
              (median(trace), median(trace) * 100.0 / 1000.0))
        print("  10 000 passes, level warning:  %.1f ms, %.2f us per pass" %
              (median(warning), median(warning) * 100.0 / 1000.0))
        print("  ratio default / warning:       %.1f" % (median(trace) / median(warning)))
        coef, rms = fit_on([(10000, median(trace)), (100000, median(trace100k))])
        print("  100 000 passes, default level: %.1f ms, %.2f us per pass" %
              (median(trace100k), median(trace100k) * 10.0 / 1000.0))
        print("  fit over 10 000 and 100 000:   %.2f us per pass, RMS %.0f %%" % (coef * 1000.0, rms * 100.0))

        echo_jobs = [[program, "-job", "echo100k.xml"], [program, "-job", "empty.xml"]]
        echo, empty = interleaved(3, echo_jobs, tmp)
        echo_kb, empty_kb = interleaved(3, echo_jobs, tmp, measure=peak_kb)
        print("100 000 separate echo tasks, level warning, beyond an empty job, median of 3 runs:")
        print("  %.0f ms, %.2f us per task" % (median(echo), (median(echo) - median(empty)) * 10.0 / 1000.0))
        print("  peak RSS %.1f MB (empty job %.1f MB), %.2f KB per task" %
              (median(echo_kb) / 1024.0, median(empty_kb) / 1024.0,
               (median(echo_kb) - median(empty_kb)) / 100000.0))

        many, = interleaved(5, [[program, "-job", "many.xml"]], tmp)
        print("10 000 echo tasks (foreach), level warning: median %.1f ms over 5 runs" % median(many))


if __name__ == "__main__":
    main()
