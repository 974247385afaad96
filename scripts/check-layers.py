#!/usr/bin/env python3
"""Checks that every include between the product's top-level folders points
down the house, and that the engine's rooms include each other without a
cycle. Prints the folder graph by level; exits 1 on a violation.

Usage: scripts/check-layers.py [SOURCE_DIR]
"""
import collections
import pathlib
import re
import sys

# Bottom to top; a folder may include only folders on a lower level.
LEVELS = [
    ["decoder"],
    ["engine", "runtime"],
    ["common", "about"],
    ["playlist", "equalizer"],
    ["player"],
    ["cli", "automation"],
]
LEVEL = {folder: n for n, folders in enumerate(LEVELS) for folder in folders}
SOURCES = {".c", ".cpp", ".h", ".inc", ".rc"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def includes(root):
    for path in sorted(root.rglob("*")):
        relative = path.relative_to(root)
        if path.suffix in SOURCES and relative.parts[0] in LEVEL:
            for target in INCLUDE.findall(path.read_text(errors="replace")):
                yield relative, pathlib.PurePosixPath(target)


def find_cycle(graph):
    state = {}

    def visit(node, trail):
        state[node] = "open"
        for nxt in sorted(graph[node]):
            if state.get(nxt) == "open":
                return trail[trail.index(nxt):] + [nxt] if nxt in trail else [node, nxt]
            if nxt not in state:
                found = visit(nxt, trail + [nxt])
                if found:
                    return found
        state[node] = "done"
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node, [node])
            if found:
                return found
    return None


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    folders = collections.defaultdict(set)
    rooms = collections.defaultdict(set)
    problems = []
    for source, target in includes(root):
        top = source.parts[0]
        if len(target.parts) < 2 or target.parts[0] not in LEVEL or target.parts[0] == top:
            if top == "engine" and target.parts[0] == "engine" and len(source.parts) > 2 and len(target.parts) > 2:
                if source.parts[1] != target.parts[1]:
                    rooms[source.parts[1]].add(target.parts[1])
            continue
        folders[top].add(target.parts[0])
        if LEVEL[target.parts[0]] >= LEVEL[top]:
            problems.append(f"{source} includes {target}: {target.parts[0]}/ is not below {top}/")
    for name, graph in (("folders", folders), ("engine rooms", rooms)):
        cycle = find_cycle(collections.defaultdict(set, graph))
        if cycle:
            problems.append(f"a cycle between {name}: {' -> '.join(cycle)}")
    for n in reversed(range(len(LEVELS))):
        for folder in LEVELS[n]:
            print(f"level {n}  {folder + '/':12} -> {', '.join(sorted(folders[folder])) or '-'}")
    for room in sorted(rooms):
        print(f"engine/{room + '/':12} -> {', '.join(sorted(rooms[room]))}")
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
