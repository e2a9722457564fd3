#!/usr/bin/python3
"""Times the Python module on a 1,000,000-point X, Y track (a ship's walk,
as bench/make_xy_track.py makes it), thinned to 10,000 points, against:
  - the C++ engine on the same arrays (build/bench/array_thin_bench: the
    same ThinTrack call, timed inside the program, after a first run that
    brings its memory in, as the module's calls find theirs);
  - shapely's LineString.simplify on the same line at the tolerance that
    oru.thin_xy's 10,000 points reach (time and points kept), beside
    oru.thin_xy with that tolerance;
  - two threads thinning two such tracks at once against one thread
    thinning them one after the other (both on threads of their own, whose
    memory comes from the same kind of allocator arena).
Every measure is taken ROUNDS times, interleaved, and reported as its
median; every ratio comes from the same run. The machine's load is printed
before and after: measure when it is low. The module and the engine are
also timed in processor seconds of their thread, which others' work on a
shared machine disturbs less than wall seconds.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [ROUNDS]

from the top of the tree, after a release build (build/)."""

import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time

import numpy as np
import shapely
from shapely.geometry import LineString

import oru

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
POINTS, KEPT = 1_000_000, 10_000


def ship_walk(seed, n=POINTS):
    """A ship-like walk in metres: steps of 10 to 50 m, a heading that turns
    in spells of 500 fixes, 0.5 m of noise."""
    rng = np.random.default_rng(seed)
    turn = np.repeat(rng.choice([0.0, 0.0, 0.01, -0.01, 0.03, -0.03], n // 500 + 1), 500)[:n]
    heading = np.cumsum(turn + rng.normal(0.0, 0.01, n))
    step = rng.uniform(10.0, 50.0, n)
    x = 500_000.0 + np.cumsum(step * np.sin(heading)) + rng.normal(0.0, 0.5, n)
    y = 6_000_000.0 + np.cumsum(step * np.cos(heading)) + rng.normal(0.0, 0.5, n)
    return x, y


def timed(work):
    start = time.perf_counter()
    result = work()
    return time.perf_counter() - start, result


def timed_with_cpu(work):
    """Wall seconds and the process's processor seconds of `work`."""
    cpu = time.process_time()
    seconds, _ = timed(work)
    return seconds, time.process_time() - cpu


def timed_on_thread(work):
    """Wall seconds and processor seconds of this thread."""
    cpu = time.thread_time()
    seconds, result = timed(work)
    return seconds, time.thread_time() - cpu, result


def engine_seconds(program, arrays):
    """The wall and processor seconds of the engine's second run, and the
    points kept."""
    done = subprocess.run([program, arrays, str(KEPT), "2"], capture_output=True, text=True,
                          check=True)
    lines = done.stdout.split("\n")
    wall, cpu = map(float, lines[1].split())
    return wall, cpu, int(lines[2].split()[1])


def on_threads(*work):
    """Runs each function on a thread of its own, all at once."""
    threads = [threading.Thread(target=w) for w in work]
    for t in threads:
        t.start()
    for t in threads:
        t.join()


def loop_turns_beside_a_thinning(x, y):
    """Turns of a Python loop on this thread while another thread thins:
    a few at most if the thinning held the GIL."""
    thread = threading.Thread(target=oru.thin_xy, args=(x, y), kwargs={"points": KEPT})
    turns = 0
    thread.start()
    while thread.is_alive():
        turns += 1
    return turns


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 7
    program = os.path.join(ROOT, "build", "bench", "array_thin_bench")
    x, y = ship_walk(54)
    other = ship_walk(55)
    line = LineString(np.column_stack((x, y)))
    reached = oru.thin_xy(x, y, points=KEPT)
    tolerance = reached.max_deviation
    print(f"machine: {os.cpu_count()} CPUs; shapely {shapely.__version__}, numpy {np.__version__}")
    print(f"load before: {load()}")
    times = {key: [] for key in ("module", "module_cpu", "engine", "engine_cpu", "module_tol",
                                 "simplify_dp", "simplify_topo", "one_thread", "two_threads",
                                 "two_threads_cpu", "loop_turns")}
    kept = {}
    with tempfile.TemporaryDirectory() as work:
        arrays = os.path.join(work, "track.f64")
        np.concatenate((x, y)).tofile(arrays)
        for _ in range(rounds):
            seconds, cpu, result = timed_on_thread(lambda: oru.thin_xy(x, y, points=KEPT))
            times["module"].append(seconds)
            times["module_cpu"].append(cpu)
            kept["module"] = result.points_after
            seconds, cpu, kept["engine"] = engine_seconds(program, arrays)
            times["engine"].append(seconds)
            times["engine_cpu"].append(cpu)
            seconds, result = timed(lambda: oru.thin_xy(x, y, max_deviation=tolerance))
            times["module_tol"].append(seconds)
            kept["module_tol"] = result.points_after
            for key, topology in (("simplify_dp", False), ("simplify_topo", True)):
                seconds, simple = timed(lambda: line.simplify(tolerance, preserve_topology=topology))
                times[key].append(seconds)
                kept[key] = len(simple.coords)
            seconds, _ = timed(lambda: on_threads(
                lambda: [oru.thin_xy(*t, points=KEPT) for t in ((x, y), other)]))
            times["one_thread"].append(seconds)
            seconds, cpu = timed_with_cpu(lambda: on_threads(
                lambda: oru.thin_xy(x, y, points=KEPT), lambda: oru.thin_xy(*other, points=KEPT)))
            times["two_threads"].append(seconds)
            times["two_threads_cpu"].append(cpu)
            times["loop_turns"].append(loop_turns_beside_a_thinning(x, y))
    print(f"load after: {load()}")
    m = {key: statistics.median(values) for key, values in times.items()}
    print(f"\n{POINTS} points to {KEPT}, medians of {rounds} rounds:")
    print(f"  oru.thin_xy(points={KEPT})          {m['module']:.3f} s  ({kept['module']} kept)")
    print(f"  C++ engine, same arrays           {m['engine']:.3f} s  ({kept['engine']} kept)"
          f"  -> module / engine = {m['module'] / m['engine']:.3f}")
    print(f"  processor seconds: module {m['module_cpu']:.3f} s, engine {m['engine_cpu']:.3f} s"
          f"  -> module / engine = {m['module_cpu'] / m['engine_cpu']:.3f}")
    print(f"\nat the tolerance those points reach, {tolerance:.3f} m:")
    print(f"  oru.thin_xy(max_deviation=...)    {m['module_tol']:.3f} s  ({kept['module_tol']} kept)")
    for key, name in (("simplify_dp", "preserve_topology=False"),
                      ("simplify_topo", "preserve_topology=True")):
        print(f"  shapely simplify, {name:24s}{m[key]:.3f} s  ({kept[key]} kept)"
              f"  -> simplify / oru = {m[key] / m['module_tol']:.2f}")
    print(f"\ntwo tracks of {POINTS} points to {KEPT}:")
    print(f"  one thread, one after the other   {m['one_thread']:.3f} s")
    print(f"  two threads at once               {m['two_threads']:.3f} s"
          f"  -> throughput ratio {m['one_thread'] / m['two_threads']:.2f}")
    # Near 2 when both threads ran at once (the GIL released), whatever
    # else the machine was doing.
    print(f"  two threads: processor / wall seconds {m['two_threads_cpu'] / m['two_threads']:.2f}")
    print(f"  turns of a Python loop beside one thinning thread: {m['loop_turns']:.0f}")


if __name__ == "__main__":
    main()
