#!/usr/bin/env python3
"""The mutants of the product for scripts/mutation.sh: small, line-level
faults of the kinds a slip of the hand makes, following the usual regex-based
rules for C and C++ (operators, connectors, negations, constants, deleted
statements, return values, booleans, break and continue).

    mutants.py list  ROOT SAMPLE SEED   # the sampled mutants, one per line (tab-separated)
    mutants.py show  LIST [NUMBER]          # the listed mutants (or one), readable
    mutants.py apply ROOT FILE LINE ORIGINAL MUTATED

Standard library only: the machine has no package index for Python.

The sample is a pure function of the product's text and the seed: files are
read in sorted order, the rules run in a fixed order, and every folder draws
from a generator seeded with the seed and the folder's name. The same source
and seed give the same mutants in the same order.
"""
import os
import random
import re
import sys

# The product's folders, in the order they are reported. resources/ holds the
# art and resource scripts: nothing there a mutant of C++ would reach.
FOLDERS = ["base", "app", "settings", "probe", "hotkeys", "pages", "tools"]
MIN_PER_FOLDER = 4

ARITHMETIC = {"+": ["-"], "-": ["+"], "*": ["/"], "/": ["*"], "%": ["*"]}
RELATIONAL = {"<": ["<=", ">"], "<=": ["<", ">"], ">": [">=", "<"], ">=": [">", "<"],
              "==": ["!="], "!=": ["=="]}
LOGICAL = {"&&": ["||"], "||": ["&&"]}
BOOLEANS = {"TRUE": "FALSE", "FALSE": "TRUE", "true": "false", "false": "true"}
JUMPS = {"break": "continue", "continue": "break"}

# Binary operators only when spaced on both sides: that keeps pointers,
# unary minus, templates, shifts and increments out of the way.
OPERATOR = re.compile(r"(?<=\s)(<=|>=|==|!=|&&|\|\||<|>|\+|-|\*|/|%)(?=\s)")
NUMBER = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F]+|[0-9]+)([uUlL]*)(?![\w.])")
WORD = re.compile(r"\b(TRUE|FALSE|true|false|break|continue)\b")
NEGATION = re.compile(r"!(?!=)")
CONDITION = re.compile(r"\b(if|while)\s*\(")
RETURN = re.compile(r"^(\s*)return\s+(.+?)\s*;\s*$")
# A statement that is a call or an assignment (not a declaration: a single
# name or member access stands left of the '=' or the '(').
LVALUE = r"[A-Za-z_][\w.\[\]]*(?:->[\w.\[\]]+)*"
CALL = re.compile(r"^\s*(?:::)?" + LVALUE + r"(?:::\w+)*\s*\(.*\)\s*;\s*$")
ASSIGNMENT = re.compile(r"^\s*\*?" + LVALUE + r"\s*(?:=|\+=|-=|\*=|/=|%=|\|=|&=|\^=|<<=|>>=)\s*[^=].*;\s*$")
INCREMENT = re.compile(r"^\s*(?:(?:\+\+|--)" + LVALUE + "|" + LVALUE + r"(?:\+\+|--))\s*;\s*$")
KEYWORDS = {"return", "if", "while", "for", "switch", "case", "else", "do", "goto", "sizeof",
            "static_assert", "delete", "new", "throw", "break", "continue"}
# A declaration of a table: its size is not a value any test could see.
TABLE_DECLARATION = re.compile(r"^\s*[A-Za-z_][\w:<>,\s\*&]*[\s\*&]\w+\s*\[")


def mask(lines):
    """The lines with comments, string and character literals blanked out
    (same length, so positions still match the original), and which lines
    are preprocessor lines (continuations included)."""
    masked, preprocessor = [], []
    in_comment = False
    continued = False
    for line in lines:
        stripped = line.lstrip()
        is_pre = continued or (not in_comment and stripped.startswith("#"))
        continued = is_pre and line.rstrip("\n").endswith("\\")
        out = []
        i, n = 0, len(line)
        while i < n:
            c = line[i]
            if in_comment:
                if line.startswith("*/", i):
                    in_comment = False
                    out.append("  ")
                    i += 2
                else:
                    out.append(" ")
                    i += 1
            elif line.startswith("/*", i):
                in_comment = True
                out.append("  ")
                i += 2
            elif line.startswith("//", i):
                out.append(" " * (n - i))
                break
            elif c in "\"'":
                j = i + 1
                while j < n and line[j] != c:
                    j += 2 if line[j] == "\\" else 1
                out.append(c + " " * (min(j, n) - i - 1) + (c if j < n else ""))
                i = j + 1
            else:
                out.append(c)
                i += 1
        masked.append("".join(out).rstrip("\n"))
        preprocessor.append(is_pre)
    return masked, preprocessor


def holds_code(masked):
    """A header holds code when it has a function body or an inline function."""
    text = "\n".join(masked)
    return re.search(r"\binline\b|\)\s*(const\s*)?\{", text) is not None


def replace_at(line, start, end, new):
    return line[:start] + new + line[end:]


def matching_paren(masked, open_at):
    depth = 0
    for i in range(open_at, len(masked)):
        if masked[i] == "(":
            depth += 1
        elif masked[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def statement_starts(masked, index):
    """Whether the line begins a statement: the code before it ended one."""
    for k in range(index - 1, -1, -1):
        previous = masked[k].strip()
        if previous:
            return previous[-1] in ";{}:" or previous in ("else", "do")
    return True


def line_mutants(line, masked, starts_statement):
    """Every mutant of one line, as (rule, mutated line), in a fixed order."""
    code = line.rstrip("\n")
    found = []

    for m in OPERATOR.finditer(masked):
        op = m.group(1)
        for table, rule in ((ARITHMETIC, "arithmetic"), (RELATIONAL, "relational"), (LOGICAL, "logical")):
            for new in table.get(op, []):
                found.append((rule, replace_at(code, m.start(), m.end(), new)))

    for m in NEGATION.finditer(masked):
        found.append(("negation", replace_at(code, m.start(), m.end(), "")))
    for m in CONDITION.finditer(masked):
        close = matching_paren(masked, m.end() - 1)
        if close > 0:
            inner = code[m.end():close]
            found.append(("negation", code[:m.end()] + "!(" + inner + ")" + code[close:]))

    table_declaration = TABLE_DECLARATION.match(masked) is not None
    for m in NUMBER.finditer(masked):
        if table_declaration and masked.rfind("[", 0, m.start()) > masked.rfind("]", 0, m.start()):
            continue
        text, suffix = m.group(1), m.group(2)
        value = int(text, 16) if text[:2] in ("0x", "0X") else int(text)
        if value == 0:
            targets = [1]
        elif value == 1:
            targets = [0, 2]
        else:
            targets = [value + 1, 0]
        for target in targets:
            new = ("0x%X" % target if text[:2] in ("0x", "0X") else str(target)) + suffix
            found.append(("constant", replace_at(code, m.start(), m.end(), new)))

    for m in WORD.finditer(masked):
        word = m.group(1)
        rule = "boolean" if word in BOOLEANS else "jump"
        found.append((rule, replace_at(code, m.start(), m.end(), BOOLEANS.get(word) or JUMPS[word])))

    m = RETURN.match(masked)
    if m and starts_statement:
        value = m.group(2)
        for new in ("0", "1"):
            if value != new:
                found.append(("return", "%sreturn %s;" % (m.group(1), new)))

    first_word = re.match(r"\s*([A-Za-z_]\w*)", masked)
    if (starts_statement and masked.count("(") == masked.count(")")
            and not (first_word and first_word.group(1) in KEYWORDS)
            and (CALL.match(masked) or ASSIGNMENT.match(masked) or INCREMENT.match(masked))):
        indent = code[:len(code) - len(code.lstrip())]
        found.append(("statement", indent + ";"))

    seen, unique = set(), []
    for rule, mutated in found:
        if mutated != code and mutated not in seen:
            seen.add(mutated)
            unique.append((rule, mutated))
    return unique


def file_mutants(root, relative):
    with open(os.path.join(root, relative), encoding="latin-1", newline="") as f:
        lines = f.read().split("\n")
    masked, preprocessor = mask(lines)
    if relative.endswith(".h") and not holds_code(masked):
        return []
    mutants = []
    for index, line in enumerate(lines):
        if preprocessor[index] or not masked[index].strip():
            continue
        original = line.rstrip("\r")
        for rule, mutated in line_mutants(original, masked[index].rstrip("\r"), statement_starts(masked, index)):
            mutants.append((relative, index + 1, rule, original, mutated))
    return mutants


def all_mutants(root):
    by_folder = {}
    for folder in FOLDERS:
        mutants = []
        for directory, subdirectories, files in sorted(os.walk(os.path.join(root, folder))):
            subdirectories.sort()
            for name in sorted(files):
                if name.endswith((".cpp", ".h")):
                    relative = os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")
                    mutants.extend(file_mutants(root, relative))
        by_folder[folder] = mutants
    return by_folder


def shares(counts, sample):
    """A fair share per folder: at least MIN_PER_FOLDER each (or all it has;
    fewer in a sample too small for that), the rest in proportion to its
    mutants, by largest remainder."""
    floor = min(MIN_PER_FOLDER, max(1, sample // len(counts)))
    share = {f: min(floor, c) for f, c in counts.items()}
    rest = sample - sum(share.values())
    total = sum(counts.values())
    if rest <= 0 or total == 0:
        return share
    ideal = {f: rest * c / total for f, c in counts.items()}
    for f in counts:
        share[f] = min(counts[f], share[f] + int(ideal[f]))
    # Largest remainders first; ties go by the folders' fixed order.
    order = sorted(counts, key=lambda f: (-(ideal[f] - int(ideal[f])), FOLDERS.index(f)))
    while sum(share.values()) < min(sample, total):
        grew = False
        for f in order:
            if sum(share.values()) >= sample:
                break
            if share[f] < counts[f]:
                share[f] += 1
                grew = True
        if not grew:
            break
    return share


def sample_mutants(root, sample, seed):
    by_folder = all_mutants(root)
    share = shares({f: len(m) for f, m in by_folder.items()}, sample)
    chosen = []
    for folder in FOLDERS:
        generator = random.Random("%s:%s" % (seed, folder))
        picked = generator.sample(range(len(by_folder[folder])), share[folder])
        chosen.extend(by_folder[folder][i] for i in sorted(picked))
    return by_folder, chosen


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t")


def unescape(text):
    return re.sub(r"\\(.)", lambda m: "\t" if m.group(1) == "t" else m.group(1), text)


def command_list(root, sample, seed):
    by_folder, chosen = sample_mutants(root, sample, seed)
    # The header goes to stderr so the list itself stays one mutant a line.
    print("# mutants: %s; sampled %d, seed %s" % (
        ", ".join("%s %d" % (f, len(by_folder[f])) for f in FOLDERS), len(chosen), seed), file=sys.stderr)
    for number, (relative, line, rule, original, mutated) in enumerate(chosen, 1):
        folder = relative.split("/")[0]
        print("\t".join([str(number), folder, relative, str(line), rule, escape(original), escape(mutated)]))


def command_show(listing, number=None):
    with open(listing, encoding="latin-1") as f:
        for row in f:
            fields = row.rstrip("\n").split("\t")
            if number is not None and fields[0] != number:
                continue
            if number is None:
                print("%3s %-8s %s:%s %s" % tuple(fields[:5]))
            print("    - %s\n    + %s" % (unescape(fields[5]), unescape(fields[6])))


def command_apply(root, relative, line, original, mutated):
    path = os.path.join(root, relative)
    with open(path, encoding="latin-1", newline="") as f:
        lines = f.read().split("\n")
    index = int(line) - 1
    current = lines[index]
    ending = "\r" if current.endswith("\r") else ""
    if current.rstrip("\r") != unescape(original):
        sys.exit("mutants.py: %s:%s is no longer the line the mutant was made from" % (relative, line))
    lines[index] = unescape(mutated) + ending
    with open(path, "w", encoding="latin-1", newline="") as f:
        f.write("\n".join(lines))


def main(argv):
    if len(argv) == 5 and argv[1] == "list":
        command_list(argv[2], int(argv[3]), argv[4])
    elif len(argv) in (3, 4) and argv[1] == "show":
        command_show(*argv[2:])
    elif len(argv) == 7 and argv[1] == "apply":
        command_apply(*argv[2:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
