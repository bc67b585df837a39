"""Prints the benchmark table of tools/bench from Google Benchmark's JSON
results, and times the song renderer beside xmp on the same songs."""
import json
import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile


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


# ---- songs: sound_render beside xmp --------------------------------------

# Modules by other people, from Debian's heroes-sound-tracks package
# (tools/install-deps bench installs it).
REAL_MODULES = pathlib.Path("/usr/share/games/heroes/mod")
MIX_BLOCK_FRAMES = 1024  # the renderer's mix block at 22.05 and 44.1 kHz


def cpu_seconds(command):
    """User plus system CPU time of one run: unlike wall time, it does not
    count the time other programs on a busy machine hold the cores."""
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        raise subprocess.CalledProcessError(process.returncode, command)
    return usage.ru_utime + usage.ru_stime


def low_percentile(values, fraction=0.1):
    """The value a `fraction` of the way up the sorted runs: the runs least
    slowed by the machine's other work."""
    ordered = sorted(values)
    return ordered[int(fraction * (len(ordered) - 1))]


def song_frames_differ(song, wav, raw):
    """Our render's frames (a WAV of 16-bit stereo) against xmp's (raw 16-bit
    stereo); more than one mix block apart means the two did not play the
    same song and the times cannot be compared."""
    ours = (pathlib.Path(wav).stat().st_size - 44) // 4
    theirs = pathlib.Path(raw).stat().st_size // 4
    if abs(ours - theirs) > MIX_BLOCK_FRAMES:
        print(f"{song.name}: {ours} frames rendered, xmp {theirs}", file=sys.stderr)
        return True
    return False


def song_set_figures(name, renderer, songs, repetitions):
    """CPU time of our renderer and xmp on every song at each rate and
    interpolation. Runs of the two alternate, one song at a time, which
    order first turning each round; each song's time is its 10th
    percentile, and the row sums them."""
    if not songs:
        return [(f"songs {name} (none found)", None, None, 0.75)]
    table = []
    with tempfile.TemporaryDirectory() as scratch:
        wav = str(pathlib.Path(scratch) / "out.wav")
        raw = str(pathlib.Path(scratch) / "out.raw")
        for rate in [44100, 22050]:
            for interpolation, quality in [("nearest", 3), ("linear", 4)]:
                ours_total = theirs_total = 0.0
                lengths_differ = False
                for song in songs:
                    runs = {
                        "ours": ([renderer, str(song), wav, "--quality", str(quality), "--rate", str(rate)], []),
                        "xmp": (["xmp", "--norc", "-q", "-i", interpolation, "-f", str(rate), "-o", raw, str(song)], []),
                    }
                    for repetition in range(repetitions):
                        order = ["ours", "xmp"] if repetition % 2 == 0 else ["xmp", "ours"]
                        for who in order:
                            command, times = runs[who]
                            times.append(cpu_seconds(command))
                    lengths_differ |= song_frames_differ(song, wav, raw)
                    ours_total += low_percentile(runs["ours"][1])
                    theirs_total += low_percentile(runs["xmp"][1])
                note = " (LENGTHS DIFFER)" if lengths_differ else ""
                table.append((f"songs {len(songs)} {name} {rate / 1000:g} kHz {interpolation}{note}",
                              ours_total * 1e9, theirs_total * 1e9, 0.75))
    return table


def song_figures(renderer, demo_songs, repetitions):
    """The demo songs and the real modules, ours against xmp."""
    if not shutil.which("xmp"):
        return [("songs (xmp not installed)", None, None, 0.75)]
    return (song_set_figures("demo", renderer, sorted(pathlib.Path(demo_songs).glob("*.xm")), repetitions)
            + song_set_figures("real", renderer, sorted(REAL_MODULES.glob("*.xm")), repetitions))


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
