#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Plants realistic one-line faults, one at a time, and records which tests catch each.

A development aid, run by hand (not part of the test command):
    scripts/plant-faults.py SOURCE_TREE BUILD_DIR [--only N,N]
SOURCE_TREE is a checkout whose src/ matches the faults below; BUILD_DIR a configured
build of it. Every fault is reverted after its run; the tree is left as it was found.
Prints one line per fault: its number, whether it was caught, and the failing tests.
"""
import pathlib, re, subprocess, sys

FAULTS = [
    # (file, original text, faulty text, what a developer might plausibly get wrong)
    ("src/msp/valueformats.cpp", "    return NoteName(int(v) + 1);", "    return NoteName(int(v));", "start note off by one"),
    ("src/msp/valueformats.cpp", "    if (2 * r > den || (2 * r == den && q % 2 != 0))", "    if (2 * r >= den)", "rounding half up instead of to even"),
    ("src/msp/valueformats.cpp", "    case ValueFormat::Reverse96: return asByte(96 - p);", "    case ValueFormat::Reverse96: return asByte(99 - p);", "wrong reverse constant"),
    ("src/msp/valueformats.cpp", "        return quint8((old & 0xf0) + p);", "        return quint8(p);", "low nibble drops the high nibble"),
    ("src/msp/valueformats.cpp", "    if (v < 0 || v > 255)", "    if (v < 0 || v > 256)", "byte range check off by one"),
    ("src/msp/msprecord.cpp", "    case SampleField::Decay: return kDecayOffset + index;", "    case SampleField::Decay: return kSustainOffset + index;", "swapped field offsets"),
    ("src/msp/msprecord.cpp", "    return slot >= 1 && slot <= kMaxSamples;", "    return slot >= 1 && slot < kMaxSamples;", "last slot rejected"),
    ("src/msp/msprecord.cpp", "    record.setGlobal(GlobalField::FineTune, 64);", "    record.setGlobal(GlobalField::FineTune, 0);", "wrong new-document default"),
    ("src/bank/bankformat.cpp", "    const quint32 high = ((sum % 65536 + low) / 256) % 256;", "    const quint32 high = ((sum % 65536) / 256) % 256;", "checksum carry dropped"),
    ("src/bank/bankformat.cpp", "           && byteAt(bytes, kCheckLowOffset) == sum.low;", "           || byteAt(bytes, kCheckLowOffset) == sum.low;", "checksum check half done"),
    ("src/usv/usvfile.cpp", "    if (voiceBytes < 0 || voiceBytes % kVoiceSize != 0) {", "    if (voiceBytes < 0) {", "USV length check dropped"),
    ("src/wav/wavinfo.cpp", "    v.after = v.length - v.dataSize - d - 8;", "    v.after = v.length - v.dataSize - d;", "trailer length off by the chunk header"),
    ("src/wav/wavinfo.cpp", "    const qint64 afterStart = d + 8 + v.dataSize;", "    const qint64 afterStart = d + v.dataSize;", "trailer read from the wrong offset"),
    ("src/util/atomicfile.cpp", "    if (!m_file.commit()) {", "    if (m_file.commit(), false) {", "failed commit reported as success"),
    ("src/util/replacechar.cpp", "        rest += before + 1;", "        rest += before;", "replacement does not skip the replaced byte"),
    ("src/util/shortname.cpp", "rest.left(dot)).left(3);", "rest.left(dot)).left(4);", "short-name prefix one character too long"),
    ("src/msp/msprecord.cpp", "    for (int j = slot; j < kMaxSamples; ++j)", "    for (int j = slot + 1; j < kMaxSamples; ++j)", "removal leaves the removed sample"),
    ("src/export/soundimport.cpp", "        if (record.sampleCount() >= msp::kMaxSamples) {", "        if (record.sampleCount() > msp::kMaxSamples) {", "65th sample accepted"),
    ("src/msp_editor/parametertable.cpp", "SampleField::Release, K::Slider, F::Reverse96, 0, 64, -300),", "SampleField::Release, K::Slider, F::Reverse96, 0, 96, -300),", "wrong slider range"),
    ("src/msp_editor/valueslider.cpp", "    const double exact = maximum + double(int(minimum) - int(maximum)) * y / H;", "    const double exact = minimum + double(int(maximum) - int(minimum)) * y / H;", "slider upside down"),
    ("src/msp_editor/keypicker.cpp", "    choose(int(std::floor(X / kOctave)) * 12 + k);", "    choose(int(std::floor(X / kOctave)) * 12 + k + 1);", "picked note off by one"),
]

def main():
    tree = pathlib.Path(sys.argv[1]).resolve()
    build = pathlib.Path(sys.argv[2]).resolve()
    only = None
    if "--only" in sys.argv:
        only = {int(n) for n in sys.argv[sys.argv.index("--only") + 1].split(",")}
    for number, (rel, old, new, why) in enumerate(FAULTS, 1):
        if old is None or (only and number not in only):
            continue
        path = tree / rel
        text = path.read_text()
        if text.count(old) != 1:
            print(f"{number:2} NOT PLANTED ({rel}: text not found once) - {why}", flush=True)
            continue
        path.write_text(text.replace(old, new))
        try:
            built = subprocess.run(["cmake", "--build", str(build), "-j2"], capture_output=True, text=True)
            if built.returncode != 0:
                print(f"{number:2} caught by the build - {why}", flush=True)
                continue
            run = subprocess.run(["ctest", "--test-dir", str(build), "-j2", "-E", "smoke|playit", "--timeout", "300"],
                                 capture_output=True, text=True, env={**__import__("os").environ, "QT_QPA_PLATFORM": "offscreen"})
            # CTest's closing list: "<tab> 12 - test_name (Failed)", also for aborts and crashes.
            failed = [m.group(1) for m in re.finditer(r"^\s+\d+ - (\S+) \(", run.stdout, re.M)]
            verdict = "caught" if failed else "MISSED"
            print(f"{number:2} {verdict:6} {' '.join(sorted(set(failed)))} - {why}", flush=True)
        finally:
            path.write_text(text)
    subprocess.run(["cmake", "--build", str(build), "-j2"], capture_output=True)

if __name__ == "__main__":
    main()
