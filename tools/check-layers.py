#!/usr/bin/env python3
"""Checks the source tree's layering.

- base/ includes only base/ and resources/; runtime/ (the facts about a Java runtime) only
  itself, base/ and resources/; jre/ and jvm/ include only themselves, runtime/, base/ and
  resources/; splash/ only itself, base/ and resources/; launcher/ may include any of them.
- The pure sources (the marlwick_pure lists of each folder's CMakeLists.txt) and every project
  header they reach include no <windows.h>.
- No two project files include each other, directly or through others.
Prints each violation and exits 1 when there is any.
"""
import os
import re
import sys

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
FOLDERS = ["base", "runtime", "jre", "jvm", "splash", "launcher"]
ALLOWED = {
    "base": {"base", "resources"},
    "runtime": {"runtime", "base", "resources"},
    "jre": {"jre", "runtime", "base", "resources"},
    "jvm": {"jvm", "runtime", "base", "resources"},
    "splash": {"splash", "base", "resources"},
    "launcher": {"launcher", "jre", "jvm", "splash", "runtime", "base", "resources"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def includes(path):
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        return INCLUDE.findall(f.read())


def sources():
    for folder in FOLDERS:
        base = os.path.join(ROOT, folder)
        if not os.path.isdir(base):
            continue
        for name in sorted(os.listdir(base)):
            if name.endswith((".h", ".cpp")):
                yield f"{folder}/{name}"


def pure_sources():
    pure = set()
    for folder in FOLDERS:
        lists = os.path.join(ROOT, folder, "CMakeLists.txt")
        if not os.path.exists(lists):
            continue
        with open(lists, encoding="utf-8") as f:
            text = f.read()
        for block in re.findall(r"target_sources\(marlwick_pure\s+PRIVATE([^)]*)\)", text):
            pure.update(f"{folder}/{name}" for name in block.split())
    return pure


def main():
    problems = []
    graph = {}
    files = list(sources())
    for path in files:
        folder = path.split("/")[0]
        graph[path] = []
        for kind, target in includes(path):
            if kind != '"':
                continue
            top = target.split("/")[0]
            if top not in ALLOWED[folder]:
                problems.append(f"{path} includes {target}: {folder}/ may include only {sorted(ALLOWED[folder])}")
            if os.path.exists(os.path.join(ROOT, target)) and top in FOLDERS:
                graph[path].append(target)

    for start in sorted(pure_sources()):
        seen, stack = set(), [start]
        while stack:
            path = stack.pop()
            if path in seen or not os.path.exists(os.path.join(ROOT, path)):
                continue
            seen.add(path)
            for kind, target in includes(path):
                if kind == "<" and target.lower() == "windows.h":
                    problems.append(f"pure source {start} reaches <windows.h> through {path}")
                elif kind == '"' and target.split("/")[0] in FOLDERS:
                    stack.append(target)

    # Cycles among the project's files. A .cpp belongs to the unit of its own header, and to the
    # header of every class whose members it defines (a file that defines Launcher:: members is
    # part of Launcher, wherever it lies).
    declared = {}
    for path in files:
        if path.endswith(".h"):
            with open(os.path.join(ROOT, path), encoding="utf-8") as f:
                for name in re.findall(r"^(?:class|struct)\s+(\w+)[^;]*\{", f.read(), re.M):
                    declared.setdefault(name, path)
    owner = {}
    for path in files:
        if path.endswith(".cpp"):
            with open(os.path.join(ROOT, path), encoding="utf-8") as f:
                defined = set(re.findall(r"^[\w:<>,*& ]*?\b(\w+)::~?\w+\(", f.read(), re.M))
            homes = {declared[name] for name in defined if name in declared}
            own = path[:-4] + ".h"
            if own not in homes and len(homes) == 1:
                owner[path] = homes.pop()

    def unit(path):
        if path in owner:
            return owner[path]
        return path[:-4] + ".h" if path.endswith(".cpp") else path

    units = {}
    for path, targets in graph.items():
        units.setdefault(unit(path), set()).update(unit(t) for t in targets if unit(t) != unit(path))
    state = {}

    def visit(node, trail):
        state[node] = 1
        for nxt in sorted(units.get(node, ())):
            if state.get(nxt) == 1:
                problems.append("include circle: " + " -> ".join(trail[trail.index(nxt):] + [nxt]))
            elif nxt not in state:
                visit(nxt, trail + [nxt])
        state[node] = 2

    for node in sorted(units):
        if node not in state:
            visit(node, [node])

    for problem in problems:
        print(problem)
    print(f"{len(files)} files checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
