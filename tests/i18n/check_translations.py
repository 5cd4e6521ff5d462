#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Each .ts file translates every text, keeps its %1..%n, and holds exactly the texts of src/."""
import pathlib, re, subprocess, sys, tempfile
import xml.etree.ElementTree as ET

def text(e):  # lupdate writes a carriage return as <byte value="xd"/>
    return (e.text or '') + ''.join(('\r' if c.tag == 'byte' else '') + (c.tail or '') for c in e)

def messages(path):
    return {(c.findtext('name'), text(m.find('source'))): m.find('translation')
            for c in ET.parse(path).getroot().iter('context') for m in c.iter('message')}

lupdate, root, faults = sys.argv[1], pathlib.Path(sys.argv[2]), []
with tempfile.TemporaryDirectory() as tmp:
    subprocess.run([lupdate, '-silent', '-no-obsolete', str(root / 'src'), '-ts', tmp + '/now.ts'], check=True)
    current = set(messages(tmp + '/now.ts'))
for ts in sorted((root / 'translations').glob('tamo_*.ts')):
    found = messages(ts)
    for key, tr in found.items():
        if tr.get('type') or not text(tr).strip() or sorted(re.findall(r'%\d+', text(tr))) != sorted(re.findall(r'%\d+', key[1])):
            faults.append(f'{ts.name}: {key} is untranslated ({tr.get("type")}) or loses a %n: {text(tr)!r}')
    faults += [f'{ts.name} lacks {k}: build the update_translations target' for k in sorted(current - set(found))]
    faults += [f'{ts.name} holds {k}, gone from src/' for k in sorted(set(found) - current)]
print('\n'.join(faults) or f'{len(current)} texts, each translated in every file')
sys.exit(1 if faults else 0)
