#!/usr/bin/env python3
"""help_pages_test.py SOURCE_ROOT HELP_FOLDER: the help pages are well-formed HTML, every link inside
the help resolves, and each page names every visible control text of its page in resources/pages.rc."""
import html.parser
import os
import re
import sys

EMPTY = {"area", "base", "br", "col", "hr", "img", "input", "link", "meta", "param"}
PAGES = {"IDD_GENERAL_PAGE": "HELP_GENERAL.HTM", "IDD_FPS_PAGE": "HELP_FPS.HTM",
         "IDD_MOVIES_PAGE": "HELP_MOVIES.HTM", "IDD_SCREENSHOTS_PAGE": "HELP_SCREENSHOTS.HTM"}


class Page(html.parser.HTMLParser):
    def __init__(self, path):
        super().__init__()
        self.open, self.errors, self.ids, self.links, self.words = [], [], set(), [], []
        self.feed(open(path, encoding="latin-1").read())
        self.close()
        self.errors += [f"<{tag}> never closed" for tag in self.open]
        self.text = " ".join("".join(self.words).split())

    def handle_starttag(self, tag, attrs):
        self.ids.update(v for k, v in attrs if k == "id" or (tag, k) == ("a", "name"))
        self.links += [v for k, v in attrs if (tag, k) == ("a", "href")]
        self.open += [tag] if tag not in EMPTY else []

    def handle_endtag(self, tag):
        if tag in EMPTY or self.open[-1:] != [tag]:
            self.errors.append(f"line {self.getpos()[0]}: </{tag}> does not close {self.open[-1:]}")
        else:
            self.open.pop()

    def handle_data(self, data):
        self.words += [data] if "body" in self.open else []


def control_texts(rc, dialog):
    """Texts of the dialog's visible controls; a hotkey field's template text
    gives way to the key's name at start-up."""
    body = re.search(r"^%s DIALOGEX.*?^BEGIN(.*?)^END" % dialog, rc, re.M | re.S).group(1)
    return [text.replace('""', '"') for text, window_class, style in
            re.findall(r'^\s*CONTROL\s+"((?:[^"]|"")+)"\s*,\s*\w+\s*,\s*([^,]+),([^,]+),', body, re.M)
            if "NOT WS_VISIBLE" not in style and "HOTKEY_CLASS" not in window_class]


def main(root, help_folder):
    rc = open(os.path.join(root, "resources", "pages.rc"), encoding="latin-1").read()
    pages = {name: Page(os.path.join(help_folder, name)) for name in PAGES.values()}
    errors = []
    for dialog, name in PAGES.items():
        texts = control_texts(rc, dialog) or [f"(no control texts found in {dialog})"]
        errors += [f"{name}: {e}" for e in pages[name].errors]
        errors += [f"{name}: does not name {t!r}" for t in texts if " ".join(t.split()) not in pages[name].text]
        for target, _, fragment in (href.partition("#") for href in pages[name].links):
            if (target or name) not in pages or (fragment and fragment not in pages[target or name].ids):
                errors.append(f"{name}: link {target}#{fragment} leads nowhere in the help")
    print("\n".join(errors) or "the help pages are well-formed, complete and linked")
    return 1 if errors else 0


sys.exit(main(*sys.argv[1:3]) if len(sys.argv) >= 3 else __doc__)
