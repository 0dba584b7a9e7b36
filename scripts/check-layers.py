#!/usr/bin/env python3
"""Fails when an #include in src/ goes against the layer graph.

Each layer may include its own headers and those of the layers it builds on (directly or
through others); Qt headers only in the Qt realisations of the platform, the window and the
application. Prints one line per offending include: file, line, and the edge it would add.
"""
import pathlib
import re
import sys

# What each layer builds on directly; the check allows the transitive closure.
BUILDS_ON = {
    "engine": [],
    "directory/stored": ["engine"],
    "directory/memory": ["engine", "directory/stored"],
    "directory/profile": ["engine", "directory/filter"],
    "directory/dn": ["engine"],
    "directory/filter": ["directory/dn"],
    "directory/ldif": ["engine", "directory/profile", "directory/dn", "directory/stored"],
    "directory/ldap": ["engine", "directory/profile", "directory/dn"],
    "directory/source": ["directory/ldif", "directory/ldap"],
    "platform": [],
    "platform/qt": ["platform"],
    "platform/qtprint": ["platform"],
    "tree": ["platform"],
    "run": ["engine", "tree"],
    "report": ["tree"],
    "window": ["run", "report"],
    "app": ["window", "directory/source", "platform/qt", "platform/qtprint"],
    # The command-line counter prints its PDF through the Qt print realisation's plain header.
    "cli": ["run", "report", "directory/source", "platform/qtprint"],
}
QT_ALLOWED = {"platform/qt", "platform/qtprint", "window", "app"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^Q[A-Za-z]*(/|$)|^Qt")


def layer_of(relative):
    """The layer of a path relative to src/ (a file or an include), or None."""
    parts = pathlib.PurePosixPath(relative).parts
    if len(parts) < 2:
        return None
    if parts[0] in ("directory", "platform") and len(parts) > 2:
        nested = parts[0] + "/" + parts[1]
        if nested in BUILDS_ON:
            return nested
    return parts[0] if parts[0] in BUILDS_ON else None


def allowed_layers():
    closure = {}

    def visit(layer, trail):
        if layer in closure:
            return closure[layer]
        if layer in trail:
            sys.exit("check-layers: the layer graph itself has a cycle through " + layer)
        reach = {layer}
        for lower in BUILDS_ON[layer]:
            reach |= visit(lower, trail | {layer})
        closure[layer] = reach
        return reach

    for layer in BUILDS_ON:
        visit(layer, frozenset())
    return closure


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    allowed = allowed_layers()
    problems = []
    files = sorted(p for p in src.rglob("*") if p.suffix in (".h", ".cpp"))
    for path in files:
        relative = path.relative_to(src).as_posix()
        layer = layer_of(relative)
        if layer is None:
            problems.append(f"{path}: not in any layer of the graph")
            continue
        for number, text in enumerate(path.read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(text)
            if not match:
                continue
            quote, header = match.groups()
            if quote == "<":
                if QT_HEADER.match(header) and layer not in QT_ALLOWED:
                    problems.append(f"{path}:{number}: {layer} -> Qt ({header})")
                continue
            target = layer_of(header)
            if target is None:
                if (src / header).exists():
                    problems.append(f"{path}:{number}: {header} is not in any layer")
                continue
            if target not in allowed[layer]:
                problems.append(f"{path}:{number}: {layer} -> {target} ({header})")
    for problem in problems:
        print(problem)
    if problems:
        print(f"check-layers: {len(problems)} include(s) against the layer graph", file=sys.stderr)
        return 1
    print(f"check-layers: {len(files)} files follow the layer graph")
    return 0


if __name__ == "__main__":
    sys.exit(main())
