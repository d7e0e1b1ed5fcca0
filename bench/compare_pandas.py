#!/usr/bin/env python3
"""Reading a long flight file: `zirko-cli info FILE` (the whole process) against pandas' C reader
(read_csv, in process, import not counted) on the same data lines.

    bench/compare_pandas.py ZIRKO_CLI FILE.zdf [RUNS]

FILE is for example the 1,500,000-sample flight bench_zdf writes (zirko-bench-flight.zdf in the
temporary folder). pandas is optional: without it only zirko-cli is timed.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time


def data_lines(path):
    with open(path, "rb") as f:
        text = f.read()
    start = text.index(b"<Data>\r\n") + len(b"<Data>\r\n")
    end = text.index(b"</Data>\r\n", start)
    return text[start:end]


def time_process(args, runs):
    times = []
    for _ in range(runs):
        t = time.perf_counter()
        subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
        times.append(time.perf_counter() - t)
    return times


def main():
    cli, zdf = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    subprocess.run([cli, "info", zdf], check=True, stdout=subprocess.DEVNULL)  # page cache warm
    zirko = time_process([cli, "info", zdf], runs)
    print(f"zirko-cli info (whole process): best {min(zirko):.3f} s, "
          f"median {statistics.median(zirko):.3f} s over {runs} runs")
    try:
        import pandas
    except ImportError:
        print("pandas not available: no comparison")
        return
    with tempfile.NamedTemporaryFile(suffix=".csv", delete=False) as csv:
        csv.write(data_lines(zdf))
    try:
        pandas.read_csv(csv.name, header=None, engine="c")
        reads = []
        for _ in range(runs):
            t = time.perf_counter()
            frame = pandas.read_csv(csv.name, header=None, engine="c")
            reads.append(time.perf_counter() - t)
    finally:
        os.unlink(csv.name)
    print(f"pandas {pandas.__version__} read_csv ({len(frame)} rows, in process): "
          f"best {min(reads):.3f} s, median {statistics.median(reads):.3f} s")
    print(f"ratio (pandas / zirko-cli): best {min(reads) / min(zirko):.2f}x, "
          f"median {statistics.median(reads) / statistics.median(zirko):.2f}x")


if __name__ == "__main__":
    main()
