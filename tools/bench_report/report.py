"""Prints the benchmark table of tools/bench from Google Benchmark's JSON
results, and times the song renderer beside xmp on the same songs."""
import json
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def medians(path):
    """Median CPU time per benchmark name, in nanoseconds."""
    times = {}
    for b in json.loads(pathlib.Path(path).read_text())["benchmarks"]:
        if b.get("run_type") != "iteration" or b.get("error_occurred"):
            continue
        scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b["time_unit"]]
        key = "manual_time" if "manual_time" in b else "cpu_time"
        value = b["real_time"] if b["name"].endswith("/manual_time") else b[key] if key in b else b["cpu_time"]
        times.setdefault(b["run_name"], []).append(value * scale)
    return {name: statistics.median(v) for name, v in times.items()}


def figures(results):
    """(figure, our benchmark, anchor benchmark, goal ratio)."""
    rows = []
    for pattern, ours in [("LIFO", "BM_Lifo<{}>"), ("page-boundary churn", "BM_PageBoundaryChurn<{}>"),
                          ("1,000 live blocks", "BM_RandomLifetimes<{}>/1000"),
                          ("1,000,000 live blocks", "BM_RandomLifetimes<{}>/1000000")]:
        rows.append(("pool " + pattern, "bench_allocator", ours.format("Pool"), ours.format("Malloc"), 1.0))
    for size in ["32x32", "64x64", "240x320"]:
        for mode, name, anchor in [(16, "keyed", "key_rle"), (17, "keyed alpha", "key_alpha"),
                                   (4112, "keyed lighten", "key_rle"), (8208, "keyed darken", "key_rle"),
                                   (2, "per-pixel alpha", "argb_blend"), (18, "keyed per-pixel alpha", "argb_blend")]:
            rows.append((f"{name} {size}", "bench_blitters", f"plain/mode{mode}/{size}", f"sdl/{anchor}/{size}", 1.0))
        for zoom in [512, 2048]:
            for mode, name in [(0, "zoomed"), (16, "zoomed keyed")]:
                rows.append((f"{name} {zoom / 1024:g}x {size}", "bench_blitters", f"zoomed/mode{mode}/zoom{zoom}/{size}",
                             f"sdl/scaled/zoom{zoom}/{size}", 1.0))
    rows.append(("zip read 20 MB", "bench_zip_archive", "BM_ReadEveryMember20MB", "BM_UnzipToolSame20MB/manual_time", 1.0))
    table = []
    for figure, program, ours, anchor, goal in rows:
        times = results.get(program, {})
        table.append((figure, times.get(ours), times.get(anchor), goal))
    return table


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def song_figures(renderer, songs, repetitions):
    """Our renderer and xmp on every song, interleaved; total median times."""
    if not shutil.which("xmp"):
        return [("sound_render (xmp not installed)", None, None, 0.75)]
    songs = sorted(pathlib.Path(songs).glob("*.xm"))
    table = []
    with tempfile.TemporaryDirectory() as scratch:
        wav = str(pathlib.Path(scratch) / "out.wav")
        raw = str(pathlib.Path(scratch) / "out.raw")
        for rate in [44100, 22050]:
            for interpolation, quality in [("nearest", 3), ("linear", 4)]:
                ours, theirs = [], []
                for _ in range(repetitions):
                    ours.append(sum(timed([renderer, str(s), wav, "--quality", str(quality), "--rate", str(rate)])
                                    for s in songs))
                    theirs.append(sum(timed(["xmp", "--norc", "-q", "-i", interpolation, "-f", str(rate), "-o", raw,
                                             str(s)]) for s in songs))
                table.append((f"sound_render {len(songs)} demo songs {rate} Hz {interpolation}",
                              statistics.median(ours) * 1e9, statistics.median(theirs) * 1e9, 0.75))
    return table


def shown(ns):
    if ns is None:
        return "-"
    for unit, scale in [("s", 1e9), ("ms", 1e6), ("us", 1e3)]:
        if ns >= scale:
            return f"{ns / scale:.3g} {unit}"
    return f"{ns:.3g} ns"


def main():
    out, renderer, songs, repetitions = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    results = {p.stem: medians(p) for p in pathlib.Path(out).glob("*.json")}
    table = figures(results) + song_figures(renderer, songs, repetitions)
    print(f"{'figure':<40} {'ours':>10} {'anchor':>10} {'ratio':>7} {'goal':>6}  met")
    for figure, ours, anchor, goal in table:
        ratio = ours / anchor if ours and anchor else None
        met = "-" if ratio is None else ("met" if ratio <= goal else "NOT met")
        ratio_text = "-" if ratio is None else f"{ratio:.2f}"
        print(f"{figure:<40} {shown(ours):>10} {shown(anchor):>10} {ratio_text:>7} {'<=' + format(goal, 'g'):>6}  {met}")


main()
