#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Each .ts file translates every text, keeps its %1..%n, and holds exactly the texts of src/."""
import pathlib, re, subprocess, sys, tempfile
import xml.etree.ElementTree as ET

def text(e):  # lupdate writes a carriage return as <byte value="xd"/>
    return (e.text or '') + ''.join(('\r' if c.tag == 'byte' else '') + (c.tail or '') for c in e)

def forms(t):  # a %n text has one translation per plural form
    return [text(f) for f in t.findall('numerusform')] or [text(t)]

def messages(path):
    return {(c.findtext('name'), text(m.find('source'))): m.find('translation')
            for c in ET.parse(path).getroot().iter('context') for m in c.iter('message')}

root, faults = pathlib.Path(sys.argv[2]), []
with tempfile.TemporaryDirectory() as tmp:
    subprocess.run([sys.argv[1], '-silent', '-no-obsolete', str(root / 'src'), '-ts', tmp + '/now.ts'], check=True)
    current = set(messages(tmp + '/now.ts'))
for ts in sorted((root / 'translations').glob('tamo_*.ts')):
    found = messages(ts)
    faults += [f'{ts.name}: {k} untranslated ({t.get("type")}) or its %n changed: {f!r}' for k, t in found.items() for f in forms(t)
               if t.get('type') or not f.strip() or sorted(re.findall(r'%\d+', f)) != sorted(re.findall(r'%\d+', k[1]))]
    faults += [f'{ts.name}: {k} is missing (build update_translations) or gone from src/' for k in current ^ set(found)]
print('\n'.join(faults) or f'{len(current)} texts, each translated in every file')
sys.exit(1 if faults else 0)
