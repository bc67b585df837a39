"""Runs the benchmarks of tools/bench that have an anchor and prints one
table: figure, ours, anchor, ratio (our time over the anchor's), the spread
of the ratio, goal, met.

Every row is timed in short alternating chunks, ours then the anchor's, so
that a busy machine slows both sides of a chunk alike. The times shown are
the 10th percentile of each side's chunks (the least disturbed), the ratio
is theirs, and the spread is the 10th to 90th percentile of the per-chunk
ratios."""
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile


def percentile(values, fraction):
    """The value below which the given fraction of values lie, interpolated."""
    ordered = sorted(values)
    place = fraction * (len(ordered) - 1)
    low = int(place)
    high = min(low + 1, len(ordered) - 1)
    return ordered[low] + (ordered[high] - ordered[low]) * (place - low)


def alternating(chunk, chunks):
    """Calls chunk() (which times ours, then the anchor, and returns both
    times) the given number of times; the list of (ours, anchor) pairs."""
    return [chunk() for _ in range(chunks)]


class Row:
    """A figure of the table: a way to time one chunk of both sides, the
    goal for the ratio, and the pairs timed."""

    def __init__(self, figure, chunk, goal):
        self.figure, self.chunk, self.goal, self.pairs = figure, chunk, goal, []

    def measure(self, chunks):
        self.pairs = alternating(self.chunk, chunks) if self.chunk else []

    def ours(self):
        return percentile([o for o, _ in self.pairs], 0.1) if self.pairs else None

    def anchor(self):
        return percentile([a for _, a in self.pairs], 0.1) if self.pairs else None

    def ratio_spread(self):
        ratios = [o / a for o, a in self.pairs if a > 0]
        return (percentile(ratios, 0.1), percentile(ratios, 0.9)) if ratios else None


def benchmark_time(entry):
    """A Google Benchmark result's time per iteration in nanoseconds: CPU
    time, or for manually timed ones the time they report."""
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[entry["time_unit"]]
    manual = entry["name"].endswith("/manual_time")
    return (entry["real_time"] if manual else entry["cpu_time"]) * scale


def benchmark_pair(program, ours, anchor, min_time):
    """A chunk of two Google Benchmark cases run in one process, one after
    the other: their times, ours first."""
    names = [ours, anchor]

    def chunk():
        with tempfile.NamedTemporaryFile(suffix=".json") as out:
            pattern = "^(" + "|".join(re.escape(n) for n in names) + ")$"
            subprocess.run([program, f"--benchmark_filter={pattern}", f"--benchmark_min_time={min_time}",
                            f"--benchmark_out={out.name}", "--benchmark_out_format=json"],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            results = json.loads(pathlib.Path(out.name).read_text())["benchmarks"]
        times = {b["name"]: benchmark_time(b) for b in results if not b.get("error_occurred")}
        return times[ours], times[anchor]

    return chunk


def benchmark_rows(programs):
    """(figure, program, our case, anchor case, goal) for every benchmarked
    figure with an anchor."""
    rows = []
    for pattern, ours in [("LIFO", "BM_Lifo<{}>"), ("page-boundary churn", "BM_PageBoundaryChurn<{}>"),
                          ("1,000 live blocks", "BM_RandomLifetimes<{}>/1000"),
                          ("1,000,000 live blocks", "BM_RandomLifetimes<{}>/1000000")]:
        rows.append(("pool " + pattern, "bench_allocator", ours.format("Pool"), ours.format("Malloc"), 1.0))
    # Keyed lighten and darken against SDL's fastest keyed blit that also
    # reads the target (colour key, surface alpha, RLE), and against its
    # keyed RLE copy as a bound of how fast pixels can be moved at all.
    keyed = [(16, "keyed", "key_rle", 1.0), (17, "keyed alpha", "key_alpha", 1.0),
             (4112, "keyed lighten", "key_alpha", 1.0), (8208, "keyed darken", "key_alpha", 1.0),
             (4112, "keyed lighten (RLE copy)", "key_rle", 1.5), (8208, "keyed darken (RLE copy)", "key_rle", 1.5)]
    for size in ["32x32", "64x64", "240x320"]:
        for mode, name, anchor, goal in keyed + [(2, "per-pixel alpha", "argb_blend", 1.0),
                                                 (18, "keyed per-pixel alpha", "argb_blend", 1.0)]:
            rows.append((f"{name} disc {size}", "bench_blitters", f"plain/mode{mode}/{size}",
                         f"sdl/{anchor}/{size}", goal))
        for zoom in [512, 2048]:
            for mode, name in [(0, "zoomed"), (16, "zoomed keyed")]:
                rows.append((f"{name} {zoom / 1024:g}x {size}", "bench_blitters", f"zoomed/mode{mode}/zoom{zoom}/{size}",
                             f"sdl/scaled/zoom{zoom}/{size}", 1.0))
    for sheet in ["walk_sheet_32x32", "tile_with_holes_32x32", "fighter_64x96", "monster_132x84", "screen_240x320",
                  "icon_grid_240x320"]:
        for mode, name, anchor, goal in keyed:
            rows.append((f"{name} {sheet.replace('_', ' ')}", "bench_blitters", f"plain/mode{mode}/{sheet}",
                         f"sdl/{anchor}/{sheet}", goal))
    rows.append(("zip read 20 MB", "bench_zip_archive", "BM_ReadEveryMember20MB", "BM_UnzipToolSame20MB/manual_time",
                 1.0))
    return [Row(figure, benchmark_pair(programs / program, ours, anchor, 0.05), goal)
            for figure, program, ours, anchor, goal in rows]


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
    returncode = os.waitstatus_to_exitcode(status)
    if returncode != 0:
        raise subprocess.CalledProcessError(returncode, command)
    return usage.ru_utime + usage.ru_stime


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


def song_set_rows(name, renderer, songs, scratch):
    """CPU time of our renderer and xmp on every song of a set, at each rate
    and interpolation. A chunk renders each song with ours and with xmp, one
    song at a time, which goes first turning each chunk; a row whose song
    lengths differ says so in its name."""
    if not songs:
        return [Row(f"songs {name} (none found)", None, 0.75)]
    wav = str(pathlib.Path(scratch) / "out.wav")
    raw = str(pathlib.Path(scratch) / "out.raw")
    rows = []
    for rate in [44100, 22050]:
        for interpolation, quality in [("nearest", 3), ("linear", 4)]:
            row = Row(f"songs {len(songs)} {name} {rate / 1000:g} kHz {interpolation}", None, 0.75)
            turn = [0]

            def chunk(row=row, rate=rate, interpolation=interpolation, quality=quality):
                ours = theirs = 0.0
                for song in songs:
                    commands = {
                        "ours": [renderer, str(song), wav, "--quality", str(quality), "--rate", str(rate)],
                        "xmp": ["xmp", "--norc", "-q", "-i", interpolation, "-f", str(rate), "-o", raw, str(song)],
                    }
                    times = {}
                    for who in (["ours", "xmp"] if turn[0] % 2 == 0 else ["xmp", "ours"]):
                        times[who] = cpu_seconds(commands[who])
                    ours, theirs = ours + times["ours"], theirs + times["xmp"]
                    if song_frames_differ(song, wav, raw) and "LENGTHS DIFFER" not in row.figure:
                        row.figure += " (LENGTHS DIFFER)"
                turn[0] += 1
                return ours * 1e9, theirs * 1e9

            row.chunk = chunk
            rows.append(row)
    return rows


def song_rows(renderer, demo_songs, scratch):
    """The demo songs and the real modules, ours against xmp."""
    if not shutil.which("xmp"):
        return [Row("songs (xmp not installed)", None, 0.75)]
    return (song_set_rows("demo", renderer, sorted(pathlib.Path(demo_songs).glob("*.xm")), scratch)
            + song_set_rows("real", renderer, sorted(REAL_MODULES.glob("*.xm")), scratch))


def shown(ns):
    if ns is None:
        return "-"
    for unit, scale in [("s", 1e9), ("ms", 1e6), ("us", 1e3)]:
        if ns >= scale:
            return f"{ns / scale:.3g} {unit}"
    return f"{ns:.3g} ns"


def print_row(row):
    ours, anchor, spread = row.ours(), row.anchor(), row.ratio_spread()
    ratio = ours / anchor if ours and anchor else None
    met = "-" if ratio is None else ("met" if ratio <= row.goal else "NOT met")
    ratio_text = "-" if ratio is None else f"{ratio:.2f}"
    spread_text = "-" if spread is None else f"{spread[0]:.2f}-{spread[1]:.2f}"
    print(f"{row.figure:<44} {shown(ours):>10} {shown(anchor):>10} {ratio_text:>6} {spread_text:>10} "
          f"{'<=' + format(row.goal, 'g'):>6}  {met}", flush=True)


def main():
    programs, renderer, songs, chunks = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3], int(sys.argv[4])
    only = re.compile(sys.argv[5]) if len(sys.argv) > 5 else None
    print(f"{chunks} alternating chunks a row; times: 10th percentile; spread: 10th-90th percentile of the "
          "per-chunk ratios")
    print(f"{'figure':<44} {'ours':>10} {'anchor':>10} {'ratio':>6} {'spread':>10} {'goal':>6}  met")
    with tempfile.TemporaryDirectory() as scratch:
        for row in benchmark_rows(programs) + song_rows(renderer, songs, scratch):
            if only and not only.search(row.figure):
                continue
            row.measure(chunks)
            print_row(row)


main()
