#!/usr/bin/env python3
"""Fails on an #include that goes up the game's layer order.

The game's folders, bottom to top:
  common <- platform <- sound <- render <- world <- play <- content <- persist <- net <- ui <- game
A folder includes its own headers and those of folders below it, never above.
launcher/, server/ and tools/ stand apart: they use only common/ and platform/
(and their own files).

scripts/layer-allowlist.txt lists the upward includes still to be mended, one
"file -> included" per line. The list may only shrink: an upward include not in
it fails, and so does an entry that no longer happens (take it out).

With --archives BUILD_DIR it checks the built libraries instead: a symbol
that a folder's library uses and a library above it defines is a call up the
order (the static libraries link in order, but an object that something else
already pulled in would hide it). No allowlist there: it must stay clean.

Usage: scripts/check-layers.py [--report | --archives BUILD_DIR]
"""
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ORDER = ["common", "platform", "sound", "render", "world", "play", "content", "persist", "net", "ui", "game"]
APART = ["launcher", "server", "tools"]
RANK = {name: i for i, name in enumerate(ORDER)}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCE_SUFFIXES = (".cpp", ".h", ".hpp", ".c", ".inc")


def source_files():
    for top in ORDER + APART:
        base = os.path.join(ROOT, top)
        if not os.path.isdir(base):
            continue
        for folder, _dirs, files in os.walk(base):
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.relpath(os.path.join(folder, name), ROOT)


def upward_includes():
    found = []
    for path in source_files():
        own = path.split(os.sep)[0]
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
            for line in f:
                m = INCLUDE.match(line)
                if not m:
                    continue
                target = m.group(1)
                # The backends' own helpers are not part of the seam.
                if target == "platform/backend_common.h" and own != "platform":
                    found.append((path, target))
                    continue
                layer = target.split("/")[0] if "/" in target else None
                if layer is None or layer == own:
                    continue
                if own in APART:
                    if layer in RANK and layer not in ("common", "platform"):
                        found.append((path, target))
                elif layer in APART:
                    found.append((path, target))
                elif layer in RANK and RANK[layer] > RANK[own]:
                    found.append((path, target))
    return found


# An assignment to the input snapshot: plat_input.x = , plat_input.x[i] += ...
INPUT_WRITE = re.compile(r'\bplat_input\s*\.\s*\w+(\s*\[[^\]]*\])*\s*([-+*/|&]?=)(?!=)'
                         r'|\b(memset|memcpy)\s*\(\s*&?\s*plat_input\b')


def input_writes():
    """Only platform/ fills the frame's input and only game/ routes it: a write
    anywhere else takes a key from whoever comes after."""
    found = []
    for path in source_files():
        own = path.split(os.sep)[0]
        if own in ("platform", "game") or own in APART:
            continue
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                code = line.split("//", 1)[0]
                if INPUT_WRITE.search(code):
                    found.append(f"{path}:{number}")
    return found


def read_allowlist(name):
    allowed = set()
    if not os.path.exists(name):
        return allowed
    with open(name, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            left, _, right = line.partition("->")
            allowed.add((left.strip(), right.strip()))
    return allowed


def archive_symbols(path, *flags):
    """(member, kind, symbol) for each line of nm -A: "lib.a:member.o:ADDRESS KIND NAME"."""
    prefix = path + ":"
    out = subprocess.run(["nm", "-C", "-A", *flags, path], capture_output=True, text=True, check=True).stdout
    for line in out.splitlines():
        if not line.startswith(prefix):
            continue
        member, _, rest = line[len(prefix):].partition(":")
        if rest.lstrip().startswith("U "):
            yield member, "U", rest.lstrip()[2:].strip()
            continue
        fields = rest.split(None, 2)
        if len(fields) == 3:
            yield member, fields[1], fields[2]


def upward_calls(build_dir):
    defined = {}
    for layer in ORDER:
        path = os.path.join(build_dir, f"libtervanne_{layer}.a")
        for _member, kind, name in archive_symbols(path, "--defined-only"):
            if kind in "TDBR":  # code and data, not weak or inline copies
                defined.setdefault(name, layer)
    found = []
    for layer in ORDER:
        path = os.path.join(build_dir, f"libtervanne_{layer}.a")
        for member, _kind, name in archive_symbols(path, "-u"):
            owner = defined.get(name)
            if owner and RANK[owner] > RANK[layer]:
                found.append(f"{layer}/{member} uses {name} from {owner}/")
    return found


def main():
    if "--archives" in sys.argv:
        found = upward_calls(sys.argv[sys.argv.index("--archives") + 1])
        for line in sorted(set(found)):
            print("FAIL:", line)
        if found:
            return 1
        print("PASS: no library calls a layer above its own")
        return 0
    found = upward_includes()
    if "--report" in sys.argv:
        pairs = {}
        for path, target in found:
            key = (path.split(os.sep)[0], target.split("/")[0])
            pairs[key] = pairs.get(key, 0) + 1
        for (a, b), n in sorted(pairs.items(), key=lambda kv: -kv[1]):
            print(f"{a} -> {b}: {n}")
        print(f"{len(found)} upward include(s)")
        return 0
    allowlist = os.path.join(ROOT, "scripts", "layer-allowlist.txt")
    allowed = read_allowlist(allowlist)
    found_set = set(found)
    new = [pair for pair in found if pair not in allowed]
    gone = sorted(allowed - found_set)
    for path, target in new:
        print(f"FAIL: {path} includes {target}, a layer above its own")
    for path, target in gone:
        print(f"FAIL: {path} -> {target} is mended: take it out of scripts/layer-allowlist.txt")
    writes = input_writes()
    for place in writes:
        print(f"FAIL: {place} writes plat_input: only platform/ fills it and only game/ routes it")
    if new or gone or writes:
        return 1
    print(f"PASS: no new upward include ({len(allowed)} still allowed); the input is written by platform/ and game/ only")
    return 0


if __name__ == "__main__":
    sys.exit(main())
