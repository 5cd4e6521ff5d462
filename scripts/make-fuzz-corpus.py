#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the seed corpora of the fuzz targets into tests/fuzz/corpus/<target>/ (run by hand).

The seeds start from the example files the tests generate (examples/) and add the
malformed shapes each reader must survive. Run from anywhere; the old seeds are
replaced. Every seed stays a few KiB at most.
"""

import os
import shutil
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HERE = os.path.join(ROOT, "tests", "fuzz")
EXAMPLES = os.path.join(ROOT, "examples")
CORPUS = os.path.join(HERE, "corpus")


def example(name):
    with open(os.path.join(EXAMPLES, name), "rb") as f:
        return f.read()


def le32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def le16(v):
    return struct.pack("<H", v & 0xFFFF)


# ---- WAV


def chunk(tag, body, pad=True):
    out = tag + le32(len(body)) + body
    if pad and len(body) % 2:
        out += b"\0"
    return out


def fmt_body(fmt=1, channels=1, rate=22050, bits=16, align=None, byte_rate=None):
    align = channels * bits // 8 if align is None else align
    byte_rate = rate * align if byte_rate is None else byte_rate
    return le16(fmt) + le16(channels) + le32(rate) + le32(byte_rate) + le16(align) + le16(bits)


def riff(chunks, size=None, tag=b"RIFF", form=b"WAVE"):
    size = len(chunks) + 4 if size is None else size
    return tag + le32(size) + form + chunks


def sine_payload(samples):
    # The first samples of the example tone, repeated as needed.
    src = example("SINEC3.WAV")[44:]
    out = b""
    while len(out) < 2 * samples:
        out += src
    return out[: 2 * samples]


def wav(payload, fmt=None, extra=b"", trailer=b""):
    fmt = fmt_body() if fmt is None else fmt
    return riff(chunk(b"fmt ", fmt) + extra + chunk(b"data", payload)) + trailer


def wav_seeds():
    p = sine_payload(200)  # 400 bytes
    canonical = wav(p)
    s = {}
    s["canonical.wav"] = canonical
    s["example-start.wav"] = example("SINEC3.WAV")[:1024]  # the example cut inside its data
    for n in (0, 1, 3, 4, 8, 11, 12, 16, 20, 24, 30, 35, 36, 40, 43, 44, 45):
        s["prefix-%02d.wav" % n] = canonical[:n]
    s["cut-in-fmt.wav"] = canonical[:27]
    s["cut-in-data.wav"] = canonical[:44 + 101]
    s["rifx.wav"] = b"RIFX" + canonical[4:]
    s["rf64.wav"] = b"RF64" + le32(0xFFFFFFFF) + canonical[8:]
    s["not-wave.wav"] = canonical[:8] + b"AVI " + canonical[12:]
    s["not-riff.wav"] = b"JUNK" + canonical[4:]
    for name, size in (("0", 0), ("small", 20), ("large", len(canonical) * 3), ("ffffffff", 0xFFFFFFFF)):
        s["riff-size-%s.wav" % name] = canonical[:4] + le32(size) + canonical[8:]
    s["fmt-size-0.wav"] = riff(chunk(b"fmt ", b"") + chunk(b"data", p[:64]))
    s["fmt-size-14.wav"] = riff(chunk(b"fmt ", fmt_body()[:14]) + chunk(b"data", p[:64]))
    s["fmt-size-18.wav"] = riff(chunk(b"fmt ", fmt_body() + le16(0)) + chunk(b"data", p[:64]))
    s["fmt-size-40.wav"] = riff(chunk(b"fmt ", le16(0xFFFE) + fmt_body()[2:] + le16(22) + bytes(22))
                                + chunk(b"data", p[:64]))
    s["channels-0.wav"] = wav(p[:64], fmt_body(channels=0, align=2))
    s["align-0.wav"] = wav(p[:64], fmt_body(align=0))
    s["bits-0.wav"] = wav(p[:64], fmt_body(bits=0, align=2))
    s["rate-0.wav"] = wav(p[:64], fmt_body(rate=0))
    s["8-bit.wav"] = wav(bytes((i * 7) & 0xFF for i in range(101)), fmt_body(bits=8))
    s["24-bit.wav"] = wav(p[:66] + b"\0" * 6, fmt_body(bits=24))
    s["32-bit.wav"] = wav(p[:64], fmt_body(bits=32, channels=2))
    s["float.wav"] = wav(struct.pack("<8f", 0.0, 0.5, 1.0, -1.0, 0.25, -0.5, 2.0, -2.0), fmt_body(fmt=3, bits=32))
    s["data-size-0.wav"] = wav(b"")
    s["data-size-odd-padded.wav"] = wav(p[:63], trailer=b"")
    s["data-size-odd-unpadded.wav"] = riff(chunk(b"fmt ", fmt_body()) + chunk(b"data", p[:63], pad=False)
                                           + chunk(b"smpl", bytes(60)))
    for name, size in (("past-end", 1000), ("7fffffff", 0x7FFFFFFF), ("ffffffff", 0xFFFFFFFF),
                       ("80000000", 0x80000000), ("minus-2", -2)):
        s["data-size-%s.wav" % name] = canonical[:40] + le32(size) + canonical[44:]
    odd = chunk(b"LIST", b"INFOICMT\x05\0\0\0odd!\0", pad=True)
    s["odd-chunk-padded.wav"] = wav(p[:64], extra=odd)
    s["odd-chunk-unpadded.wav"] = wav(p[:64], extra=chunk(b"LIST", b"INFOICMT\x05\0\0\0odd!\0", pad=False))
    s["chunk-size-fffffff8.wav"] = riff(chunk(b"fmt ", fmt_body()) + b"JUNK" + le32(0xFFFFFFF8) + bytes(8)
                                        + chunk(b"data", p[:64]))
    s["data-in-list.wav"] = wav(p[:64], extra=chunk(b"LIST", b"INFOICMT\x0c\0\0\0data\x10\0\0\0xxxx"))
    s["list-26.wav"] = wav(p[:64], extra=chunk(b"LIST", b"INFOISFT\x0e\0\0\0Lavf58.76.100\0"))
    s["duplicate-fmt.wav"] = riff(chunk(b"fmt ", fmt_body()) + chunk(b"fmt ", fmt_body(channels=2, bits=8))
                                  + chunk(b"data", p[:64]))
    s["duplicate-data.wav"] = riff(chunk(b"fmt ", fmt_body()) + chunk(b"data", p[:32]) + chunk(b"data", p[32:96]))
    s["data-first.wav"] = riff(chunk(b"data", p[:64]) + chunk(b"fmt ", fmt_body()))
    s["data-at-0.wav"] = b"data" + le32(8) + p[:8]
    s["dat-in-last-3.wav"] = riff(chunk(b"fmt ", fmt_body())) + b"dat"
    s["data-in-last-4.wav"] = riff(chunk(b"fmt ", fmt_body())) + b"data"
    s["data-in-last-6.wav"] = riff(chunk(b"fmt ", fmt_body())) + b"data\x10\0"
    s["trailer-zeros.wav"] = wav(p[:64], trailer=b"\0s\xb0\0smpl")
    s["smpl-after.wav"] = wav(p[:64], extra=chunk(b"LIST", b"INFO"), trailer=chunk(b"smpl", bytes(60)))
    s["block-headers.wav"] = canonical[:44] + b"BLOCKHDR" + p[:300]
    # Found by fuzzing: a size of 0x7FFFFFFF in the last bytes overflowed the sampler loop.
    s["sampler-size-7fffffff.wav"] = bytes.fromhex("642d006300ffffff7f")
    return s


def wav_edit_seeds():
    base = wav(sine_payload(64))
    s = {}
    for name, edits in (("size-max", b"11=2147483647"), ("size-min", b"11=-2147483648"),
                        ("size-negative", b"11=-60\n12=trailer"), ("size-text", b"11=12ab"),
                        ("channels-over", b"5=32768"), ("tags", b"1=WAVEWAVE\n2=fm\n10=dat\xc3\xa9"),
                        ("trailer-degree", b"12=\xc2\xb0x\xc2\xb0"), ("no-data", b"10=\n11=\n12=")):
        s["edit-%s.wav" % name] = base + b"\n#EDIT#\n" + edits
    return s


# ---- MSP


def new_msp():
    rec = bytearray(2644)
    rec[0:6] = b"TAMO00"
    rec[14] = 64
    rec[19] = 64
    for k in range(64):
        rec[596 + k] = 127
        rec[660 + k] = 127
        rec[724 + k] = 20
        rec[788 + k] = 127
        rec[852 + k] = 52
        rec[916 + 3 * k + 2] = 60
        rec[1876 + k] = 127
        rec[2068 + k] = 96
    return bytes(rec)


def msp_seeds():
    sines = example("SINES.MSP")
    s = {}
    s["sines.msp"] = sines
    s["new.msp"] = new_msp()
    s["empty.msp"] = b""
    s["magic-only.msp"] = b"TAMO00"
    s["cut-100.msp"] = sines[:100]
    s["cut-2643.msp"] = sines[:2643]
    s["longer.msp"] = sines + b"tail bytes past the record"
    s["lowercase-magic.msp"] = b"tamo00" + sines[6:]
    for count in (64, 65, 255):
        s["count-%d.msp" % count] = sines[:7] + bytes([count]) + sines[8:]
    odd = bytearray(sines)
    odd[9] = 0x83      # rotor on, effect 3
    odd[13] = 254      # octave -2
    odd[916 + 1] = 252 # fine 99
    odd[916 + 0] = 7   # pitch mode outside 0..1
    odd[20:28] = b"\0\0\0\0\0\0\0\0"
    s["odd-values.msp"] = bytes(odd)
    names = bytearray(sines)
    names[28:36] = b"../x    "
    names[36:44] = b"A\0B     "
    names[44:52] = b"\x80\x9f\xff\xb0    "
    s["odd-names.msp"] = bytes(names)
    return s


def msp_view_seeds():
    s = msp_seeds()
    # The record, then the first sample's WAV file (SINEC3).
    wavs = wav_seeds()
    sines = example("SINES.MSP")
    for name in ("canonical.wav", "data-size-ffffffff.wav", "prefix-43.wav", "data-in-list.wav"):
        s["sines+" + name.replace(".wav", "") + ".msp"] = sines + wavs[name]
    return s


# ---- USD and USV


def checksum(body):
    total = sum(body)
    low = total % 256
    high = ((total % 65536 + low) // 256) % 256
    return bytes([high, low])


def bank(magic, version, body, good=True):
    cs = checksum(body)
    if not good:
        cs = bytes([cs[0], cs[1] ^ 0x5A])
    return magic + bytes([version]) + cs + body


def entry(name, size, seed):
    out = name.ljust(12, b" ")[:12]
    return out + bytes((seed * 37 + i * 11) & 0xFF for i in range(12, size))


def usd_seeds():
    kits1 = example("KITS1.USD")
    s = {}
    s["kits1.usd"] = kits1
    s["kits2.usd"] = example("KITS2.USD")
    s["empty.usd"] = b""
    s["header-5.usd"] = b"KUSD\x03"
    s["header-only.usd"] = b"KUSD\x03\0\0"
    s["version-char.usd"] = b"KUSD3" + kits1[5:]
    s["bad-checksum.usd"] = kits1[:6] + bytes([kits1[6] ^ 0x5A]) + kits1[7:]
    s["one-extra.usd"] = kits1 + b"x"
    s["one-short.usd"] = kits1[:-1]
    # An entry sum at 65408 or more: the high byte overflows.
    s["checksum-overflow.usd"] = bank(b"KUSD", 3, bytes([0xFF] * 256) + bytes([128]) + bytes(460 - 257))
    s["zero-names.usd"] = bank(b"KUSD", 3, bytes(460))
    return s


def usv_seeds():
    v1 = example("VOICES1.USV")
    s = {}
    s["voices1.usv"] = v1
    s["voices2.usv"] = example("VOICES2.USV")
    s["empty.usv"] = b""
    s["header-only.usv"] = b"KUSV\0\0\0"
    voices = [entry(b"Voice %d" % i, 48, i) for i in range(3)]
    tagged = [entry(b"Entry %d" % j, 32, 100 + j) for j in range(5)]
    body = b"".join(voices) + b"KORG1  " + b"".join(tagged)
    s["3-and-5.usv"] = bank(b"KUSV", 0, body)
    s["bad-checksum.usv"] = bank(b"KUSV", 0, body, good=False)
    inner = bytearray(voices[1])
    inner[20:25] = b"KORG1"
    s["korg1-in-voice.usv"] = bank(b"KUSV", 0, voices[0] + bytes(inner) + voices[2] + b"KORG1  " + tagged[0])
    s["no-tag-48.usv"] = bank(b"KUSV", 0, b"".join(voices))
    s["no-tag-odd.usv"] = bank(b"KUSV", 0, b"".join(voices) + b"x")
    s["tag-first.usv"] = bank(b"KUSV", 0, b"KORG1  " + b"".join(tagged))
    s["tag-only.usv"] = bank(b"KUSV", 0, voices[0] + b"KORG1  ")
    s["tail-10.usv"] = bank(b"KUSV", 0, body + bytes(10))
    s["tail-16.usv"] = bank(b"KUSV", 0, b"".join(voices) + b"KORG1  " + b"".join(tagged[:2]) + bytes(16))
    s["tail-17.usv"] = bank(b"KUSV", 0, body + bytes(17))
    s["tag-cut.usv"] = bank(b"KUSV", 0, voices[0] + b"KORG1")
    s["odd-tag.usv"] = bank(b"KUSV", 0, voices[0] + b"KORG1\xff\0" + tagged[0])
    s["version-char.usv"] = b"KUSV0" + v1[5:]
    return s


def sfz_seeds():
    # The fuzz target makes a.wav beside the text, so some regions import.
    return {
        "layers.sfz": b"<control> default_path=.\\ octave_offset=-1\n#define $K c#5\n"
                      b"<global> ampeg_release=0.3 cutoff=900 <group> hivel=64\n"
                      b"<region> sample=a.wav lokey=$K hikey=e5 tune=-30 volume=-3\n"
                      b"<group> lovel=65 <region> sample=A.WAV key=60 transpose=2 seq_position=1\n",
        "comments.sfz": b"/* a\n<region> */ <region> sample=My a.wav // x\r\n<master> <region> sample=a.wav key=db-1",
        "bad.sfz": b"<region> sample=a.wav\n<region lokey=1\n",
        "slips.sfz": b"<region> label_cc30= sample=a.wav #define $X 61\n<region> sw_up=h4 key=$X sample=a.wav"
                     b" sw_last=24 sw_lokey=24 sw_hikey=25\n<region> sw_last=25 sw_default=25 sample=a.wav key=62\n",
        "loops.sfz": b"<group> loop_mode=loop_continuous offset=10 <region> sample=a.wav end=99 loop_start=20"
                     b" loop_end=49 pitch_keycenter=sample tune=250 trigger=first\n"
                     b"<region> sample=a.wav loop_mode=one_shot loopstart=5 loopend=9 offset=5000\n",
        # A long run of spaces inside a value, not followed by a name=.
        "spaces.sfz": b"<region> sample=a" + b" " * 3800 + b"b.wav key=60\n",
        # Each define doubles the one before, in both orders.
        "bomb.sfz": b"#define $A0 <region>sample=a.wav\n"
                    + b"".join(b"#define $A%d $A%d$A%d\n" % (i, i - 1, i - 1) for i in range(1, 40)) + b"$A39\n",
        "bomb-reversed.sfz": b"".join(b"#define $A%d $A%d$A%d\n" % (i, i - 1, i - 1) for i in range(39, 0, -1))
                             + b"#define $A0 <region>sample=a.wav\n$A39\n",
        # Every region holds a <group> of 5000 opcodes.
        "big-group.sfz": b"#define $O " + b"a=1 " * 10 + b"\n#define $P " + b"$O " * 10 + b"\n#define $Q " + b"$P " * 10
                         + b"\n<group> " + b"$Q " * 5 + b"\n" + b"<region>" * 120 + b"\n",
        # Files split at NUL: the first includes 1.sfz ten times, and so on down (the
        # tests take it to the cap on regions; here it stays quick).
        "fanout.sfz": b"\0".join([b'#include "%d.sfz"\n' % (i + 1) * 10 for i in range(3)] + [b"<region> sample=a.wav\n"]),
    }


def sf2_bank(version=2, smpl_bytes=None):
    """A bank of one preset: a global zone and a stereo pair of looped zones."""
    def name(text):
        return text.encode().ljust(20, b"\0")[:20]

    def gens(pairs):
        return b"".join(le16(op) + le16(amount) for op, amount in pairs)

    frames = 64
    smpl = smpl_bytes if smpl_bytes is not None else b"".join(le16(i * 300) for i in range(frames)) * 2 + b"\0" * 92
    shdr = b""
    for i, (label, kind) in enumerate([(b"Left", 4), (b"Right", 2)]):
        start = i * frames
        shdr += name(label.decode()) + le32(start) + le32(start + frames) + le32(start + 8) + le32(start + 40)
        shdr += le32(22050) + bytes([60, 0xF6]) + le16(1 - i) + le16(kind)
    shdr += name("EOS") + b"\0" * 26
    # Instrument: global (coarse -1, loop), left (pan -500), right (pan 500, root 62).
    igen = gens([(51, 0xFFFF), (54, 1)]) + gens([(17, 0xFE0C), (43, 0x7F00), (53, 0)])
    igen += gens([(17, 500), (58, 62), (53, 1)]) + b"\0" * 4
    ibag = le16(0) + le16(0) + le16(2) + le16(0) + le16(5) + le16(0) + le16(8) + le16(0)
    pgen = gens([(44, 0x7F40), (48, 30), (41, 0)]) + b"\0" * 4
    pbag = le16(0) + le16(0) + le16(3) + le16(0)
    phdr = name("Piano") + le16(0) + le16(0) + le16(0) + b"\0" * 12
    phdr += name("EOP") + le16(0) + le16(0) + le16(1) + b"\0" * 12
    inst = name("Inst") + le16(0) + name("EOI") + le16(3)
    pdta = b"pdta" + chunk(b"phdr", phdr) + chunk(b"pbag", pbag) + chunk(b"pmod", b"\0" * 10) + chunk(b"pgen", pgen)
    pdta += chunk(b"inst", inst) + chunk(b"ibag", ibag) + chunk(b"imod", b"\0" * 10) + chunk(b"igen", igen)
    pdta += chunk(b"shdr", shdr)
    info = b"INFO" + chunk(b"ifil", le16(version) + le16(1)) + chunk(b"INAM", b"Seed\0")
    body = b"sfbk" + chunk(b"LIST", info) + chunk(b"LIST", b"sdta" + chunk(b"smpl", smpl)) + chunk(b"LIST", pdta)
    return chunk(b"RIFF", body)


def sf2_seeds():
    good = sf2_bank()
    return {
        "stereo.sf2": good,
        "truncated.sf2": good[:-40],
        # SF3: the sample data is no Ogg stream, so decoding must fail cleanly.
        "not-vorbis.sf3": sf2_bank(3, b"OggS" + b"\1" * 400),
    }


def write(target, seeds):
    folder = os.path.join(CORPUS, target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in sorted(seeds.items()):
        assert len(data) <= 4096, (target, name, len(data))
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def main():
    wavs = wav_seeds()
    write("fuzz_msp_record", msp_seeds())
    write("fuzz_msp_view", msp_view_seeds())
    write("fuzz_usd", usd_seeds())
    write("fuzz_usv", usv_seeds())
    write("fuzz_wav_view", {**wavs, **wav_edit_seeds()})
    write("fuzz_wav_panel", wavs)
    write("fuzz_sfz", sfz_seeds())
    write("fuzz_sf2", sf2_seeds())


if __name__ == "__main__":
    main()
