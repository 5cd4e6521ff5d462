#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# End to end on material nobody here wrote: every SFZ instrument Polyphone makes from
# Debian's TimGM6mb, FluidR3's as a library and the FluidR3 and MuseScore banks, and every
# Hydrogen kit, go through `TAMO export`, read back with a reader of their own, not TAMO's.
#   real_material.py TAMO-BINARY
import os, re, shutil, struct, subprocess, sys, tempfile, time
from pathlib import Path

SF2 = Path('/usr/share/sounds/sf2/TimGM6mb.sf2')
KITS = Path('/usr/share/hydrogen/data/drumkits')
NAMES_AT, COUNT_AT, START_AT, END_AT = 20, 7, 532, 596
# Whole banks, one TAMO process each (None: FluidR3 through Polyphone, one library folder).
BANKS = [(FLUID := Path('/usr/share/sounds/sf2/FluidR3_GM.sf2'), 189), (Path('/usr/share/sounds/sf3/MuseScore_General_Lite.sf3'), 311), (None, 189)]

def chunks(data):
    at = 12
    while at + 8 <= len(data):
        tag, size = data[at:at + 4], struct.unpack_from('<I', data, at + 4)[0]
        yield tag, data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)

def read_wav(path):
    data = path.read_bytes()
    assert data[:4] == b'RIFF' and data[8:12] == b'WAVE', f'{path}: not a WAV'
    assert struct.unpack_from('<I', data, 4)[0] + 8 == len(data), f'{path}: RIFF size disagrees with the file'
    found = dict(chunks(data))
    tag, channels, rate, _, _, bits = struct.unpack_from('<HHIIHH', found[b'fmt '])
    assert (tag, rate, bits) == (1, 44100, 16) and channels in (1, 2), f'{path}: not 16-bit PCM 44.1 kHz'
    frames = len(found[b'data']) // (2 * channels)
    loops = []
    if b'smpl' in found:
        smpl = found[b'smpl']
        for k in range(struct.unpack_from('<I', smpl, 28)[0]):
            start, end = struct.unpack_from('<II', smpl, 36 + 24 * k + 8)
            assert start <= end < frames, f'{path}: loop {start}..{end} outside {frames} frames'
            loops.append((start, end))
    return data, loops

def read_msp(folder):
    msps = list(folder.glob('*.MSP'))
    assert len(msps) == 1, f'{folder}: {len(msps)} MSP files'
    rec = msps[0].read_bytes()
    assert len(rec) == 2644
    slots = []
    for k in range(rec[COUNT_AT]):
        name = rec[NAMES_AT + 8 * k:NAMES_AT + 8 * k + 8].decode('cp1252').strip()
        slots.append((name, rec[START_AT + k] + 1, rec[END_AT + k]))
    return slots

def export(tamo, source, out, *options):
    run = subprocess.run([tamo, 'export', str(source), str(out), *options], capture_output=True, text=True, timeout=600)
    assert run.returncode == 0, f'{source}: exit {run.returncode}: {run.stderr.strip()}'
    return run.stdout

def check_set(out, said):
    """Each slot's WAV there, in the keyboard's format and named for the stick, none twice; keys of two slots said."""
    files = {p.name.upper(): p for p in out.glob('*') if p.suffix.upper() == '.WAV'}
    seen, loops, slots = {}, {}, read_msp(out)
    for name, _, _ in slots:
        assert name.upper() + '.WAV' in files, f'{out}: no WAV for sample {name}'
    bad = [p.name for p in files.values() if not re.match(r'^[A-Z0-9_~-]{1,8}\.WAV$', p.name)]
    assert not bad, f'{out}: names {bad}'
    key = lambda note: 'C C# D D# E F F# G G# A A# B'.split().index(note.rstrip('-0123456789')) + 12 * int(note.lstrip('ABCDEFG#')) + 24
    named = {k for sub, keys in re.findall(r'^(?:(\S+): )?Keys (.+?) are played by more than one sample', said, re.M) if sub in ('', out.name)
             for low, high in re.findall(r'([A-G]#?-?\d+)(?:-([A-G]#?-?\d+))?', keys) for k in range(key(low), key(high or low) + 1)}
    unsaid = [k for k in range(128) if sum(low <= k <= high for _, low, high in slots) > 1 and k not in named]
    assert not unsaid, f'{out}: keys {unsaid} of two slots, unsaid'
    for upper, path in files.items():
        data, loops[upper] = read_wav(path)
        assert data not in seen, f'{out}: {upper} repeats {seen.get(data)}'
        seen[data] = upper
    return loops

def check_bank(tamo, source, out, sets_held):
    """A whole bank in one process, each set read back: nothing refused, no key of two slots unsaid."""
    started, run = time.monotonic(), subprocess.run([tamo, 'export', str(source), str(out)], capture_output=True, text=True, timeout=3000)
    sets = sorted(p for p in out.glob('*') if p.is_dir())
    print(f'{source}: {len(sets)} sets in {time.monotonic() - started:.0f} s, {run.stdout.count("more than one sample")} said overlapping')
    failures = [f'{source.name}: {line}' for line in run.stderr.splitlines() + [f'{len(sets)} sets of {sets_held}'] * (len(sets) != sets_held)]
    for folder in sets:
        try:
            check_set(folder, run.stdout)
        except AssertionError as error:
            failures.append(str(error))
    shutil.rmtree(out, ignore_errors=True) # hundreds of MB
    return failures

def region_loops(sfz):
    """(loop mode, loop length in source frames) of each region, with <group> defaults."""
    group, regions, current = {}, [], None
    for line in sfz.read_text(errors='replace').splitlines():
        line = line.split('//')[0].strip()
        if line.startswith('<'):
            current = {} if line == '<region>' else None
            if current is None:
                group = {}
            else:
                regions.append(current)
            continue
        target = current if current is not None else group
        if line.startswith('sample='):
            target['sample'] = line[len('sample='):]
            continue
        for key, value in re.findall(r'(\w+)=(\S+)', line):
            target[key] = value
        if current is not None:
            current.update({k: v for k, v in group.items() if k not in current})
    result = []
    for r in regions:
        length = None
        if 'loop_end' in r:
            wav = dict(chunks((sfz.parent / r['sample'].replace('\\', '/')).read_bytes()))
            rate = struct.unpack_from('<I', wav[b'fmt '], 4)[0]
            length = (int(r['loop_end']) - int(r['loop_start']) + 1) * 44100 / rate
        result.append((r.get('loop_mode', 'no_loop'), length))
    return result

def main(tamo, banks):
    if not SF2.exists() or not KITS.exists() or subprocess.run(['which', 'polyphone'], capture_output=True).returncode:
        print('SKIP: polyphone, timgm6mb-soundfont or hydrogen-drumkits is missing')
        return 77
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        for font, folder in ((SF2, tmp / 'sfz'), (FLUID, tmp / 'fluid')):
            folder.mkdir()
            subprocess.run(['polyphone', '-3', '-i', str(font), '-d', str(folder), '-c', '100'], env=dict(os.environ, QT_QPA_PLATFORM='offscreen'), capture_output=True)
        instruments = sorted((tmp / 'sfz').rglob('*.sfz'))
        assert len(instruments) == 136, f'{len(instruments)} instruments from Polyphone'
        for i, sfz in enumerate(instruments):
            out = tmp / f'out{i}'
            try:
                said = export(tamo, sfz, out)
                loops = check_set(out, said)
                regions = region_loops(sfz)
                looped = [m for m, _ in regions if m in ('loop_continuous', 'loop_sustain')]
                if not looped:
                    assert not any(loops.values()), f'{sfz.name}: a one-shot set keeps a loop'
                elif len(looped) == len(regions):
                    missing = [n for n, l in loops.items() if not l]
                    assert not missing, f'{sfz.name}: {missing} lost their loop'
                # Each written loop is one the SFZ gave, scaled to 44.1 kHz (a frame of rounding),
                # or one sought again on a mix of layers.
                lengths = [n for _, n in regions if n]
                others = [f'{name} loops {end - start + 1} frames' for name, written in loops.items() for start, end in written
                          if not any(abs(end - start + 1 - n) <= 1.5 for n in lengths)]
                assert len(others) <= said.count('found on the mix'), f'{sfz.name}: {others}, the SFZ none such'
            except AssertionError as error:
                failures.append(f"{sfz.name}: {error}")
        # Loops and level: a drum kit gets no loop but its files' own, not even for its
        # steady cowbell tone (Audiophob's), and one gain to -1 dBFS.
        kit = KITS / 'HardElectro1'
        try:
            said = export(tamo, KITS / 'Audiophob', tmp / 'kit3', '--find-loops').splitlines()
            looped = [l for l in said if '.WAV: ' in l and ': no loop: ' not in l and 'its own loop, kept' not in l]
            assert not looped and sum('.WAV: ' in l for l in said) > 10, f'Audiophob: looped {looped}'
            said = export(tamo, kit, tmp / 'kit2', '--find-loops', '--normalize', '--trim-silence').splitlines()
            looped = [l for l in said if '.WAV: ' in l and ': no loop: ' not in l]
            assert not looped and sum('.WAV: ' in l for l in said) > 10, f'{kit.name}: looped {looped}'
            peak = max(max(map(abs, struct.unpack(f'<{len(d) // 2}h', d))) / 32768 for d in
                       (dict(chunks(p.read_bytes()))[b'data'] for p in (tmp / 'kit2').glob('*.WAV')))
            assert abs(peak - 10 ** (-1 / 20)) < 0.003, f'{kit.name}: normalised peak {peak}'
        except AssertionError as error:
            failures.append(f'loops and level: {error}')
        # Every kit: one MSP, nothing refused, the kick (where drumkit.xml names one) on C1,
        # one key per sound, stick names; the same sounds without drumkit.xml (one named
        # "...trimo-c3") still one key each.
        plain = tmp / 'Audiophob files'
        plain.mkdir()
        for wav in (KITS / 'Audiophob').glob('*.wav'):
            (plain / wav.name).write_bytes(wav.read_bytes())
        kits = sorted(p for p in KITS.iterdir() if (p / 'drumkit.xml').exists()) + [plain]
        for i, kit in enumerate(kits):
            out = tmp / f'drums{i}'
            try:
                said = export(tamo, kit, out)
                assert 'Drum kit, one key per sound' in said, f'{kit.name}: no word on the keys: {said}'
                check_set(out, said)
                slots = read_msp(out)
                keys = [low for _, low, high in slots if low == high]
                assert len(keys) == len(slots) == len(set(keys)), f'{kit.name}: keys {slots}'
                names = re.findall(r'<name>([^<]*)</name>', (kit / 'drumkit.xml').read_text()) if kit != plain else []
                if any(re.search(r'kick|bass ?drum', n, re.I) for n in names):
                    assert 36 in keys, f'{kit.name}: no sound on C1 {slots}'
            except AssertionError as error:
                failures.append(str(error))
        for source, sets_held in BANKS if banks else []:
            if not (source or FLUID).exists():
                print(f'SKIP {source or FLUID}: not installed')
                continue
            failures += check_bank(tamo, source or tmp / 'fluid' / 'FluidR3_GM', tmp / 'bank', sets_held)
    for failure in failures:
        print('FAIL:', failure)
    print(f'{len(failures)} failed')
    return 1 if failures else 0

if __name__ == '__main__':
    sys.exit(main(sys.argv[1], '--without-banks' not in sys.argv[2:]))
