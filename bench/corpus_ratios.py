#!/usr/bin/env python3
"""Prints what converting the real listings costs, as ratios measured in one run.

Runs the micro-benchmark's corpus set (every listing of ../shared/corpus,
ten times over, in memory) with its repetitions interleaved, keeps the median
CPU time of each, and prints each mode against -p and against a plain copy of
the same bytes. Given a second build (--reference), runs both in turn, several
times, and prints each mode of the first against the same mode of the second.
"""

import argparse
import json
import statistics
import subprocess
import sys


def measure(program, repetitions):
    """Median CPU time of each corpus benchmark, in ms."""
    result = subprocess.run(
        [program, "--benchmark_filter=Corpus", "--benchmark_format=json",
         f"--benchmark_repetitions={repetitions}",
         "--benchmark_enable_random_interleaving=true",
         "--benchmark_report_aggregates_only=false"],
        capture_output=True, text=True, check=True)
    times = {}
    for run in json.loads(result.stdout)["benchmarks"]:
        if run.get("run_type") == "iteration" and not run.get("error_occurred"):
            name = run["run_name"].removeprefix("BM_")
            times.setdefault(name, []).append(run["cpu_time"] / 1e6)
    if not times:
        sys.exit("no corpus beside the project: nothing measured")
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("program", help="vadrimel_micro_bench")
    parser.add_argument("--reference", help="another build's vadrimel_micro_bench")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--repetitions", type=int, default=5)
    arguments = parser.parse_args()

    programs = [arguments.program] + ([arguments.reference] if arguments.reference else [])
    times = {program: {} for program in programs}
    for _ in range(arguments.rounds):
        for program in programs:
            for name, values in measure(program, arguments.repetitions).items():
                times[program].setdefault(name, []).extend(values)
    medians = {program: {name: statistics.median(values) for name, values in runs.items()}
               for program, runs in times.items()}
    mine = medians[arguments.program]
    print(f"{'mode':<22}{'CPU ms':>9}{'/ -p':>8}{'/ copy':>9}"
          + (f"{'/ reference':>13}" if arguments.reference else ""))
    for name, value in mine.items():
        line = f"{name:<22}{value:>9.1f}{value / mine['Corpus/p']:>8.2f}"
        line += f"{value / mine['CorpusCopy']:>9.2f}"
        if arguments.reference and name in medians[arguments.reference]:
            line += f"{value / medians[arguments.reference][name]:>13.2f}"
        print(line)


if __name__ == "__main__":
    main()
