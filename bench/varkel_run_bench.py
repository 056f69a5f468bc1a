#!/usr/bin/env python3
"""Whole-process timings of varkel: a job of one echo task against /bin/true (median of
30 runs each, interleaved), a job of 10 000 echo tasks in a foreach at log level warning,
and a scan of 1 000 'build rules' files at log level warning against the same job without
a scan (interleaved).

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


def scan_bench(program, tmp, runs=15):
    root = os.path.join(tmp, "rules")
    total = write_rules_tree(root)
    write(os.path.join(tmp, "scan.xml"),
          '<project><vars><var name="log.level" value="warning" replace="yes"/></vars><tasks>'
          '<exit error="yes" message="projects missing" condition="not IsBuildProject(\'p%d\')"/>'
          '</tasks></project>\n' % (total - 1))
    write(os.path.join(tmp, "noscan.xml"),
          '<project><vars><var name="log.level" value="warning" replace="yes"/></vars><tasks/></project>\n')
    scanned, bare = [], []
    for _ in range(runs):
        ms, code = timed([program, "-pmanifest", os.path.join(root, "varkel.xml"), "-job", "scan.xml"], tmp)
        assert code == 0, code
        scanned.append(ms)
        ms, code = timed([program, "-job", "noscan.xml"], tmp)
        assert code == 0, code
        bare.append(ms)
    print("scan of %d 'build rules' files (%d projects, log.level warning): median %.1f ms (min %.1f, max %.1f)"
          % (total + 11, total, statistics.median(scanned), min(scanned), max(scanned)))
    print("same run without a scan:        median %.1f ms" % statistics.median(bare))


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

        scan_bench(program, tmp)


if __name__ == "__main__":
    main()
