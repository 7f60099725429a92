#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Matches the clicks recorded from a sink against the beeps a game logged.

  click_count.py CLICK.wav PROBE.log REC.raw REC.times FROM_NS TO_NS [LATENCIES]

Takes the beeps logged in [FROM_NS, TO_NS] (narrowed to where no beep outside is near an edge)
and the recording (16-bit mono, 44.1 kHz), dated by REC.times (per buffer: samples up to its
end, arrival time in ns, the probe's clock). Every beep must be heard as one click starting within MAX_DELAY after it; beeps closer together than one click's length may share
one click. Every click must be as long as the sound itself and as loud (louder where shared).
No click may come from nowhere. Prints what it found; exits 1 on any mismatch. Writes the
delay of each click of a lone beep, in ms, to LATENCIES when given.
"""
import array
import bisect
import sys
import wave

RATE = 44100
MAX_DELAY = 0.080  # seconds from the beep to the click reaching the sink's monitor
EARLY = 0.005  # seconds a click may seem to come before its beep: the dating's jitter
QUIET = 0.004  # seconds below the threshold that end a click
LENGTH_TOLERANCE = 0.15  # of the sound's own length
PEAK_TOLERANCE = 0.05  # of the sound's own peak


def clicks(samples, threshold):
    """(start, end, peak) of each stretch above the threshold, in samples."""
    found, start, last, peak = [], None, None, 0
    quiet = int(QUIET * RATE)
    for i, s in enumerate(samples):
        v = abs(s)
        if v < threshold:
            if start is not None and i - last > quiet:
                found.append((start, last + 1, peak))
                start = None
            continue
        if start is None:
            start, peak = i, 0
        last, peak = i, max(peak, v)
    if start is not None:
        found.append((start, last + 1, peak))
    return found


def quiet_edges(beeps, lo, hi):
    """[lo, hi] moved inwards until no beep outside it is within one delay of it (ns): a click
    near an edge then belongs to a beep on its own side, never to one just outside."""
    gap = int((MAX_DELAY + 2 * EARLY) * 1e9)
    moved = True
    while moved:
        moved = False
        near = [b for b in beeps if lo - gap < b < lo]
        if near:
            lo, moved = max(near) + gap, True
        near = [b for b in beeps if hi < b < hi + gap]
        if near:
            hi, moved = min(near) - gap, True
    return lo, hi


def main(argv):
    if len(argv) not in (7, 8):
        print(__doc__, file=sys.stderr)
        return 2
    with wave.open(argv[1]) as w:
        sound = array.array("h", w.readframes(w.getnframes()))
    sound_peak = max(abs(s) for s in sound)
    threshold = sound_peak // 10
    ((s0, s1, _),) = clicks(sound, threshold)
    sound_length = (s1 - s0) / RATE
    click_span = len(sound) / RATE

    beeps = []
    with open(argv[2]) as log:
        for line in log:
            f = line.split()
            if f and f[0] == "beep":
                beeps.append(int(f[1]))
    lo, hi = quiet_edges(beeps, int(argv[5]), int(argv[6]))
    before = [b for b in beeps if b < lo]
    beeps = [(b - lo) / 1e9 for b in beeps if lo <= b <= hi]

    rec = array.array("h")
    with open(argv[3], "rb") as f:
        rec.frombytes(f.read())
    ends, arrivals = [], []
    with open(argv[4]) as f:
        for line in f:
            n, t = line.split()
            ends.append(int(n))
            arrivals.append(int(t))

    def dated(sample):
        """Seconds after FROM_NS: the arrival of the sample's buffer less what followed it."""
        k = bisect.bisect_right(ends, sample)
        if k == len(ends):
            k -= 1
        return (arrivals[k] - lo) / 1e9 - (ends[k] - sample) / RATE

    heard = [(dated(a), (b - a) / RATE, p) for a, b, p in clicks(rec, threshold)]
    # Only what the window's beeps could have made.
    end = (hi - lo) / 1e9 + MAX_DELAY
    last_before = (before[-1] - lo) / 1e9 if before else -1.0
    heard = [h for h in heard if 0 <= h[0] <= end and h[0] - last_before > MAX_DELAY]

    # Beeps closer than one click's length form one group: one click or several.
    groups = []
    for b in beeps:
        if groups and b - groups[-1][-1] < click_span:
            groups[-1].append(b)
        else:
            groups.append([b])

    faults, latencies, used = [], [], set()
    for g in groups:
        mine = [i for i, h in enumerate(heard) if g[0] - EARLY <= h[0] <= g[-1] + MAX_DELAY]
        mine = [i for i in mine if i not in used]
        if not mine or len(mine) > len(g):
            faults.append(f"beep(s) at {', '.join(f'{b:.3f}' for b in g)} s: "
                          f"{len(mine)} click(s) heard")
            used.update(mine)
            continue
        used.update(mine)
        for i in mine:
            at, length, peak = heard[i]
            lone = len(g) == 1
            short = length < sound_length * (1 - LENGTH_TOLERANCE)
            long_ = lone and length > sound_length * (1 + LENGTH_TOLERANCE)
            quiet = peak < sound_peak * (1 - PEAK_TOLERANCE)
            loud = lone and peak > sound_peak * (1 + PEAK_TOLERANCE)
            if short or long_ or quiet or loud:
                faults.append(f"click at {at:.3f} s: {length * 1000:.1f} ms, peak {peak} "
                              f"(the sound: {sound_length * 1000:.1f} ms, peak {sound_peak})")
            if lone:
                latencies.append((at - g[0]) * 1000)
    for i, h in enumerate(heard):
        if i not in used:
            faults.append(f"click at {h[0]:.3f} s with no beep before it")
    if not beeps:
        faults.append("no beep to listen for")

    print(f"beeps {len(beeps)} in {len(groups)} groups, clicks heard {len(heard)}, "
          f"faults {len(faults)}")
    if latencies:
        ordered = sorted(latencies)
        print(f"delay to the sink ms: median {ordered[len(ordered) // 2]:.1f} "
              f"worst {ordered[-1]:.1f} of {len(ordered)}")
    if len(argv) == 8:
        with open(argv[7], "a") as f:
            f.writelines(f"{v:.3f}\n" for v in latencies)
    for fault in faults[:20]:
        print("  " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
