#!/usr/bin/env python3
"""Copies an MP4 whose video track has one edit and ends that edit where frame N
begins, as some cameras write their clips: the samples from frame N on stay in the
file, but players show only frames 0 to N-1.

    cut_edit.py in.mp4 out.mp4 N

Only the edit's duration changes (in place, so no offset in the file moves)."""
import struct
import sys


def boxes(data, start, end):
    """(type, body start, body end) of the boxes one after another in data[start:end]."""
    at = start
    while at + 8 <= end:
        size, kind = struct.unpack_from(">I4s", data, at)
        header = 8
        if size == 1:
            size = struct.unpack_from(">Q", data, at + 8)[0]
            header = 16
        elif size == 0:
            size = end - at
        if size < header or at + size > end:
            return
        yield kind.decode("latin-1"), at + header, at + size
        at += size


def child(data, parent, kind):
    for k, start, end in boxes(data, parent[0], parent[1]):
        if k == kind:
            return start, end
    raise SystemExit(f"no {kind} box")


def path(data, parent, *kinds):
    for kind in kinds:
        parent = child(data, parent, kind)
    return parent


def time_scale(data, box):
    version = data[box[0]]
    return struct.unpack_from(">I", data, box[0] + (20 if version == 1 else 12))[0]


def presentation_times(data, stbl):
    stts = child(data, stbl, "stts")
    times, decode = [], 0
    (entries,) = struct.unpack_from(">I", data, stts[0] + 4)
    for i in range(entries):
        count, delta = struct.unpack_from(">II", data, stts[0] + 8 + 8 * i)
        for _ in range(count):
            times.append(decode)
            decode += delta
    for kind, start, _ in boxes(data, stbl[0], stbl[1]):
        if kind != "ctts":
            continue
        (runs,) = struct.unpack_from(">I", data, start + 4)
        frame = 0
        for i in range(runs):
            count, offset = struct.unpack_from(">Ii", data, start + 8 + 8 * i)
            for _ in range(count):
                times[frame] += offset
                frame += 1
    return sorted(times)


def main():
    source, target, frames = sys.argv[1], sys.argv[2], int(sys.argv[3])
    data = bytearray(open(source, "rb").read())
    moov = next((s, e) for k, s, e in boxes(data, 0, len(data)) if k == "moov")
    movie_scale = time_scale(data, child(data, moov, "mvhd"))
    for kind, start, end in boxes(data, moov[0], moov[1]):
        if kind != "trak":
            continue
        trak = (start, end)
        mdia = child(data, trak, "mdia")
        if data[child(data, mdia, "hdlr")[0] + 8 : child(data, mdia, "hdlr")[0] + 12] != b"vide":
            continue
        media_scale = time_scale(data, child(data, mdia, "mdhd"))
        times = presentation_times(data, path(data, mdia, "minf", "stbl"))
        elst = path(data, trak, "edts", "elst")
        version = data[elst[0]]
        (edits,) = struct.unpack_from(">I", data, elst[0] + 4)
        if edits != 1 or not 0 < frames < len(times):
            raise SystemExit("not one edit, or no frame to cut")
        media_start = struct.unpack_from(">q" if version == 1 else ">i", data, elst[0] + (16 if version == 1 else 12))[0]
        # The movie's units before frame N's start, and after frame N-1's.
        duration = (times[frames] - media_start) * movie_scale // media_scale
        if duration * media_scale <= (times[frames - 1] - media_start) * movie_scale:
            raise SystemExit("the movie's time scale cannot end the edit between the two frames")
        struct.pack_into(">Q" if version == 1 else ">I", data, elst[0] + 8, duration)
        open(target, "wb").write(data)
        return
    raise SystemExit("no video track")


if __name__ == "__main__":
    main()
