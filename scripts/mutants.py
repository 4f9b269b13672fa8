#!/usr/bin/env python3
"""The mutants of the product for scripts/mutation.sh: small, line-level
faults of the kinds a slip of the hand makes, following the usual regex-based
rules for C and C++ (operators, connectors, bitwise operators, negations,
constants, string literals, swapped arguments, deleted calls and statements,
return values, booleans, break and continue).

    mutants.py list  ROOT SAMPLE SEED   # the sampled mutants, one per line (tab-separated)
    mutants.py show  LIST [NUMBER]      # the listed mutants (or one), readable
    mutants.py apply ROOT FILE LINE ORIGINAL MUTATED
    mutants.py summarise OUTCOMES...    # the outcomes of several runs, a table per sample and seed
    mutants.py baseline LOG DIR         # the tests a run without a mutant passed (from ctest's log)
    mutants.py verdict LOG STATUS PASSED  # a mutant's result from its ctest log and exit status

A mutant spans one line, or several for a call statement written over
several lines (its texts then hold escaped line breaks).

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

ARITHMETIC = {"+": ["-"], "-": ["+"], "*": ["/"], "/": ["*"], "%": ["*"]}
RELATIONAL = {"<": ["<=", ">"], "<=": ["<", ">"], ">": [">=", "<"], ">=": [">", "<"],
              "==": ["!="], "!=": ["=="]}
LOGICAL = {"&&": ["||"], "||": ["&&"]}
BITWISE = {"|": ["&"], "&": ["|"], "^": ["|"], "<<": [">>"], ">>": ["<<"],
           "|=": ["&="], "&=": ["|="], "^=": ["|="], "<<=": [">>="], ">>=": ["<<="]}
BOOLEANS = {"TRUE": "FALSE", "FALSE": "TRUE", "true": "false", "false": "true"}
JUMPS = {"break": "continue", "continue": "break"}

# Binary operators only when spaced on both sides: that keeps pointers,
# address-of and references ("&x", "Type &name"), unary minus, templates and
# increments out of the way.
OPERATOR = re.compile(r"(?<=\s)(<<=|>>=|<<|>>|<=|>=|==|!=|&&|\|\||\|=|&=|\^=|<|>|\+|-|\*|/|%|\||&|\^)(?=\s)")
# A complement before a name, a number or a parenthesis; not a destructor.
COMPLEMENT = re.compile(r"(?<!:)~(?=\s*[\w(])")
DESTRUCTOR = re.compile(r"^\s*(?:virtual\s+)?~\w+\s*\(")
NUMBER = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F]+|[0-9]+)([uUlL]*)(?![\w.])")
WORD = re.compile(r"\b(TRUE|FALSE|true|false|break|continue)\b")
NEGATION = re.compile(r"!(?!=)")
CONDITION = re.compile(r"\b(if|while)\s*\(")
RETURN = re.compile(r"^(\s*)return\s+(.+?)\s*;\s*$")
# A statement that is a call or an assignment (not a declaration: a single
# name or member access stands left of the '=' or the '(').
LVALUE = r"[A-Za-z_][\w.\[\]]*(?:->[\w.\[\]]+)*"
CALL_START = r"^\s*(?:\(void\)\s*)?(?:::)?" + LVALUE + r"(?:::\w+)*\s*\("
CALL = re.compile(CALL_START + r".*\)\s*;\s*$")
CALL_OPENS = re.compile(CALL_START)
# The longest call statement deleted whole, and the longest statement whose
# calls have their arguments swapped, in lines.
CALL_LINES = 8
SWAP_LINES = 80
ASSIGNMENT = re.compile(r"^\s*\*?" + LVALUE + r"\s*(?:=|\+=|-=|\*=|/=|%=|\|=|&=|\^=|<<=|>>=)\s*[^=].*;\s*$")
INCREMENT = re.compile(r"^\s*(?:(?:\+\+|--)" + LVALUE + "|" + LVALUE + r"(?:\+\+|--))\s*;\s*$")
KEYWORDS = {"return", "if", "while", "for", "switch", "case", "else", "do", "goto", "sizeof",
            "static_assert", "delete", "new", "throw", "break", "continue"}
# A declaration of a table: its size is not a value any test could see.
TABLE_DECLARATION = re.compile(r"^\s*[A-Za-z_][\w:<>,\s\*&]*[\s\*&]\w+\s*\[")

# Calls whose adjacent arguments may be swapped: any name followed by "(",
# except the keywords that take parentheses; a name right after a type
# (a declaration or definition) is not a call.
CALLEE = re.compile(r"\b([A-Za-z_]\w*)\s*\(")
NOT_CALLEES = {"if", "while", "for", "switch", "return", "sizeof", "catch", "alignof", "decltype",
               "static_assert", "defined", "__attribute__", "__declspec", "alignas", "noexcept"}
BEFORE_DECLARED_NAME = re.compile(r"\b([A-Za-z_]\w*)[\s\*&]*$")
NOT_TYPES = {"return", "else", "case", "new", "delete", "throw", "do", "sizeof"}
# The arguments simple enough to trade places: a name (member access and an
# index allowed), an address, a number, a character or a string literal.
SIMPLE_NAME = re.compile(r"^[A-Za-z_]\w*(?:(?:\.|->|::)[A-Za-z_]\w*|\[[\w.+\- ]*\])*$")
SIMPLE_ADDRESS = re.compile(r"^&[A-Za-z_]\w*(?:(?:\.|->|::)[A-Za-z_]\w*|\[[\w.+\- ]*\])*$")
SIMPLE_NUMBER = re.compile(r"^-?(?:0[xX][0-9a-fA-F]+|[0-9]+)[uUlL]*$|^'(?:\\.|[^'\\])'$")
SIMPLE_STRING = re.compile(r'^L?"(?:\\.|[^"\\])*"$')
CONSTANT_NAME = re.compile(r"^[A-Z][A-Z0-9_]*$")

# String literals (in the masked line: the quotes, blanks between), and the
# parts of their text a one-character edit leaves alone: escapes and printf
# conversions, whose change would be another rule's business.
STRING = re.compile(r'"( *)"')
ESCAPE_OR_CONVERSION = re.compile(r"\\(?:x[0-9a-fA-F]+|[0-7]{1,3}|.)"
                                  r"|%[-+ #0]*(?:\*|[0-9]+)?(?:\.(?:\*|[0-9]+))?(?:hh|h|ll|l|L|z|j|t|I64|I32|I)?[A-Za-z%]")
NO_STRING_EDITS = re.compile(r"^\s*(?:extern\b|static_assert\b|asm\b|__asm)")


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


# A condition or loop header alone on its line, its body on the next.
CONTROL_HEADER = re.compile(r"^(?:\}\s*)?(?:else\s+)?(?:if|while|for)\s*\(.*\)$")


def statement_starts(masked, index):
    """Whether the line begins a statement: the code before it ended one, or
    is the header of a body without braces."""
    for k in range(index - 1, -1, -1):
        previous = masked[k].strip()
        if previous:
            if CONTROL_HEADER.match(previous):
                close = matching_paren(previous, previous.index("("))
                return close == len(previous) - 1
            return previous[-1] in ";{}:" or previous in ("else", "do", "} else")
    return True


def keyword_first(masked):
    first_word = re.match(r"\s*([A-Za-z_]\w*)", masked)
    return first_word is not None and first_word.group(1) in KEYWORDS


def split_arguments(masked, open_at, close_at):
    """The spans (start, end) of a call's arguments, split at the commas
    outside nested parentheses, brackets and braces."""
    spans, depth, start = [], 0, open_at + 1
    for i in range(open_at + 1, close_at):
        c = masked[i]
        if c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
        elif c == "," and depth == 0:
            spans.append((start, i))
            start = i + 1
    spans.append((start, close_at))
    # Without the blanks around each argument.
    trimmed = []
    for start, end in spans:
        while start < end and masked[start].isspace():
            start += 1
        while end > start and masked[end - 1].isspace():
            end -= 1
        trimmed.append((start, end))
    return trimmed


def argument_kind(text):
    """What an argument is, as far as a line can tell: None when it is not
    simple enough to swap."""
    if SIMPLE_STRING.match(text):
        return "string"
    if SIMPLE_ADDRESS.match(text):
        return "pointer"
    if text in ("NULL", "nullptr"):
        return "null"
    if SIMPLE_NUMBER.match(text) or CONSTANT_NAME.match(text):
        return "number"
    if SIMPLE_NAME.match(text):
        return "name"
    return None


def swappable(first, second):
    """Whether two adjacent arguments of a function the product does not
    declare (a system function) may trade places and still plausibly build:
    only two of a kind (two strings, two addresses or null pointers, two
    numbers or constants, two names); a constant beside a name is most often
    an identifier or flag beside a handle."""
    return first is not None and first == second


# The parameter types of the functions the product declares, by name (None
# for a name declared with different lists): two arguments of a product
# function are swapped only where both parameters have the same type, so
# that the mutant builds.
PARAMETERS = {}
FUNCTION_TYPEDEF = re.compile(r"\btypedef\s+[\w\s*]+?\(\s*(?:WINAPI\s+|CALLBACK\s+|__stdcall\s+)?\*?\s*(\w+)\s*\)\s*\(")
DECLARATION_END = re.compile(r"\s*(?:const\s*)?[;{]")


def parameter_type(parameter):
    parameter = re.sub(r"=.*$", "", parameter).strip()
    parameter = re.sub(r"\[[^\]]*\]", "*", parameter)
    words = re.match(r"^(.*?[\w*&\s])\s*([A-Za-z_]\w*)?\s*(\*?)$", parameter)
    if not words:
        return parameter
    kind, name, pointer = words.groups()
    # A lone word is a type without a parameter name.
    if name and not re.search(r"\w", kind.replace("const", "")):
        kind, name = kind + name, None
    return re.sub(r"\s*([*&])\s*", r"\1", " ".join((kind + pointer).split()))


def read_parameters(root):
    """The parameter types of the product's functions and the declared types
    of its names, from every file of the product."""
    PARAMETERS.clear()
    ALL_VARIABLES.clear()
    for folder in FOLDERS:
        for directory, subdirectories, files in sorted(os.walk(os.path.join(root, folder))):
            subdirectories.sort()
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                with open(os.path.join(directory, name), encoding="latin-1") as f:
                    masked, preprocessor = mask(f.read().split("\n"))
                text = "\n".join(line for line, pre in zip(masked, preprocessor) if not pre)
                for m in CALLEE.finditer(text):
                    before = BEFORE_DECLARED_NAME.search(text[:m.start()])
                    if not before or before.group(1) in NOT_TYPES or m.group(1) in NOT_CALLEES:
                        continue
                    close = matching_paren(text, m.end() - 1)
                    if close < 0 or not DECLARATION_END.match(text, close + 1):
                        continue
                    spans = split_arguments(text, m.end() - 1, close)
                    listed = [text[a:b] for a, b in spans]
                    # A parameter with parentheses (a function pointer) keeps its whole text.
                    types = [] if listed in ([""], ["void"]) else [
                        " ".join(p.split()) if "(" in p else parameter_type(p) for p in listed]
                    known = PARAMETERS.setdefault(m.group(1), types)
                    if known != types:
                        PARAMETERS[m.group(1)] = None
                # A function type: "typedef int (WINAPI NAME)(...)", a pointer to one or not.
                for m in FUNCTION_TYPEDEF.finditer(text):
                    close = matching_paren(text, m.end() - 1)
                    if close > 0:
                        spans = split_arguments(text, m.end() - 1, close)
                        listed = [text[a:b] for a, b in spans]
                        PARAMETERS[m.group(1)] = [] if listed in ([""], ["void"]) else [
                            " ".join(p.split()) if "(" in p else parameter_type(p) for p in listed]
                everything = ALL_VARIABLES.copy()
                read_variables(text.split("\n"), ALL_VARIABLES)
                for name, declared in everything.items():
                    if name in ALL_VARIABLES and ALL_VARIABLES[name] != declared:
                        ALL_VARIABLES[name] = None
                    else:
                        ALL_VARIABLES[name] = declared


# The types of the names a file declares (parameters, locals, globals), for
# the arguments of system functions: two names of different declared types
# are not swapped. None for a name declared with different types.
VARIABLE = re.compile(r"(?<![\w.>])((?:const\s+)?(?:unsigned\s+)?[A-Za-z_]\w*(?:::\w+)*)((?:\s*[*&])*)\s*"
                      r"\b([A-Za-z_]\w*)\s*(?=[,;)=\[]|\{)")
NOT_VARIABLE_TYPES = KEYWORDS | {"const", "unsigned", "static", "struct", "enum", "class", "typedef", "using",
                                 "public", "private", "template", "typename", "goto", "operator"}
VARIABLES = {}
ALL_VARIABLES = {}


def read_variables(masked, into=VARIABLES):
    """The declared types of the names in a file's (masked) lines; a member
    counts by its own name."""
    into.clear()
    text = "\n".join(masked)
    for m in VARIABLE.finditer(text):
        kind, pointer, name = m.groups()
        if kind.split()[-1] in NOT_VARIABLE_TYPES or name in NOT_VARIABLE_TYPES:
            continue
        declared = kind + pointer.replace(" ", "").replace("\t", "")
        if name in into and into[name] != declared:
            into[name] = None
        else:
            into[name] = declared


def declared_type(argument):
    name = re.split(r"\.|->|::", re.sub(r"\[.*$", "", argument))[-1]
    if name in PARAMETERS:
        return "function"
    return VARIABLES[name] if name in VARIABLES else ALL_VARIABLES.get(name)


def same_declared_type(first, second):
    """False when both are names declared (in the file, or anywhere in the
    product) with different types."""
    one, other = declared_type(first), declared_type(second)
    return one is None or other is None or one == other


def callee_parameters(name):
    """The parameter types of a product function, or of a function the
    product calls through a name of a function type it declares."""
    if name in PARAMETERS:
        return PARAMETERS[name]
    declared = VARIABLES.get(name) or ALL_VARIABLES.get(name)
    return PARAMETERS.get(declared.rstrip("*")) if declared else None


def argument_swaps(code, masked, only_over_lines=False):
    """Each call on the line with two adjacent simple arguments swapped."""
    mutated = []
    for m in CALLEE.finditer(masked):
        if m.group(1) in NOT_CALLEES:
            continue
        before = BEFORE_DECLARED_NAME.search(masked[:m.start()])
        if before and before.group(1) not in NOT_TYPES:
            continue
        open_at = m.end() - 1
        close_at = matching_paren(masked, open_at)
        if close_at < 0 or (only_over_lines and "\n" not in masked[open_at:close_at]):
            continue
        spans = split_arguments(masked, open_at, close_at)
        types = callee_parameters(m.group(1))
        declared = types is not None and len(types) == len(spans) and "..." not in types
        for i, ((a0, a1), (b0, b1)) in enumerate(zip(spans, spans[1:])):
            first, second = code[a0:a1], code[b0:b1]
            kinds = argument_kind(first), argument_kind(second)
            if first == second or None in kinds:
                continue
            if types[i] == types[i + 1] if declared else (swappable(*kinds) and same_declared_type(first, second)):
                mutated.append(code[:a0] + second + code[a1:b0] + first + code[b1:])
    return mutated


def next_character(c):
    for alphabet in ("abcdefghijklmnopqrstuvwxyz", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "0123456789"):
        if c in alphabet:
            return alphabet[(alphabet.index(c) + 1) % len(alphabet)]
    return None


def string_edits(code, masked):
    """Each string literal emptied, and its first letter or digit outside
    escapes and conversions changed to the next one."""
    if NO_STRING_EDITS.match(masked):
        return []
    mutated = []
    for m in STRING.finditer(masked):
        start, end = m.start() + 1, m.end() - 1
        text = code[start:end]
        if not text:
            continue
        mutated.append(code[:start] + code[end:])
        position = 0
        for part in ESCAPE_OR_CONVERSION.finditer(text):
            changed = first_changed(text, position, part.start())
            if changed is not None:
                break
            position = part.end()
        else:
            changed = first_changed(text, position, len(text))
        if changed is not None:
            i, c = changed
            mutated.append(code[:start + i] + c + code[start + i + 1:])
    return mutated


def first_changed(text, start, end):
    for i in range(start, end):
        c = next_character(text[i])
        if c is not None:
            return i, c
    return None


def line_mutants(line, masked, starts_statement):
    """Every mutant of one line, as (rule, mutated line), in a fixed order."""
    code = line.rstrip("\n")
    found = []

    for m in OPERATOR.finditer(masked):
        op = m.group(1)
        for table, rule in ((ARITHMETIC, "arithmetic"), (RELATIONAL, "relational"), (LOGICAL, "logical"),
                            (BITWISE, "bitwise")):
            for new in table.get(op, []):
                found.append((rule, replace_at(code, m.start(), m.end(), new)))
    if not DESTRUCTOR.match(masked):
        for m in COMPLEMENT.finditer(masked):
            found.append(("bitwise", replace_at(code, m.start(), m.end(), "")))

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

    found.extend(("swap", mutated) for mutated in argument_swaps(code, masked))
    found.extend(("string", mutated) for mutated in string_edits(code, masked))

    m = RETURN.match(masked)
    if m and starts_statement:
        value = m.group(2)
        for new in ("0", "1"):
            if value != new:
                found.append(("return", "%sreturn %s;" % (m.group(1), new)))

    if starts_statement and masked.count("(") == masked.count(")") and not keyword_first(masked):
        indent = code[:len(code) - len(code.lstrip())]
        if CALL.match(masked):
            found.append(("call", indent + ";"))
        elif ASSIGNMENT.match(masked) or INCREMENT.match(masked):
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
    read_variables([m if not p else "" for m, p in zip(masked, preprocessor)])
    mutants = []
    for index, line in enumerate(lines):
        if preprocessor[index] or not masked[index].strip():
            continue
        original = line.rstrip("\r")
        starts = statement_starts(masked, index)
        for rule, mutated in line_mutants(original, masked[index].rstrip("\r"), starts):
            mutants.append((relative, index + 1, rule, original, mutated))
        if starts:
            deleted = long_call_deleted(lines, masked, preprocessor, index)
            if deleted:
                mutants.append((relative, index + 1, "call") + deleted)
            mutants.extend((relative, index + 1, "swap") + swap
                           for swap in long_call_swaps(lines, masked, preprocessor, index))
    return mutants


def long_call_swaps(lines, masked, preprocessor, index):
    """The argument swaps of the calls in a statement over several lines
    (the hook library's long call puts one argument a line): (original,
    mutated), from the statement's first line to its last."""
    first = masked[index].rstrip("\r")
    if first.count("(") <= first.count(")"):
        return []
    depth = 0
    for end in range(index, min(index + SWAP_LINES, len(lines))):
        if preprocessor[end]:
            return []
        text = masked[end].rstrip("\r")
        depth += text.count("(") - text.count(")")
        if depth <= 0:
            break
    else:
        return []
    original = "\n".join(line.rstrip("\r") for line in lines[index:end + 1])
    hidden = "\n".join(line.rstrip("\r") for line in masked[index:end + 1])
    return [(original, mutated) for mutated in argument_swaps(original, hidden, only_over_lines=True)]


def long_call_deleted(lines, masked, preprocessor, index):
    """A call statement over several lines, deleted whole: (original,
    mutated), the lines joined by line breaks; the mutated text keeps the
    number of lines, so later lines keep their numbers."""
    first = masked[index].rstrip("\r")
    if first.count("(") <= first.count(")") or not CALL_OPENS.match(first) or keyword_first(first):
        return None
    depth = 0
    for end in range(index, min(index + CALL_LINES, len(lines))):
        if preprocessor[end]:
            return None
        text = masked[end].rstrip("\r")
        depth += text.count("(") - text.count(")")
        if depth <= 0:
            if end == index or not re.search(r"\)\s*;\s*$", text):
                return None
            original = [line.rstrip("\r") for line in lines[index:end + 1]]
            indent = original[0][:len(original[0]) - len(original[0].lstrip())]
            return "\n".join(original), "\n".join([indent + ";"] + [""] * (end - index))
    return None


def all_mutants(root):
    read_parameters(root)
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
    """Each folder's share in proportion to its possible mutants, by largest
    remainder (ties by the folders' fixed order), so that a folder with many
    mutants gets as many more of the sample as it has more ways to break; a
    folder that has mutants gets at least one while the sample has room."""
    total = sum(counts.values())
    sample = min(sample, total)
    if sample <= 0:
        return {f: 0 for f in counts}
    ideal = {f: sample * c / total for f, c in counts.items()}
    share = {f: int(ideal[f]) for f in counts}
    order = sorted(counts, key=lambda f: (-(ideal[f] - int(ideal[f])), FOLDERS.index(f)))
    for f in order:
        if sum(share.values()) >= sample:
            break
        share[f] += 1
    # A folder left at none takes one from the folder whose share stands
    # furthest above its ideal, as long as that one keeps at least one.
    for f in FOLDERS:
        if f in counts and counts[f] > 0 and share[f] == 0:
            donor = max((g for g in counts if share[g] > 1), key=lambda g: (share[g] - ideal[g], -FOLDERS.index(g)),
                        default=None)
            if donor is None:
                break
            share[donor] -= 1
            share[f] = 1
    return share


def proportions(counts, share):
    """One line: per folder its possible mutants, its exact proportional
    share and the share sampled."""
    total = sum(counts.values())
    sample = sum(share.values())
    return "# in proportion (possible, exact share, sampled): " + ", ".join(
        "%s %d %.1f %d" % (f, counts[f], sample * counts[f] / total if total else 0, share[f]) for f in FOLDERS)


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
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def unescape(text):
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "n": "\n"}.get(m.group(1), m.group(1)), text)


def command_list(root, sample, seed):
    by_folder, chosen = sample_mutants(root, sample, seed)
    # The header goes to stderr so the list itself stays one mutant a line.
    print("# mutants: %s; sampled %d, seed %s" % (
        ", ".join("%s %d" % (f, len(by_folder[f])) for f in FOLDERS), len(chosen), seed), file=sys.stderr)
    counts = {f: len(by_folder[f]) for f in FOLDERS}
    print(proportions(counts, shares(counts, sample)), file=sys.stderr)
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
            print(readable(fields[5], fields[6]))


def readable(original, mutated):
    """Both texts, prefixed "-" and "+"; of a long statement with its lines
    kept (swapped arguments), only the lines that changed, numbered from its
    first."""
    before, after = unescape(original).split("\n"), unescape(mutated).split("\n")
    if len(before) > 2 and len(before) == len(after) and any(a.strip() for a in after[1:]):
        changed = [i for i in range(len(before)) if before[i] != after[i]]
        return "\n".join(["    - +%d %s" % (i, before[i]) for i in changed] +
                         ["    + +%d %s" % (i, after[i]) for i in changed])
    return "\n".join(["    - " + line for line in before] + ["    + " + line for line in after])


def command_apply(root, relative, line, original, mutated):
    path = os.path.join(root, relative)
    with open(path, encoding="latin-1", newline="") as f:
        lines = f.read().split("\n")
    index = int(line) - 1
    before = unescape(original).split("\n")
    after = unescape(mutated).split("\n")
    current = lines[index:index + len(before)]
    if [text.rstrip("\r") for text in current] != before:
        sys.exit("mutants.py: %s:%s is no longer the text the mutant was made from" % (relative, line))
    ending = "\r" if current[0].endswith("\r") else ""
    lines[index:index + len(before)] = [text + ending for text in after]
    with open(path, "w", encoding="latin-1", newline="") as f:
        f.write("\n".join(lines))


# The outcomes file scripts/mutation.sh writes, one mutant a line: its
# sample, seed and number, then what mutants.py list gave, then the result.
OUTCOME_FIELDS = ["sample", "seed", "number", "folder", "file", "line", "rule", "original", "mutated",
                  "result", "seconds", "detail"]
RESULTS = ["killed-assertion", "killed-crash", "survived", "stillborn", "unclear"]


def command_summarise(paths):
    """The outcomes of several runs (two halves of a sample side by side,
    say) summed up, a table for each sample and seed: per folder the kills
    by a failed assertion and by a timeout or crash apart, the survivors,
    the stillborn and the score, then every survivor. A mutant run twice
    counts once, with its last outcome."""
    outcomes = {}
    for path in paths:
        with open(path, encoding="latin-1") as f:
            for row in f:
                fields = dict(zip(OUTCOME_FIELDS, row.rstrip("\n").split("\t")))
                outcomes[(fields["sample"], fields["seed"], int(fields["number"]))] = fields
    print("Runs: %s" % " ".join(paths))
    for sample, seed in sorted({(k[0], k[1]) for k in outcomes}, key=lambda s: (int(s[0]), s[1])):
        summarise_sample(sample, seed, {k: o for k, o in outcomes.items() if k[:2] == (sample, seed)})


def summarise_sample(sample, seed, outcomes):
    print("\nSample of %s mutants, seed %s:" % (sample, seed))
    folders = [f for f in FOLDERS if any(o["folder"] == f for o in outcomes.values())]
    counts = {f: {r: 0 for r in RESULTS} for f in folders + ["total"]}
    seconds = 0
    for o in outcomes.values():
        counts[o["folder"]][o["result"]] += 1
        counts["total"][o["result"]] += 1
        seconds += int(o["seconds"] or 0)
    unclear = counts["total"]["unclear"] > 0
    print()
    print("%-9s %-24s" % ("", "killed by"))
    print("%-9s %9s %14s %9s %10s %6s%s" % ("folder", "assertion", "timeout/crash", "survived", "stillborn",
                                          "score", "  unclear" if unclear else ""))
    for f in folders + ["total"]:
        c = counts[f]
        killed = c["killed-assertion"] + c["killed-crash"]
        score = "%.0f%%" % (100.0 * killed / (killed + c["survived"])) if killed + c["survived"] else "-"
        print("%-9s %9d %14d %9d %10d %6s%s" % (f, c["killed-assertion"], c["killed-crash"], c["survived"],
                                              c["stillborn"], score, "  %7d" % c["unclear"] if unclear else ""))
    print("\nscore: killed (both kinds) / (killed + survived); stillborn mutants do not build")
    ran = len(outcomes)
    missing = [n for n in range(1, int(sample) + 1) if (sample, seed, n) not in outcomes]
    print("\n%d mutants in %d s of mutant runs, %d s a mutant%s" % (
        ran, seconds, seconds // ran if ran else 0, "; not run: %d" % len(missing) if missing else ""))
    for result, title in (("survived", "Survivors"), ("unclear", "Unclear (only tests failing without a mutant failed)"),
                          ("killed-crash", "Killed by a timeout or crash")):
        chosen = sorted((k, o) for k, o in outcomes.items() if o["result"] == result)
        if not chosen:
            continue
        print("\n%s (%d):" % (title, len(chosen)))
        for (_, _, number), o in chosen:
            print("#%d %s %s:%s %s%s" % (number, o["folder"], o["file"], o["line"], o["rule"],
                                         " (%s)" % o["detail"] if o["detail"] and result != "survived" else ""))
            print(readable(o["original"], o["mutated"]))


# What ctest prints: a line per test run (again for each rerun), the test's
# output below it when it failed (--output-on-failure), and at the end the
# tests that failed in the end with the reason in parentheses: "Failed"
# (ended non-zero), "Timeout", "SEGFAULT" and other signals, "Exception",
# "Not Run" (a fixture it needs failed, or no program).
STATUS_LINE = re.compile(r"^\s*(?:\d+/\d+\s+)?Test\s+#\d+:\s+(\S+)\s+\.*\s*(Passed|\*\*\*.*?)\s+[\d.]+\s+sec\s*$")
BLOCK_END = re.compile(r"^\s+Start\s+\d+:|^\d+% tests passed|^The following tests")
FINAL_FAILURE = re.compile(r"^\s*\d+ - (\S+) \((.+)\)\s*$")
# A failed GoogleTest assertion names its file and line; an exception the
# test body let through is reported at "unknown file" and is a crash.
ASSERTION = re.compile(r"^(?!unknown file).*(?::\d+: Failure|\(\d+\): error:)")


def read_ctest_log(path):
    """The tests run, the tests that failed in the end with their reasons,
    the tests that failed at least once, and the output of each test's last
    failed run."""
    ran, failed_once, final, output = [], set(), {}, {}
    current, in_summary = None, False
    with open(path, encoding="latin-1") as f:
        for line in f:
            line = line.rstrip("\n")
            status = STATUS_LINE.match(line)
            if status:
                name, verdict = status.groups()
                if name not in ran:
                    ran.append(name)
                current = None
                if verdict != "Passed":
                    failed_once.add(name)
                    current = name
                    output[name] = []
                continue
            if line.startswith("The following tests FAILED"):
                in_summary, current = True, None
                continue
            if in_summary:
                m = FINAL_FAILURE.match(line)
                if m:
                    final[m.group(1)] = m.group(2)
                continue
            if BLOCK_END.match(line):
                current = None
            elif current is not None:
                output[current].append(line)
    return ran, failed_once, final, output


def command_baseline(log, directory):
    """Writes which tests passed without a mutant (baseline-passed.txt),
    which failed even when run again (baseline-excluded.txt, with the
    reason) and which passed only when run again (baseline-reran.txt)."""
    ran, failed_once, final, _ = read_ctest_log(log)
    passed = [name for name in ran if name not in final]
    with open(os.path.join(directory, "baseline-passed.txt"), "w") as f:
        f.writelines(name + "\n" for name in passed)
    with open(os.path.join(directory, "baseline-excluded.txt"), "w") as f:
        f.writelines("%s (%s)\n" % (name, final[name]) for name in ran if name in final)
    with open(os.path.join(directory, "baseline-reran.txt"), "w") as f:
        f.writelines(name + "\n" for name in passed if name in failed_once)
    print("%d passed, %d left out, %d passed when run again" % (len(passed), len(final), len(
        [n for n in passed if n in failed_once])))


def command_verdict(log, status, passed_list):
    """A mutant's result and its reason, tab-separated: killed-assertion,
    killed-crash, survived or unclear. Only tests that passed without a
    mutant count; a test not run for a fixture that failed is no kill of
    its own."""
    with open(passed_list) as f:
        passed = {line.strip() for line in f if line.strip()}
    ran, _, final, output = read_ctest_log(log)
    with open(log, encoding="latin-1") as f:
        no_tests = "No tests were found" in f.read()
    kills = [(name, why) for name, why in final.items() if name in passed and not why.startswith("Not Run")]
    if not kills:
        if status == "0" and ran and not no_tests:
            print("survived\t")
        else:
            print("unclear\t%s" % (", ".join("%s (%s)" % k for k in final.items()) or "no test ran"))
        return
    for name, why in kills:
        if why == "Failed":
            failures = [line for line in output.get(name, []) if ASSERTION.match(line)]
            if failures:
                where = re.sub(r"^.*[\\/]", "", failures[0]).replace(": Failure", "")
                print("killed-assertion\t%s at %s" % (name, where))
                return
    reasons = []
    for name, why in kills:
        if why == "Failed":
            lines = [l.strip() for l in output.get(name, []) if l.strip()]
            hint = next((l for l in lines if re.search(r"wine:|exception|crash|abort", l, re.I)), lines[-1] if lines else "")
            why = "ended non-zero without a failed assertion%s" % (": " + hint[:100] if hint else "")
        reasons.append("%s (%s)" % (name, why))
    print("killed-crash\t%s" % "; ".join(reasons))


def main(argv):
    if len(argv) == 5 and argv[1] == "list":
        command_list(argv[2], int(argv[3]), argv[4])
    elif len(argv) in (3, 4) and argv[1] == "show":
        command_show(*argv[2:])
    elif len(argv) == 7 and argv[1] == "apply":
        command_apply(*argv[2:])
    elif len(argv) >= 3 and argv[1] == "summarise":
        command_summarise(argv[2:])
    elif len(argv) == 4 and argv[1] == "baseline":
        command_baseline(*argv[2:])
    elif len(argv) == 5 and argv[1] == "verdict":
        command_verdict(*argv[2:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
