#!/usr/bin/env python3
"""Checks that every include in src/ and tools/sfxpack/ runs down the folders' layers, never up.

Each folder may include only itself and the folders listed for it below; every project include
is written with its folder from an include root, and no header includes itself round a cycle.
Prints the layers with their files and arrows; --dot prints the folder graph for Graphviz.
Exit status: 0 when the house is in order, 1 with every arrow that is not.
"""
import os
import re
import sys
from collections import defaultdict

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Folder -> the folders it may include, besides its own. Backends (system/win32, host/posix, ...)
# belong to the folder above them.
TREES = {
    "src": {
        "roots": ["src", "src/include"],
        "layers": {
            "stub": [],  # src/include/stub: what the stub shares with sfxpack
            "foundation": [],
            "system": ["foundation", "stub"],
            "archive": ["system", "foundation", "stub"],
            "launch": ["system", "foundation"],
            "driver": ["archive", "launch", "system", "foundation", "stub"],
            "resources": [],
        },
    },
    "tools/sfxpack": {
        "roots": ["tools/sfxpack", "src/include"],
        "layers": {
            "stub": [],
            "core": ["stub"],
            "pe": ["core", "stub"],
            "read": ["pe", "core", "stub"],
            # Packing maps each input file only when its turn comes, so write stands on host too.
            "write": ["read", "pe", "core", "host", "stub"],
            "host": ["core"],
            "cli": ["write", "read", "pe", "core", "host", "stub"],
        },
    },
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def layer_of(path):
    """The layer a file belongs to: its first folder below the tree, src/include/stub as stub."""
    rel = os.path.relpath(path, ROOT)
    if rel.startswith("src/include/"):
        return "src", "stub"
    for tree in ("tools/sfxpack", "src"):
        if rel.startswith(tree + "/"):
            rest = rel[len(tree) + 1:]
            return tree, rest.split("/")[0] if "/" in rest else "(top)"
    return None, None


def sources(tree):
    for folder, _, files in os.walk(os.path.join(ROOT, tree)):
        for name in files:
            if name.endswith((".h", ".cpp")):
                yield os.path.join(folder, name)


def check(tree, spec, problems):
    files = sorted(sources(tree))
    arrows = []  # (from file, to file)
    for path in files:
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for name in INCLUDE.findall(text):
            target = next((os.path.join(ROOT, r, name) for r in spec["roots"]
                           if os.path.isfile(os.path.join(ROOT, r, name))), None)
            if target is None:
                beside = os.path.join(os.path.dirname(path), name)
                where = os.path.relpath(path, ROOT)
                if os.path.isfile(beside):
                    problems.append(f"{where}: \"{name}\" does not carry its folder")
                else:
                    problems.append(f"{where}: \"{name}\" is not found on the include path")
                continue
            arrows.append((path, os.path.normpath(target)))

    layers = spec["layers"]
    folder_arrows = defaultdict(int)
    for source, target in arrows:
        _, a = layer_of(source)
        _, b = layer_of(target)
        if a == b:
            continue
        folder_arrows[(a, b)] += 1
        if a not in layers or b not in layers.get(a, []):
            problems.append(f"{os.path.relpath(source, ROOT)} -> {os.path.relpath(target, ROOT)}: "
                            f"{a} may not include {b}")

    # Cycles among headers: a depth-first walk over the include arrows.
    graph = defaultdict(list)
    for source, target in arrows:
        graph[source].append(target)
    state = {}
    floors = {}

    def walk(node, stack):
        state[node] = "open"
        depth = 0
        for nxt in graph[node]:
            if state.get(nxt) == "open":
                cycle = stack[stack.index(nxt):] + [nxt] if nxt in stack else [node, nxt]
                problems.append("include cycle: " + " -> ".join(os.path.relpath(p, ROOT) for p in cycle))
                continue
            if nxt not in state:
                walk(nxt, stack + [nxt])
            depth = max(depth, floors.get(nxt, 0))
        state[node] = "done"
        floors[node] = depth + 1

    for path in files:
        if path not in state:
            walk(path, [path])
    return files, arrows, folder_arrows, max(floors.values(), default=0)


def main():
    dot = "--dot" in sys.argv
    problems = []
    out = ["digraph includes {", "  rankdir=TB;"] if dot else []
    for tree, spec in TREES.items():
        files, arrows, folder_arrows, floors = check(tree, spec, problems)
        if dot:
            def node(layer):
                return "src/include/stub" if layer == "stub" else f"{tree}/{layer}"
            for (a, b), count in sorted(folder_arrows.items()):
                out.append(f'  "{node(a)}" -> "{node(b)}" [label={count}];')
            continue
        out.append(f"{tree}: {len(files)} files, {len(arrows)} include arrows, {floors} floors")
        by_layer = defaultdict(int)
        for path in files:
            by_layer[layer_of(path)[1]] += 1
        for layer in spec["layers"]:
            if by_layer.get(layer):
                down = sorted(b for (a, b) in folder_arrows if a == layer)
                out.append(f"  {layer:<10} {by_layer[layer]:>3} files -> {', '.join(down) or '-'}")
    if dot:
        out.append("}")
    print("\n".join(out))
    for problem in problems:
        print("include-layers: " + problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
