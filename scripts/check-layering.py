#!/usr/bin/env python3
"""Checks the include graph against the layering: a folder includes only folders below it, and
no two components (a header with its source) include each other. Prints every include that breaks
it; exit status 1 if any."""
import os, re, sys

# Lowest first. A folder may include its own files and those of the folders it lists.
LAYERS = {
    'platform': [],
    'data': ['platform'],
    'session': ['platform', 'data'],
    'controls': ['platform', 'data'],
    'reports': ['platform', 'data', 'controls'],
    'settlement': ['platform', 'data'],
    'billing': ['platform', 'data'],
    'settlement/windows': ['platform', 'data', 'session', 'reports', 'settlement', 'controls', 'billing'],
    'register': ['platform', 'data', 'session', 'controls'],
    'billing/window': ['platform', 'data', 'session', 'controls', 'reports', 'settlement', 'settlement/windows', 'billing'],
    'closing': ['platform', 'data', 'session', 'controls', 'reports', 'billing', 'billing/window'],
    'extrato': ['platform', 'data', 'session', 'controls', 'reports', 'settlement', 'settlement/windows', 'billing',
                'billing/window'],
    'app': ['platform', 'data', 'session', 'controls', 'reports', 'settlement', 'settlement/windows', 'register',
            'closing', 'extrato', 'billing', 'billing/window'],
}

root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..'))
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(path):
    d = os.path.dirname(path)
    return d if d in LAYERS else None


graph = {}
for folder in LAYERS:
    for name in sorted(os.listdir(os.path.join(root, folder))):
        if name.endswith(('.h', '.cpp')):
            path = f'{folder}/{name}'
            with open(os.path.join(root, path), encoding='utf-8') as f:
                graph[path] = [i for i in include.findall(f.read()) if '/' in i]

faults = []
for path, targets in graph.items():
    mine = folder_of(path)
    for t in targets:
        theirs = folder_of(t)
        if theirs is None or theirs == mine:
            continue
        if theirs not in LAYERS[mine]:
            faults.append(f'{path} includes {t}: {theirs} is not below {mine}')
components = {}
for path, targets in graph.items():
    mine = os.path.splitext(path)[0]
    components.setdefault(mine, set()).update(os.path.splitext(t)[0] for t in targets)
for c, targets in sorted(components.items()):
    for t in sorted(targets):
        if c < t and c in components.get(t, set()):
            faults.append(f'{c} and {t} include each other')

for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
