#!/usr/bin/env python3
"""Every package whose files the build uses is installed by the Makefile.

From the build's CMakeCache.txt, the Config file of every CMake package found
(<Name>_DIR) and every library found (*_LIBRARY, pkg-config's pkgcfg_lib_*)
are traced to the Debian package that owns them (dpkg -S). Each must be in the
closure of the Makefile's DEBS over the installed packages' Depends and
Pre-Depends (dpkg-query; no package lists needed): an "a | b" alternative
counts through whichever is installed, a virtual package through the
installed packages that provide it; essential packages are always there.

    builddeps.py BUILD/CMakeCache.txt Makefile
Exit 0 when every owner is in the closure, 1 (with each missing package and
the file it owns) when one is not, 77 when this is not a Debian system.
"""
import os
import re
import shutil
import subprocess
import sys

SKIP = 77


def makefile_debs(path):
    text = open(path, encoding="utf-8").read().replace("\\\n", " ")
    match = re.search(r"^DEBS\s*:?=(.*)$", text, re.MULTILINE)
    if not match:
        sys.exit(f"no DEBS := line in {path}")
    return match.group(1).split()


def used_files(cache_path):
    """(cache entry, file) for every Config file and library the build found."""
    files = []
    for line in open(cache_path, encoding="utf-8", errors="replace"):
        match = re.match(r"^([A-Za-z0-9_.+-]+):(PATH|FILEPATH)=(.*)$", line.rstrip("\n"))
        if not match:
            continue
        name, kind, value = match.groups()
        if not value.startswith("/") or value.endswith("-NOTFOUND"):
            continue
        if kind == "PATH" and name.endswith("_DIR") and os.path.isdir(value):
            package = name[: -len("_DIR")]
            for candidate in (f"{package}Config.cmake", f"{package.lower()}-config.cmake"):
                config = os.path.join(value, candidate)
                if os.path.isfile(config):
                    files.append((name, config))
                    break
        elif kind == "FILEPATH" and os.path.isfile(value) and (
            name.startswith("pkgcfg_lib_") or "_LIBRARY" in name or re.search(r"\.(so|a)(\.|$)", value)
        ):
            files.append((name, value))
    return files


def owner(path):
    """The packages owning `path` (a symlink is followed when its own name has no owner)."""
    for candidate in dict.fromkeys([path, os.path.realpath(path)]):
        result = subprocess.run(["dpkg", "-S", candidate], capture_output=True, text=True)
        if result.returncode == 0:
            owners = set()
            for line in result.stdout.splitlines():
                if line.startswith("diversion by"):
                    continue
                names, _, _ = line.partition(": ")
                owners.update(n.strip().split(":")[0] for n in names.split(","))
            if owners:
                return owners
    return set()


def installed_packages():
    """name -> (depends groups, provides), for every installed package; the essential ones."""
    fmt = "${Package}\\t${db:Status-Abbrev}\\t${Essential}\\t${Provides}\\t${Depends}\\t${Pre-Depends}\\n"
    out = subprocess.run(["dpkg-query", "-W", "-f=" + fmt], capture_output=True, text=True, check=True).stdout
    packages, providers, essential = {}, {}, set()

    def names(field):
        return [re.sub(r"\s*\(.*?\)|:\w+", "", part).strip() for part in field.split(",") if part.strip()]

    for line in out.splitlines():
        fields = line.split("\t")
        if len(fields) < 6 or not fields[1].startswith(("ii", "hi")):
            continue
        name, _, ess, provides, depends, predepends = fields[:6]
        groups = packages.setdefault(name, [])
        for field in (depends, predepends):
            for group in field.split(","):
                if group.strip():
                    groups.append([names(alt)[0] for alt in group.split("|") if names(alt)])
        for virtual in names(provides):
            providers.setdefault(virtual, set()).add(name)
        if ess == "yes":
            essential.add(name)
    return packages, providers, essential


def closure(roots, packages, providers):
    seen, todo = set(), list(roots)
    while todo:
        name = todo.pop()
        if name in seen:
            continue
        seen.add(name)
        for group in packages.get(name, []):
            for alternative in group:
                # Whichever alternative is installed, itself or through what provides it.
                for real in ({alternative} if alternative in packages else set()) | providers.get(alternative, set()):
                    if real not in seen:
                        todo.append(real)
    return seen


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: builddeps.py BUILD/CMakeCache.txt Makefile")
    cache, makefile = sys.argv[1:]
    if not shutil.which("dpkg-query") or not shutil.which("dpkg"):
        print("not a Debian system: nothing to check")
        return SKIP
    if not os.path.isfile(cache):
        print(f"no {cache}: configure first")
        return SKIP
    debs = makefile_debs(makefile)
    packages, providers, essential = installed_packages()
    missing_roots = [d for d in debs if d not in packages]
    have = closure([d for d in debs if d in packages] + sorted(essential), packages, providers)
    failures = 0
    for entry, path in used_files(cache):
        owners = owner(path)
        if not owners:
            print(f"FAIL {entry}: no package owns {path}")
            failures += 1
        elif owners & have:
            print(f"ok   {entry}: {path} ({', '.join(sorted(owners & have))})")
        else:
            print(f"FAIL {entry}: {path} belongs to {', '.join(sorted(owners))}, which the Makefile's DEBS do not bring")
            failures += 1
    if missing_roots:
        print(f"note: DEBS not installed here: {' '.join(missing_roots)}")
    if failures:
        print(f"{failures} file(s) of the build come from packages missing from DEBS in {makefile}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
