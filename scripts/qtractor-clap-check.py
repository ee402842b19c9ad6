#!/usr/bin/env python3
"""Helpers of qtractor-clap-check.sh (standard library only).

  state FXP                   the plug-in state Qtractor keeps for the program in a .fxp: the
                              program chunk as Qt's qCompress (4-byte big-endian length, zlib)
                              in base64, as in a session's <config key="state">
  compare RECORDING REFERENCE the recording (jack_rec, 32-bit PCM) against the render (32-bit
                              float), both from their first sounding frame; the render rounded as
                              jack_rec's file rounds it
  saved SESSION FXP NAME=VALUE...
                              the session Qtractor saved keeps the plug-in's state (the program
                              chunk of FXP) and these parameter values
"""
import base64
import re
import struct
import sys
import zlib

FXP_HEADER = 60  # 'CcnK', size, 'FPCh', version, id, version, count, name[28], chunk size
# Qtractor ends a clip with a short fade (its own, seen with no plug-in on the track too).
CLIP_END_FADE = 2048


def program_chunk(fxp):
    data = open(fxp, "rb").read()
    if data[:4] != b"CcnK" or data[8:12] != b"FPCh":
        sys.exit(f"qtractor-clap-check: {fxp} is not a .fxp program chunk")
    return data[FXP_HEADER:]


def state(fxp):
    chunk = program_chunk(fxp)
    print(base64.b64encode(len(chunk).to_bytes(4, "big") + zlib.compress(chunk)).decode())


def wav_frames(path):
    """(channels, frames): the samples of a 32-bit float or 32-bit integer PCM WAV."""
    data = open(path, "rb").read()
    at, fmt, samples = 12, None, None
    while at + 8 <= len(data):
        kind, size = data[at : at + 4], struct.unpack("<I", data[at + 4 : at + 8])[0]
        body = data[at + 8 : at + 8 + size]
        if kind == b"fmt ":
            fmt = struct.unpack("<HH", body[:4]) + (struct.unpack("<H", body[14:16])[0],)
            if fmt[0] == 0xFFFE:  # extensible: the sub-format's first two bytes
                fmt = (struct.unpack("<H", body[24:26])[0],) + fmt[1:]
        elif kind == b"data":
            samples = body
        at += 8 + size + (size & 1)
    if fmt is None or samples is None or fmt[2] != 32 or fmt[0] not in (1, 3):
        sys.exit(f"qtractor-clap-check: {path} is not a 32-bit WAV")
    values = struct.unpack(f"<{len(samples) // 4}{'f' if fmt[0] == 3 else 'i'}", samples)
    if fmt[0] == 1:
        values = [v / 2147483648.0 for v in values]
    channels = fmt[1]
    return channels, [values[i : i + channels] for i in range(0, len(values), channels)]


def first_sound(frames):
    return next((i for i, frame in enumerate(frames) if any(frame)), None)


def compare(recording, reference):
    rec_channels, rec = wav_frames(recording)
    ref_channels, ref = wav_frames(reference)
    if rec_channels != ref_channels:
        sys.exit("qtractor-clap-check: the recording and the render differ in channels")
    start, ref_start = first_sound(rec), first_sound(ref)
    if start is None:
        print("FAIL the recording is silent")
        return 1
    count = len(ref) - ref_start - CLIP_END_FADE
    if len(rec) - start < count:
        print(f"FAIL the recording stops {count - (len(rec) - start)} frames early")
        return 1
    largest = peak = 0.0
    for i in range(count):
        for a, b in zip(rec[start + i], ref[ref_start + i]):
            b = round(b * 2147483648.0) / 2147483648.0
            largest = max(largest, abs(a - b))
            peak = max(peak, abs(b))
    verdict = "ok  " if largest == 0.0 and peak > 0.01 else "FAIL"
    print(f"{verdict} {count} frames from recorded frame {start}: peak {peak:.4f}, "
          f"largest difference from corvane-render {largest:.3g}")
    return 0 if verdict == "ok  " else 1


def saved(session, fxp, settings):
    text = open(session, encoding="utf-8").read()
    failed = 0
    found = re.search(r'<config key="state">(.*?)</config>', text, re.S)
    if not found:
        print("FAIL the saved session holds no plug-in state")
        return 1
    blob = base64.b64decode(found.group(1))
    kept = zlib.decompress(blob[4:])
    # Qtractor keeps what the plug-in saves: its bank, then the current program's chunk.
    program = program_chunk(fxp)
    ok = kept.endswith(program)
    print(f"{'ok  ' if ok else 'FAIL'} saved state ({len(kept)} bytes) ends with the program chunk")
    failed |= not ok
    # Qt writes an element's attributes in an order of its own, not always the same.
    params = {re.search(r'index="(\d+)"', attributes).group(1): value
              for attributes, value in re.findall(r"<param ([^>]*)>([^<]*)</param>", text)}
    for setting in settings:
        index, value = setting.split("=")
        ok = index in params and float(params[index]) == float(value)
        print(f"{'ok  ' if ok else 'FAIL'} saved parameter {index} = {params.get(index)} "
              f"(expected {value})")
        failed |= not ok
    return 1 if failed else 0


if __name__ == "__main__":
    verb, args = sys.argv[1], sys.argv[2:]
    if verb == "state":
        state(*args)
    elif verb == "compare":
        sys.exit(compare(*args))
    elif verb == "saved":
        sys.exit(saved(args[0], args[1], args[2:]))
    else:
        sys.exit(__doc__)
