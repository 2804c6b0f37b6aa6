# SPDX-License-Identifier: GPL-3.0-or-later
"""keep-contexts.py LIST IN.ts OUT.ts: keeps only the translation contexts named in LIST (one a line,
'#' comments), so the program carries the toolkit's texts it can show and no others. Fails if a
named context is missing: a renamed context in a newer Qt would otherwise drop its texts silently."""
import sys
import xml.etree.ElementTree as ET

names = {line.split('#')[0].strip() for line in open(sys.argv[1], encoding='utf-8')} - {''}
tree = ET.parse(sys.argv[2])
root = tree.getroot()
found = set()
for context in list(root.findall('context')):
    name = context.findtext('name')
    if name in names:
        found.add(name)
    else:
        root.remove(context)
missing = names - found
if missing:
    sys.exit(f"keep-contexts: not in {sys.argv[2]}: {', '.join(sorted(missing))}")
tree.write(sys.argv[3], encoding='utf-8', xml_declaration=True)
