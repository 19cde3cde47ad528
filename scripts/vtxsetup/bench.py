"""bench/run: builds the benchmarks in Release (build-bench/), makes a server of their own (as
the tests' run does, testserver.py), runs every benchmark program for a number of rounds, the
programs interleaved in each round and each program's benchmarks interleaved in 3 repetitions,
so that ours and the reference run side by side under the same load, and prints the table of
the medians: ours, the reference and their ratio, with the machine's load. Every output is
checked; a wrong one fails the run. The clinic's private server is never touched."""

import os
import subprocess
import tempfile
import time

from . import packages, paths, testserver
from .tell import SetupError, note, say

PROGRAMS = ("db_bench", "json_bench", "textpdf_bench", "pdf_bench", "stock_report_bench",
            "schedule_bench", "agenda_bench", "payables_bench")


def load():
    with open("/proc/loadavg", encoding="ascii") as f:
        return f.read().split()


def run_bench(rounds=5, keep=False):
    if rounds < 1:
        raise SetupError("usage: bench/run [ROUNDS], ROUNDS a number from 1 on")
    build = os.path.join(paths.ROOT, "build-bench")
    testserver.remove_leftovers()
    packages.install_packages()
    packages.register_odbc_driver()
    if "VTX_JOBS" not in os.environ:
        os.environ["VTX_JOBS"] = "3"
    packages.build(paths.ROOT, build, targets=(*PROGRAMS, "batch_memory", "bench_table"),
                   build_type="Release", options=("-DBUILD_BENCH=ON",))
    folder = os.path.join(build, "bench")
    log = os.path.join(build, "bench-run.log")
    with testserver.ended_by_signals(), testserver.TestServer(keep=keep) as ts, \
            tempfile.TemporaryDirectory(prefix="vertalumex-bench.") as results, \
            open(log, "w", encoding="utf-8") as out:
        env = dict(ts.environment(), QT_QPA_PLATFORM="offscreen")
        loads = []
        started = time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime())
        say(f"Running {len(PROGRAMS)} benchmark programs for {rounds} rounds (their output: {log})")
        for round_ in range(1, rounds + 1):
            # Each round starts at another program, so that no program always runs first or last.
            for i in range(len(PROGRAMS)):
                program = PROGRAMS[(i + round_ - 1) % len(PROGRAMS)]
                loads.append(float(load()[0]))
                out.write(f"== round {round_}: {program}\n")
                out.flush()
                done = subprocess.run(
                    [f"./{program}", "--benchmark_repetitions=3",
                     "--benchmark_enable_random_interleaving=true",
                     "--benchmark_min_warmup_time=0.2", "--benchmark_report_aggregates_only=false",
                     f"--benchmark_out={results}/{program}.{round_}.json",
                     "--benchmark_out_format=json"],
                    cwd=folder, env=env, stdout=out, stderr=subprocess.STDOUT)
                if done.returncode != 0:
                    out.flush()
                    with open(log, encoding="utf-8", errors="replace") as f:
                        tail = "".join(f.readlines()[-30:])
                    raise SetupError(f"{tail}FAILED: {program} (round {round_}); its output ends above")
            say(f"round {round_} done (load {' '.join(load()[:3])})")
        say(f"\nBenchmarks of {started}, {rounds} rounds, on {os.cpu_count()} cores; "
            f"load average (1 min) {min(loads):g}-{max(loads):g}")
        if subprocess.run(["./bench_table", results], cwd=folder, env=env).returncode != 0:
            raise SetupError("bench_table could not read the benchmarks' results")
        say("")
        if subprocess.run(["./batch_memory"], cwd=folder, env=env).returncode != 0:
            raise SetupError("batch_memory failed; its output is above")
    return 0


def main(argv):
    """bench/run [ROUNDS] [--keep]"""
    keep = "--keep" in argv
    rest = [a for a in argv if a != "--keep"]
    if len(rest) > 1 or (rest and not rest[0].isdigit()):
        note("usage: bench/run [ROUNDS] [--keep]")
        return 2
    return run_bench(int(rest[0]) if rest else 5, keep)
