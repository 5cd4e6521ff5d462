#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Exporting every SFZ instrument Polyphone makes from Debian's TimGM6mb, against sox
# converting the same WAVs to 16-bit 44.1 kHz, file after file, in the same run: once
# as one command over the folder of instruments, once as one command per instrument
# (each a program start and a sync of its own).
#   real_material_bench.py TAMO-BINARY [--reps N]
import os, subprocess, sys, tempfile, time
from pathlib import Path

SF2 = Path('/usr/share/sounds/sf2/TimGM6mb.sf2')

def timed(commands):
    start = time.perf_counter()
    cpu = os.times()
    for command in commands:
        subprocess.run(command, check=True, capture_output=True)
    after = os.times()
    return time.perf_counter() - start, (after.children_user - cpu.children_user) + (after.children_system - cpu.children_system)

def main(tamo, reps):
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        (tmp / 'sfz').mkdir()
        subprocess.run(['polyphone', '-3', '-i', str(SF2), '-d', str(tmp / 'sfz'), '-c', '100'], check=True,
                       env=dict(os.environ, QT_QPA_PLATFORM='offscreen'), capture_output=True)
        instruments = sorted((tmp / 'sfz').rglob('*.sfz'))
        wavs = sorted((tmp / 'sfz').rglob('*.wav'))
        best = {}
        for rep in range(reps):
            best.setdefault('folder', []).append(timed([[tamo, 'export', str(instruments[0].parent), str(tmp / f'all{rep}')]]))
            out = tmp / f'tamo{rep}'
            out.mkdir()
            best.setdefault('each', []).append(
                timed([[tamo, 'export', str(s), str(out / str(i))] for i, s in enumerate(instruments)]))
            out = tmp / f'sox{rep}'
            out.mkdir()
            best.setdefault('sox', []).append(
                timed([['sox', str(w), '-b', '16', '-r', '44100', str(out / f'{i}.wav')] for i, w in enumerate(wavs)]))
        sox_wall, sox_cpu = min(best['sox'])
        print(f'{len(instruments)} instruments, {len(wavs)} WAVs, best of {reps}')
        print(f'sox, file after file:       {sox_wall:.2f} s wall, {sox_cpu:.2f} s CPU')
        for key, what in (('folder', 'TAMO export of the folder'), ('each', 'TAMO export per instrument')):
            wall, cpu = min(best[key])
            print(f'{what + ":":27} {wall:.2f} s wall, {cpu:.2f} s CPU; '
                  f'ratio to sox {wall / sox_wall:.2f} wall, {cpu / sox_cpu:.2f} CPU')

if __name__ == '__main__':
    reps = int(sys.argv[sys.argv.index('--reps') + 1]) if '--reps' in sys.argv else 3
    main(sys.argv[1], reps)
