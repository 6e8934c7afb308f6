#!/usr/bin/env python3
"""What scripts/setup.sh would install on a fresh Debian 12 machine, and how
much: the play list alone, then what the test list adds.

    python3 tools/setup_size.py

A fresh machine is taken to hold this machine's essential, required and
important packages, apt, and what they depend on; apt-get then simulates
installing each list (without recommends, as setup.sh does) against that,
and apt-cache gives each package's installed and download size.
"""

import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
LISTS = os.path.join(HERE, "..", "scripts", "packages")


def fields(record):
    return dict(re.findall(r"^([A-Za-z-]+): (.*)$", record, re.M))


def base_status(path):
    """The dpkg status of a fresh machine: the base packages and their
    dependencies, as far as this machine has them installed."""
    records = [r for r in open("/var/lib/dpkg/status").read().split("\n\n") if r.strip()]
    by_name = {fields(r)["Package"]: r for r in records}
    todo = [n for n, r in by_name.items()
            if fields(r).get("Essential") == "yes" or n == "apt"
            or fields(r).get("Priority") in ("required", "important")]
    keep = set()
    while todo:
        name = todo.pop()
        if name in keep or name not in by_name:
            continue
        keep.add(name)
        f = fields(by_name[name])
        for dep in (f.get("Depends", "") + "," + f.get("Pre-Depends", "")).split(","):
            for alt in dep.split("|"):
                alt = alt.strip().split(" ")[0].split(":")[0]
                if alt in by_name:
                    todo.append(alt)
                    break
    with open(path, "w") as out:
        out.write("\n\n".join(by_name[n] for n in sorted(keep)) + "\n")


def packages(list_name):
    names = []
    for line in open(os.path.join(LISTS, list_name)):
        line = line.split("#")[0].split()
        if line:
            names.append(line[0])
    return names


def simulate(status, names):
    """The packages apt would install for `names`, with their sizes in KiB."""
    out = subprocess.run(["apt-get", "-s", "-o", "Dir::State::status=" + status,
                          "install", "--no-install-recommends"] + names,
                         capture_output=True, text=True, check=True).stdout
    new = re.findall(r"^Inst (\S+)", out, re.M)
    show = subprocess.run(["apt-cache", "show", "--no-all-versions"] + new,
                          capture_output=True, text=True).stdout
    sizes = {}
    for record in show.split("\n\n"):
        f = fields(record)
        if f.get("Package") in new:
            sizes[f["Package"]] = (int(f.get("Installed-Size", 0)), int(f.get("Size", 0)) // 1024)
    return sizes


def report(title, sizes):
    installed = sum(s[0] for s in sizes.values()) / 1024
    download = sum(s[1] for s in sizes.values()) / 1024
    print("%s: %d packages, %.0f MiB installed, %.0f MiB downloaded"
          % (title, len(sizes), installed, download))


def main():
    with tempfile.TemporaryDirectory() as tmp:
        status = os.path.join(tmp, "status")
        base_status(status)
        play = simulate(status, packages("play.txt"))
        both = simulate(status, packages("play.txt") + packages("test.txt"))
    report("scripts/run.sh (play.txt)", play)
    report("scripts/test.sh (play.txt + test.txt)", both)
    added = {n: s for n, s in both.items() if n not in play}
    report("test.txt adds", added)
    if "-v" in sys.argv:
        for title, sizes in (("play.txt", play), ("test.txt adds", added)):
            print("largest of " + title + ":")
            for n, s in sorted(sizes.items(), key=lambda i: -i[1][0])[:15]:
                print("  %-40s %7.1f MiB" % (n, s[0] / 1024))


if __name__ == "__main__":
    main()
