#!/usr/bin/env python3
"""Times vadrimel against plain copies of the same listing, in one run.

dd (read every byte into memory, write it back out) is the floor for any
filter; cat is the floor for a small file. Runs alternate between the
commands so that both see the same machine state, and the median is kept.
Prints the ratios, vadrimel's throughput and its peak resident memory.
"""

import argparse
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def run(command, stdout=subprocess.DEVNULL):
    """Wall time and CPU time (user + system) of one command, in seconds."""
    cpu_before = children_cpu()
    start = time.perf_counter()
    status = subprocess.run(command, stdout=stdout, check=False).returncode
    elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit("failed: " + " ".join(command))
    return elapsed, children_cpu() - cpu_before


def peak_memory(command):
    """Peak resident memory of one command in KiB, as /usr/bin/time tells it
    (the child's own, not that of the Python process it was forked from)."""
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                            text=True, check=True)
    return int(result.stderr.split()[-1])


def make_listing(path, size_mib):
    if not os.path.exists(path) or os.path.getsize(path) != int(size_mib * 1024 * 1024):
        subprocess.run([sys.executable, os.path.join(HERE, "make_listing.py"),
                        str(size_mib), path], check=True)


def compare(commands, runs, measure=0):
    """Median wall time (measure 0) or CPU time (measure 1) of each named
    command."""
    times = {name: [] for name in commands}
    for round_number in range(runs):
        # Every other round in reverse order: the command that runs right
        # after another was seen to take up to a tenth longer.
        order = list(commands.items())
        if round_number % 2:
            order.reverse()
        for name, (command, output) in order:
            # Each run starts with nothing left to write back from the last,
            # which would otherwise slow whichever command comes next.
            os.sync()
            with open(output or os.devnull, "wb") as out:
                times[name].append(run(command, out)[measure])
    return {name: statistics.median(t) for name, t in times.items()}


def make_one_line(path, size_mib):
    """A single line of listing text with no line feed at all."""
    unit = b"000000   0e01     MOVLW 0x1   C:\\My Code\\a.c   "
    target = int(size_mib * 1024 * 1024)
    if not os.path.exists(path) or os.path.getsize(path) != target:
        with open(path, "wb") as out:
            out.write((unit * (target // len(unit) + 1))[:target])


def compare_whole_line_paths(program, listings, out, runs):
    """CPU time and peak memory of -p against the default on each listing."""
    print(f"-p against the default, CPU time (user + system), median of {runs}:")
    for label, listing in listings:
        cpu = compare({
            "default": ([program, "-m80", listing, out], None),
            "-p": ([program, "-m80", "-p", listing, out], None),
        }, runs, measure=1)
        memory = {name: peak_memory(command) for name, command in (
            ("default", [program, "-m80", listing, out]),
            ("-p", [program, "-m80", "-p", listing, out]))}
        print(f"  {label}: default {cpu['default']:.3f} s, -p {cpu['-p']:.3f} s, "
              f"ratio -p / default {cpu['-p'] / cpu['default']:.2f}; peak memory "
              f"{memory['default']} KiB and {memory['-p']} KiB")


def compare_with_reference(program, reference, listing, out, runs):
    """CPU time of the program against another build of it, both path searches."""
    print(f"against the reference build {reference}, CPU time, median of {runs}:")
    for label, options in (("default", ["-m80"]), ("-p", ["-m80", "-p"])):
        cpu = compare({
            "reference": ([reference] + options + [listing, out], None),
            "program": ([program] + options + [listing, out], None),
        }, runs, measure=1)
        print(f"  {label}: reference {cpu['reference']:.3f} s, program "
              f"{cpu['program']:.3f} s, ratio program / reference "
              f"{cpu['program'] / cpu['reference']:.2f}")


def compare_options(program, listing, runs):
    """CPU time and peak memory of the options for diffing and printing, and
    of -c, against -p (and the two-name form) on the same listing, all
    written to /dev/null so that only the conversion is timed."""
    option_sets = {
        "-p": ["-p"],
        "-d": ["-d"],
        "-p -t -w -m80": ["-p", "-t", "-w", "-m80"],
        "-t -w -m80": ["-t", "-w", "-m80"],
        "two names": [],
    }
    commands = {name: ([program] + options + [listing, os.devnull], None)
                for name, options in option_sets.items()}
    commands["-c"] = ([program, "-c", listing], None)
    cpu = compare(commands, runs, measure=1)
    print(f"options against -p, CPU time (user + system) into /dev/null, median of {runs}:")
    for name in ("-d", "-p -t -w -m80", "-t -w -m80"):
        memory = peak_memory(commands[name][0])
        print(f"  {name}: {cpu[name]:.3f} s against {cpu['-p']:.3f} s, ratio "
              f"{cpu[name] / cpu['-p']:.2f}; peak memory {memory} KiB")
    print(f"  -c into /dev/null: {cpu['-c']:.3f} s against the two-name form's "
          f"{cpu['two names']:.3f} s, ratio {cpu['-c'] / cpu['two names']:.2f}")


def compare_reports(program, listing, runs):
    """CPU time and peak memory of the reports against -p on the same listing:
    -s with its ten lines, and -a with 100 addresses."""
    addresses = [f"{address * 0x10:x}" for address in range(100)]
    commands = {
        "-p": ([program, "-p", listing, os.devnull], None),
        "-s": ([program, "-s", listing], None),
        "-a": ([program, "-a", listing] + addresses, None),
    }
    cpu = compare(commands, runs, measure=1)
    print(f"reports against -p, CPU time (user + system), median of {runs}:")
    for name in ("-p", "-s", "-a"):
        memory = peak_memory(commands[name][0])
        print(f"  {name}: {cpu[name]:.3f} s, ratio {cpu[name] / cpu['-p']:.2f}; "
              f"peak memory {memory} KiB")


def make_tabs_line(path, size_mib):
    """A single line of tabs with no line feed: the largest expansion -t can
    meet, 255 columns for each byte at -t255."""
    target = int(size_mib * 1024 * 1024)
    if not os.path.exists(path) or os.path.getsize(path) != target:
        with open(path, "wb") as out:
            out.write(b"\t" * target)


def changed_lines(first, second):
    """How many lines diff finds removed or added between two files."""
    result = subprocess.run(["diff", first, second], stdout=subprocess.PIPE, check=False)
    return sum(1 for line in result.stdout.splitlines() if line[:1] in (b"<", b">"))


def history_diffs(program, history, work):
    """Lines changed between consecutive builds of one listing, converted with
    -p and with -d."""
    listings = sorted(os.path.join(history, name) for name in os.listdir(history)
                      if name.endswith(".lst"))
    if len(listings) < 2:
        print(f"history pairs: skipped, no listings in {history}")
        return
    print("lines changed between consecutive builds (diff of the outputs):")
    for first, second in zip(listings, listings[1:]):
        counts = {}
        for option in ("-p", "-d"):
            outputs = []
            for index, listing in enumerate((first, second)):
                output = os.path.join(work, f"history{index}{option}.txt")
                subprocess.run([program, option, listing, output], check=True)
                outputs.append(output)
            counts[option] = changed_lines(*outputs)
        print(f"  {os.path.basename(first)} -> {os.path.basename(second)}: "
              f"-p {counts['-p']}, -d {counts['-d']}, "
              f"ratio -d / -p {counts['-d'] / counts['-p']:.4f}")


def batch_memory(program, listing, work, count=200):
    """Peak memory of -b for one listing and for `count` of them (hard links to
    one 1 MiB listing, so that they take no room)."""
    folder = os.path.join(work, "batch")
    os.makedirs(folder, exist_ok=True)
    names = []
    for index in range(count):
        name = os.path.join(folder, f"listing{index:03}.lst")
        if not os.path.exists(name):
            os.link(listing, name)
        names.append(name)
    one = peak_memory([program, "-b", "-p", names[0]])
    many = peak_memory([program, "-b", "-p"] + names)
    print(f"peak resident memory of vadrimel -b -p: 1 listing {one} KiB, "
          f"{count} listings {many} KiB (difference {many - one} KiB)")
    shutil.rmtree(folder)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", default="build/vadrimel")
    parser.add_argument("--size", type=float, default=256, help="large listing, MiB")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--small-runs", type=int, default=41)
    parser.add_argument("--dir", default=None, help="where the listings go")
    parser.add_argument("--line-size", type=float, default=64,
                        help="the listing of one line with no line feed, MiB")
    parser.add_argument("--dynamic", default=None,
                        help="a dynamically linked build of vadrimel, timed on the "
                        "small listing beside the program")
    parser.add_argument("--history", default=os.path.join(
                            HERE, "..", "..", "shared", "corpus", "mplink", "history"),
                        help="consecutive builds of one listing, compared with -p and -d")
    parser.add_argument("--reference", default=None,
                        help="another build of vadrimel, timed beside the program on "
                        "the large listing")
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    work = args.dir or tempfile.mkdtemp(prefix="vadrimel_bench_")
    os.makedirs(work, exist_ok=True)
    big = os.path.join(work, "big.lst")
    one_mib = os.path.join(work, "one_mib.lst")
    small = os.path.join(work, "small.lst")
    make_listing(big, args.size)
    make_listing(one_mib, 1)
    make_listing(small, 20 / 1024)
    out = os.path.join(work, "out.txt")
    copy = os.path.join(work, "copy")

    big_times = compare({
        "dd": (["dd", "if=" + big, "of=" + copy, "bs=1M", "status=none"], None),
        "cat": (["cat", big], copy),
        "vadrimel": ([program, "-m80", big, out], None),
    }, args.runs)
    small_commands = {
        "cat": (["cat", small], copy),
        "vadrimel": ([program, "-m80", small, out], None),
    }
    if args.dynamic:
        small_commands["dynamic"] = ([os.path.abspath(args.dynamic), "-m80", small, out],
                                     None)
    small_times = compare(small_commands, args.small_runs)
    one_mib_memory = peak_memory([program, "-m80", one_mib, out])
    big_memory = peak_memory([program, "-m80", big, out])

    size_mb = os.path.getsize(big) / 1e6
    print(f"machine: {os.cpu_count()} cores; listings in {args.dir or 'a temporary folder'}")
    print(f"{args.size:g} MiB listing, median of {args.runs} alternating runs:")
    print(f"  dd bs=1M   {big_times['dd']:.3f} s")
    print(f"  vadrimel   {big_times['vadrimel']:.3f} s  "
          f"({size_mb / big_times['vadrimel']:.0f} MB/s)")
    print(f"  cat        {big_times['cat']:.3f} s")
    print(f"  ratio vadrimel / dd: {big_times['vadrimel'] / big_times['dd']:.2f}")
    print(f"  ratio vadrimel / cat: {big_times['vadrimel'] / big_times['cat']:.2f}")
    print(f"20 KB listing, median of {args.small_runs} alternating runs:")
    print(f"  cat        {small_times['cat'] * 1000:.2f} ms")
    print(f"  vadrimel   {small_times['vadrimel'] * 1000:.2f} ms")
    print(f"  ratio vadrimel / cat: {small_times['vadrimel'] / small_times['cat']:.2f}")
    if args.dynamic:
        print(f"  dynamic    {small_times['dynamic'] * 1000:.2f} ms  (ratio dynamic / "
              f"vadrimel {small_times['dynamic'] / small_times['vadrimel']:.2f})")
    print("peak resident memory of vadrimel:")
    print(f"  1 MiB listing   {one_mib_memory} KiB")
    print(f"  {args.size:g} MiB listing {big_memory} KiB"
          f"  (difference {big_memory - one_mib_memory} KiB)")
    batch_memory(program, one_mib, work)
    one_line = os.path.join(work, "one_line.lst")
    make_one_line(one_line, args.line_size)
    compare_whole_line_paths(program, [
        (f"{args.size:g} MiB listing", big),
        (f"{args.line_size:g} MiB line, no line feed", one_line)], out, args.runs)
    compare_options(program, big, args.runs)
    compare_reports(program, big, args.runs)
    tabs_line = os.path.join(work, "tabs_line.lst")
    make_tabs_line(tabs_line, args.line_size)
    for options in (["-p"], ["-p", "-t255", "-w", "-m80"]):
        memory = peak_memory([program] + options + [tabs_line, os.devnull])
        print(f"peak resident memory, {args.line_size:g} MiB line of tabs, "
              f"{' '.join(options)}: {memory} KiB")
    history_diffs(program, args.history, work)
    if args.reference:
        compare_with_reference(program, os.path.abspath(args.reference), big, out,
                               args.runs)
    if not args.dir:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
