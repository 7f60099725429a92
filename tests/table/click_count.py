#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Matches the clicks recorded from a sink against the beeps a game logged.

  click_count.py CLICK.wav PROBE.log REC.raw REC.times FROM_NS TO_NS [LATENCIES]
                 [--server-log PIPEWIRE.log CLOCKS]
  click_count.py --stale CLICK.wav REC.raw REC.times FROM_NS TO_NS

Takes the beeps logged in [FROM_NS, TO_NS] (narrowed to where no beep outside is near an edge)
and the recording (16-bit, 44.1 kHz, $SINK_CHANNELS channels interleaved, 1 unless set), dated
by REC.times (per buffer: frames up to its end, arrival time in ns, the probe's clock). Each
channel is judged on its own, as a listener at that speaker hears it. Every beep must be heard
as one click starting within MAX_DELAY after it; beeps closer together than one click's length
may share one click (a beep a click's length after the one that began a click has one of its
own: a triple contact is three clicks). Every click must be as long as the sound itself and as
loud (louder where shared). No click may come from nowhere. Prints what it found; exits 1 on
any mismatch. Writes the delay of each click that has a beep of its own, in ms, to LATENCIES
when given (the first channel's).
With --server-log (PipeWire): a mismatch within EARLY of a graph cycle that PipeWire itself logged
as not finished in time (its node log at debug level; CLOCKS: lines of CLOCK_MONOTONIC_RAW and
CLOCK_MONOTONIC read together, ns) is the server's miss, not the game's: printed as such, and
not counted. Every other mismatch is.
With --stale: between FROM_NS and TO_NS, where every beep was stale, nothing may have reached the
sink but what a server may have held, or been playing, when it stopped (it plays when the server
goes on; nothing can take it back): sound within one stretch of at most HELD plus one click,
no louder than the sound. Never a burst of clicks owed, nor clicks piled on one another.
"""
import array
import bisect
import os
import sys
import wave

RATE = 44100
CHANNELS = int(os.environ.get("SINK_CHANNELS", "1"))
MAX_DELAY = 0.200  # seconds from the beep to the click reaching the sink, at most: a window to
# match them in (how soon it comes is measured by tools/bench.sh)
EARLY = 0.045  # seconds a click may seem to come before its beep: one period of the sink (at
# most 2048 samples at 48 kHz), by which the dating can be early
HELD = 0.050  # seconds of sound the game's stream lets the server hold ahead (its target latency)
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


def recording(raw, times, lo):
    """The samples of each channel of a recording, and a function that dates a sample of it:
    seconds after lo (ns), when the sink took it, to within one of its periods."""
    rec = array.array("h")
    with open(raw, "rb") as f:
        rec.frombytes(f.read())
    rec = [rec[c::CHANNELS] for c in range(CHANNELS)]
    ends, arrivals = [], []
    with open(times) as f:
        for line in f:
            n, t, *_ = line.split()
            ends.append(int(n))
            arrivals.append(int(t))

    # Half-second fragments (PulseAudio): the sink plays its samples on a steady clock, sample n
    # at START + n / RATE, where START is when sample 0 played. Each fragment arrives after its
    # last sample was taken, so arrival - end / RATE is never below START less one period of the
    # sink (the sink takes a period at once): the least of it over the next few seconds dates the
    # samples. A gap in the recording (a sink that stopped) only raises the values after it.
    # Short fragments (PipeWire, whose graph stops while no player plays, so that its samples
    # keep no steady clock): each fragment is sent once its last sample is taken, so each sample
    # is dated by its own fragment's arrival, less its distance from the fragment's end: early
    # by up to one quantum, as above.
    offsets = [(t - n / RATE * 1e9) for n, t in zip(ends, arrivals)]
    steps = sorted(b - a for a, b in zip([0] + ends, ends))
    steady = steps[len(steps) // 2] >= RATE // 10 if steps else True
    window = 10 if steady else 1
    floor = [min(offsets[k:k + window]) for k in range(len(offsets))]

    def dated(sample):
        k = min(bisect.bisect_right(ends, sample), len(ends) - 1)
        return (floor[k] + sample / RATE * 1e9 - lo) / 1e9

    return rec, dated


def the_sound(path):
    """The click's samples, their peak and the threshold a click is heard above."""
    with wave.open(path) as w:
        sound = array.array("h", w.readframes(w.getnframes()))
    peak = max(abs(s) for s in sound)
    return sound, peak, peak // 10


def stale_heard(argv):
    """--stale: at most what the server held, between FROM_NS and TO_NS."""
    sound, sound_peak, threshold = the_sound(argv[1])
    lo, hi = int(argv[4]), int(argv[5])
    channels, dated = recording(argv[2], argv[3], lo)
    status = 0
    for c, rec in enumerate(channels):
        heard = [(dated(a), (b - a) / RATE, p) for a, b, p in clicks(rec, threshold)]
        heard = [h for h in heard if 0 <= h[0] <= (hi - lo) / 1e9]
        print(f"{channel_name(c)}clicks heard for stale beeps: {len(heard)}")
        for at, length, peak in heard:
            print(f"  click at {at:.3f} s: {length * 1000:.1f} ms, peak {peak}")
        if not heard:
            continue
        span = max(at + length for at, length, _ in heard) - heard[0][0]
        loudest = max(peak for _, _, peak in heard)
        held = span <= HELD + len(sound) / RATE and loudest <= (1 + PEAK_TOLERANCE) * sound_peak
        print(f"  {span * 1000:.1f} ms from the first to the end of the last, peak {loudest}: "
              f"{'no more than the server held' if held else 'more than the server held'}")
        status |= 0 if held else 1
    return status


def channel_name(c):
    """How channel c is named in what is printed: not at all in a mono recording."""
    return f"channel {c + 1} of {CHANNELS}: " if CHANNELS > 1 else ""


def server_misses(log, clocks):
    """The cycles PipeWire logged as not finished in time, as (CLOCK_MONOTONIC ns, the nodes it
    named too slow). Its log is dated by CLOCK_MONOTONIC_RAW, in seconds modulo 100000."""
    with open(clocks) as f:
        raw, mono = (int(v) for v in f.readline().split())
    period = 100000 * 10**9
    misses = []
    with open(log) as f:
        for line in f:
            if not line.startswith("[") or ("graph not finished" not in line and
                                             "client too slow!" not in line):
                continue
            stamp = line[line.index("][") + 2:line.index("]", 4)]
            seconds, micros = stamp.split(".")
            logged = int(seconds) * 10**9 + int(micros) * 1000
            # the raw time nearest to when the clocks were read, then the same on CLOCK_MONOTONIC
            at = mono + (logged - raw % period + period // 2) % period - period // 2
            if "graph not finished" in line:
                misses.append((at, []))
            elif misses:
                named = line.split("()] (", 1)[1]  # after the logging function's name
                misses[-1][1].append(named.split(") ", 1)[0])
    return misses


def main(argv):
    server_log = None
    if "--server-log" in argv:
        k = argv.index("--server-log")
        server_log = argv[k + 1:k + 3]
        argv = argv[:k] + argv[k + 3:]
    if len(argv) == 7 and argv[1] == "--stale":
        return stale_heard(argv[1:])
    if len(argv) not in (7, 8):
        print(__doc__, file=sys.stderr)
        return 2
    sound, sound_peak, threshold = the_sound(argv[1])
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

    # Beeps closer than one click's length form one group: one click or several.
    groups = []
    for b in beeps:
        if groups and b - groups[-1][-1] < click_span:
            groups[-1].append(b)
        else:
            groups.append([b])

    def fewest(g):
        """The fewest clicks a group may sound as: a beep a whole click's length after the one that
        began the click before needs a click of its own."""
        n, began = 0, None
        for b in g:
            if began is None or b - began >= click_span:
                n, began = n + 1, b
        return n

    def judge(rec):
        """The clicks heard on one channel, the faults found, and the delays."""
        heard = [(dated(a), (b - a) / RATE, p) for a, b, p in clicks(rec, threshold)]
        # Only what the window's beeps could have made.
        end = (hi - lo) / 1e9 + MAX_DELAY
        last_before = (before[-1] - lo) / 1e9 if before else -1.0
        heard = [h for h in heard if 0 <= h[0] <= end and h[0] - last_before > MAX_DELAY]

        # The clicks come out in the order of their beeps: each group takes the next clicks in
        # turn, as many as it may sound as, each within its window; a click no group can take
        # came from nowhere. Of all such ways the one with the fewest faults is judged (so a late
        # click is never blamed on the next beep when it can be its own beep's).
        def fits(g, i):
            return g[0] - EARLY <= heard[i][0] <= g[-1] + MAX_DELAY

        INF = 1 << 30
        n_groups, n_heard = len(groups), len(heard)
        best = [[INF] * (n_heard + 1) for _ in range(n_groups + 1)]
        step = [[None] * (n_heard + 1) for _ in range(n_groups + 1)]
        best[0][0] = 0
        for j in range(n_groups + 1):
            for i in range(n_heard + 1):
                here = best[j][i]
                if here == INF:
                    continue
                if i < n_heard and here + 1 < best[j][i + 1]:  # click i from nowhere
                    best[j][i + 1], step[j][i + 1] = here + 1, (j, i, None)
                if j == n_groups:
                    continue
                g = groups[j]
                for c in range(0, len(g) + 1):
                    if i + c > n_heard or not all(fits(g, k) for k in range(i, i + c)):
                        break
                    cost = here + (0 if c >= fewest(g) else 1)
                    if cost < best[j + 1][i + c]:
                        best[j + 1][i + c], step[j + 1][i + c] = cost, (j, i, c)
        taken = [[] for _ in groups]
        j, i = n_groups, n_heard
        while (j, i) != (0, 0):
            pj, pi, c = step[j][i]
            if c is not None:
                taken[pj] = list(range(pi, pi + c))
            j, i = pj, pi
        used = {k for t in taken for k in t}

        faults, latencies = [], []
        for g, mine in zip(groups, taken):
            if len(mine) < fewest(g):
                faults.append((g[0], g[-1] + MAX_DELAY,
                               f"beep(s) at {', '.join(f'{b:.3f}' for b in g)} s: "
                               f"{len(mine)} click(s) heard"))
                continue
            # Fewer clicks than beeps: the clicks sound over one another, and together last
            # from the first beep's click to the end of the last one's (less the dating's
            # jitter), or some were lost.
            if len(mine) < len(g):
                lasting = (heard[mine[-1]][0] - heard[mine[0]][0]) + heard[mine[-1]][1]
                if lasting < g[-1] - g[0] + sound_length * (1 - LENGTH_TOLERANCE) - EARLY:
                    faults.append((g[0], g[-1] + MAX_DELAY,
                                   f"beeps at {', '.join(f'{b:.3f}' for b in g)} s: "
                                   f"{len(mine)} click(s) of {lasting * 1000:.1f} ms in all"))
            for i in mine:
                at, length, peak = heard[i]
                lone = len(g) == 1
                short = length < sound_length * (1 - LENGTH_TOLERANCE)
                long_ = lone and length > sound_length * (1 + LENGTH_TOLERANCE)
                quiet = peak < sound_peak * (1 - PEAK_TOLERANCE)
                loud = lone and peak > sound_peak * (1 + PEAK_TOLERANCE)
                if short or long_ or quiet or loud:
                    faults.append((at, at + length,
                                   f"click at {at:.3f} s: {length * 1000:.1f} ms, peak {peak} "
                                   f"(the sound: {sound_length * 1000:.1f} ms, peak {sound_peak})"))
            # The delay of each click after its own beep, where each beep has one of its own.
            if len(mine) == len(g):
                latencies += [(heard[i][0] - b) * 1000 for i, b in zip(mine, g)]
        for i, h in enumerate(heard):
            if i not in used:
                faults.append((h[0], h[0] + h[1], f"click at {h[0]:.3f} s with no beep before it"))
        if not beeps:
            faults.append((None, None, "no beep to listen for"))

        # A mismatch where PipeWire logged a cycle it did not finish in time, within the dating's
        # reach of it (a cycle that played nothing of the nodes it named: exact zeros in the sink).
        theirs = []
        for fault in list(faults):
            start, end, _ = fault
            near = [m for m in misses if start is not None and start - EARLY <= m[0] <= end + EARLY]
            if near:
                faults.remove(fault)
                theirs.append((fault, near))
        return heard, faults, theirs, latencies

    misses = []
    if server_log:
        misses = [((at - lo) / 1e9, named) for at, named in server_misses(*server_log)]

    channels, dated = recording(argv[3], argv[4], lo)
    all_faults = 0
    for c, rec in enumerate(channels):
        heard, faults, theirs, latencies = judge(rec)
        all_faults += len(faults)
        print(f"{channel_name(c)}beeps {len(beeps)} in {len(groups)} groups, "
              f"clicks heard {len(heard)}, faults {len(faults)}" +
              (f", the server's misses {len(theirs)}" if server_log else ""))
        if latencies:
            ordered = sorted(latencies)
            print(f"delay to the sink ms: median {ordered[len(ordered) // 2]:.1f} "
                  f"worst {ordered[-1]:.1f} of {len(ordered)}")
        if len(argv) == 8 and c == 0:  # (the channels play together: one channel's delays)
            with open(argv[7], "a") as f:
                f.writelines(f"{v:.3f}\n" for v in latencies)
        for _, _, fault in faults:
            print("  " + fault)
        for (_, _, fault), near in theirs:
            print(f"  the server's miss, not the game's: {fault} (PipeWire logged a cycle not "
                  f"finished at {', '.join(f'{at:.3f} s' for at, _ in near)}, too slow: "
                  f"{', '.join(sorted({n for _, named in near for n in named})) or 'not named'})")
    return 1 if all_faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
