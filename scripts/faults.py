#!/usr/bin/env python3
"""The catalogue of planted faults (scripts/faults.txt): reading it, planting
one entry in a copy of the tree, choosing the tests and build targets an
entry needs, and summing up a run. scripts/faults.sh drives it.

    faults.py list CATALOGUE [SELECTION...]        id, area, ordinal, tests: one line each (tab-separated)
    faults.py show CATALOGUE [SELECTION...]        the entries as a reader wants them
    faults.py files CATALOGUE ID                   the files the entry edits
    faults.py plant CATALOGUE ID TREE              plants the entry; exit 3 when its text is gone
    faults.py targets TESTS_JSON REGEX             the build targets holding the tests REGEX selects
    faults.py summary CATALOGUE RESULTS...         per area and in all: caught, missed, gone, unbuilt
                                                   (several runs' results together, a later one winning)

A selection is an id (startup.exit-anywhere), an area (startup), an ordinal
(12) or a range of ordinals or ids (12-30, startup.exit-anywhere-clock.half).

Catalogue format: entries are blocks of "key: value" lines separated by blank
lines; "#" starts a comment line; "== area: title" starts an area. Keys: id,
rule, file, from, to, tests. An entry may carry several file/from/to groups
(an edit that moves a line is two); "from" and "to" are literal text in which
"⏎" stands for a line break. Each "from" must occur exactly once in its file.
"""
import hashlib
import json
import os
import re
import sys

NEWLINE = "\u23ce"


class Entry:
    def __init__(self, area):
        self.area = area
        self.id = None
        self.rule = None
        self.tests = None
        self.edits = []        # (file, from, to)
        self.ordinal = 0
        self.line = 0

    def digest(self):
        text = "\n".join([self.rule or "", self.tests or ""] + ["%s|%s|%s" % e for e in self.edits])
        return hashlib.sha1(text.encode()).hexdigest()[:12]


def read_catalogue(path):
    entries = []
    area = None
    current = None
    pending_file = None
    with open(path, encoding="utf-8") as handle:
        lines = handle.read().split("\n")
    for number, raw in enumerate(lines, 1):
        line = raw.rstrip("\n")
        if line.startswith("#"):
            continue
        if line.startswith("== "):
            area = line[3:].split(":", 1)[0].strip()
            current = None
            continue
        if not line.strip():
            current = None
            continue
        key, sep, value = line.partition(": ")
        if not sep:
            if line.endswith(":"):
                key, value = line[:-1], ""
            else:
                sys.exit("%s:%d: not a 'key: value' line" % (path, number))
        if current is None:
            if area is None:
                sys.exit("%s:%d: entry before any area" % (path, number))
            current = Entry(area)
            current.line = number
            entries.append(current)
            pending_file = None
        if key == "id":
            current.id = value
        elif key == "rule":
            current.rule = value
        elif key == "tests":
            current.tests = value
        elif key == "file":
            pending_file = value
        elif key == "from":
            if pending_file is None:
                sys.exit("%s:%d: 'from' without a file" % (path, number))
            current.edits.append([pending_file, value.replace(NEWLINE, "\n"), None])
        elif key == "to":
            if not current.edits or current.edits[-1][2] is not None:
                sys.exit("%s:%d: 'to' without its 'from'" % (path, number))
            current.edits[-1][2] = value.replace(NEWLINE, "\n")
        else:
            sys.exit("%s:%d: unknown key %r" % (path, number, key))
    seen = set()
    for ordinal, entry in enumerate(entries, 1):
        entry.ordinal = ordinal
        where = "%s:%d" % (path, entry.line)
        if not entry.id or not entry.rule or not entry.tests or not entry.edits:
            sys.exit("%s: an entry needs id, rule, tests and at least one file/from/to" % where)
        if entry.id in seen:
            sys.exit("%s: id %s twice" % (where, entry.id))
        if not entry.id.startswith(entry.area + "."):
            sys.exit("%s: id %s outside its area %s" % (where, entry.id, entry.area))
        seen.add(entry.id)
        for edit in entry.edits:
            if edit[2] is None:
                sys.exit("%s: 'from' without its 'to'" % where)
            if edit[1] == edit[2]:
                sys.exit("%s: an edit that changes nothing" % where)
        entry.edits = [tuple(e) for e in entry.edits]
    return entries


def select(entries, selections):
    if not selections:
        return entries
    by_id = {e.id: e.ordinal for e in entries}
    areas = {e.area for e in entries}

    def ordinal_of(text):
        if text.isdigit():
            return int(text)
        if text in by_id:
            return by_id[text]
        sys.exit("no entry %r" % text)

    chosen = set()
    for selection in selections:
        for part in selection.split(","):
            if not part:
                continue
            if part in by_id:
                chosen.add(by_id[part])
            elif part in areas:
                chosen.update(e.ordinal for e in entries if e.area == part)
            elif part.isdigit():
                chosen.add(int(part))
            else:
                # A range: the longest split at a "-" whose two sides are entries.
                for index in [m.start() for m in re.finditer("-", part)]:
                    low, high = part[:index], part[index + 1:]
                    if (low.isdigit() or low in by_id) and (high.isdigit() or high in by_id):
                        chosen.update(range(ordinal_of(low), ordinal_of(high) + 1))
                        break
                else:
                    sys.exit("no entry, area or range %r" % part)
    return [e for e in entries if e.ordinal in chosen]


def command_list(catalogue, selections):
    for entry in select(read_catalogue(catalogue), selections):
        print("%d\t%s\t%s\t%s\t%s" % (entry.ordinal, entry.id, entry.area, entry.digest(), entry.tests))


def command_show(catalogue, selections):
    entries = select(read_catalogue(catalogue), selections)
    area = None
    for entry in entries:
        if entry.area != area:
            area = entry.area
            print("\n%s" % area)
        print("  %3d %s: %s" % (entry.ordinal, entry.id, entry.rule))
        for file, old, new in entry.edits:
            print("        %s: %r -> %r" % (file, old, new))
        print("        tests: %s" % entry.tests)
    counts = {}
    for entry in entries:
        counts[entry.area] = counts.get(entry.area, 0) + 1
    print("\n# %d entries: %s" % (len(entries), ", ".join("%s %d" % item for item in counts.items())))


def command_plant(catalogue, entry_id, tree):
    entries = [e for e in read_catalogue(catalogue) if e.id == entry_id]
    if not entries:
        sys.exit("no entry %r" % entry_id)
    entry = entries[0]
    texts = {}
    for file, old, new in entry.edits:
        path = os.path.join(tree, file)
        if file not in texts:
            if not os.path.exists(path):
                print("gone: %s no longer exists" % file)
                sys.exit(3)
            with open(path, encoding="utf-8", newline="") as handle:
                texts[file] = handle.read()
        count = texts[file].count(old)
        if count != 1:
            print("gone: %r %s in %s" % (old, "not found" if count == 0 else "found %d times" % count, file))
            sys.exit(3)
        texts[file] = texts[file].replace(old, new, 1)
    for file, text in texts.items():
        with open(os.path.join(tree, file), "w", encoding="utf-8", newline="") as handle:
            handle.write(text)
    print(" ".join(sorted(texts)))


def command_targets(tests_json, regex):
    """The executables that hold the tests the regex selects, as build
    targets (their file names without .exe); "all" for a test whose program
    is not one of the build's own executables."""
    with open(tests_json, encoding="utf-8") as handle:
        data = json.load(handle)
    pattern = re.compile(regex)
    targets = set()
    matched = 0
    for test in data.get("tests", []):
        if not pattern.search(test.get("name", "")):
            continue
        matched += 1
        command = test.get("command") or []
        program = next((part for part in command if part.endswith(".exe")), None)
        if program:
            targets.add(os.path.basename(program)[:-4])
        else:
            targets.add("all")
    if matched == 0:
        sys.exit("no test matches %r" % regex)
    print(" ".join(sorted(targets)))


def command_summary(catalogue, results_files):
    entries = {e.id: e for e in read_catalogue(catalogue)}
    rows = {}
    lines = []
    for results in results_files:
        with open(results, encoding="utf-8") as handle:
            lines.extend(handle.read().splitlines())
    for line in lines:
        fields = line.split("\t")
        if len(fields) < 5:
            continue
        entry_id, digest, verdict, seconds, detail = fields[:5]
        if entry_id in entries and entries[entry_id].digest() == digest:
            rows[entry_id] = (verdict, int(seconds), detail)
    kinds = ["caught", "missed", "gone", "unbuilt"]
    areas = []
    for entry in entries.values():
        if entry.area not in areas:
            areas.append(entry.area)
    print("%-16s %7s %7s %7s %7s %7s %7s %8s" % ("area", "entries", "run", *kinds, "seconds"))
    totals = [0] * 8
    for area in areas:
        ids = [e.id for e in entries.values() if e.area == area]
        ran = [rows[i] for i in ids if i in rows]
        counts = [sum(1 for r in ran if r[0] == kind) for kind in kinds]
        seconds = sum(r[1] for r in ran)
        figures = [len(ids), len(ran)] + counts + [seconds]
        totals = [a + b for a, b in zip(totals, figures)]
        print("%-16s %7d %7d %7d %7d %7d %7d %8d" % (area, *figures))
    print("%-16s %7d %7d %7d %7d %7d %7d %8d" % ("total", *totals))
    for kind in kinds[1:]:
        named = [(entries[i].ordinal, i) for i, r in rows.items() if r[0] == kind]
        for ordinal, entry_id in sorted(named):
            print("%s: %d %s: %s (%s)" % (kind, ordinal, entry_id, entries[entry_id].rule, rows[entry_id][2]))
    left = [e for e in entries.values() if e.id not in rows]
    if left:
        print("not run yet: %d (%s)" % (len(left), " ".join(str(e.ordinal) for e in left)))


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    command, args = argv[1], argv[2:]
    if command == "list" and args:
        command_list(args[0], args[1:])
    elif command == "show" and args:
        command_show(args[0], args[1:])
    elif command == "files" and len(args) == 2:
        entry = [e for e in read_catalogue(args[0]) if e.id == args[1]]
        if not entry:
            sys.exit("no entry %r" % args[1])
        print(" ".join(sorted({edit[0] for edit in entry[0].edits})))
    elif command == "plant" and len(args) == 3:
        command_plant(*args)
    elif command == "targets" and len(args) == 2:
        command_targets(*args)
    elif command == "summary" and len(args) >= 2:
        command_summary(args[0], args[1:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
