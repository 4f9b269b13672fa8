#!/usr/bin/env python3
"""The help pages: well-formed HTML 4.01, self-contained, every link inside
them resolves, and each names every visible control of its page as the page
shows it. The control texts come from resources/pages.rc (and the printed
labels from resources/art/make-art.sh), so the help cannot drift from the
pages.

    help_pages_test.py SOURCE_ROOT HELP_FOLDER [unittest options]
"""
import html.parser
import os
import re
import sys
import unittest

# Elements of HTML 4.01 Strict; the empty ones have no end tag.
EMPTY_ELEMENTS = {"area", "base", "br", "col", "hr", "img", "input", "link", "meta", "param"}
ELEMENTS = EMPTY_ELEMENTS | {
    "a", "abbr", "acronym", "address", "b", "bdo", "big", "blockquote", "body", "button", "caption",
    "cite", "code", "colgroup", "dd", "del", "dfn", "div", "dl", "dt", "em", "fieldset", "form", "h1",
    "h2", "h3", "h4", "h5", "h6", "head", "html", "i", "ins", "kbd", "label", "legend", "li", "map",
    "noscript", "object", "ol", "optgroup", "option", "p", "pre", "q", "samp", "select", "small",
    "span", "strong", "style", "sub", "sup", "table", "tbody", "td", "textarea", "tfoot", "th",
    "thead", "title", "tr", "tt", "ul", "var",
}
# Elements that may not stand inside a paragraph or a heading.
BLOCK_ELEMENTS = {"address", "blockquote", "div", "dl", "fieldset", "form", "h1", "h2", "h3", "h4",
                  "h5", "h6", "hr", "noscript", "ol", "p", "pre", "table", "ul"}
INLINE_ONLY = {"p", "h1", "h2", "h3", "h4", "h5", "h6", "dt", "pre", "a", "span", "code", "strong", "em"}

HELP_FILES = {
    "IDD_GENERAL_PAGE": "HELP_GENERAL.HTM",
    "IDD_FPS_PAGE": "HELP_FPS.HTM",
    "IDD_MOVIES_PAGE": "HELP_MOVIES.HTM",
    "IDD_SCREENSHOTS_PAGE": "HELP_SCREENSHOTS.HTM",
}
# The functions of make-art.sh that draw each page's background.
ART_FUNCTIONS = {
    "IDD_GENERAL_PAGE": "draw_general",
    "IDD_FPS_PAGE": "draw_fps",
    "IDD_MOVIES_PAGE": "draw_movies",
    "IDD_SCREENSHOTS_PAGE": "draw_screenshots",
}


class HelpPage(html.parser.HTMLParser):
    """One page parsed strictly: every element opened is closed in order."""

    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.errors = []
        self.stack = []
        self.doctype = None
        self.ids = set()
        self.links = []            # href values of <a>
        self.resources = []        # src values and <link> hrefs: must be none
        self.scripts = 0
        self.styles = 0
        self.title = ""
        self.text_parts = []
        self.feed(text)
        self.close()
        for tag, line in self.stack:
            self.errors.append(f"line {line}: <{tag}> is never closed")

    def _where(self):
        return f"line {self.getpos()[0]}"

    def handle_decl(self, decl):
        self.doctype = decl

    def handle_starttag(self, tag, attrs):
        if self.startendtag:
            self.errors.append(f"{self._where()}: <{tag} /> is XML, not HTML 4.01")
        if tag not in ELEMENTS:
            self.errors.append(f"{self._where()}: <{tag}> is not an HTML 4.01 Strict element")
        if tag in ("script", "iframe", "frame", "embed", "applet"):
            self.scripts += 1
        if tag == "style":
            self.styles += 1
        parents = [t for t, _ in self.stack]
        if tag in BLOCK_ELEMENTS and parents and parents[-1] in INLINE_ONLY:
            self.errors.append(f"{self._where()}: <{tag}> inside <{parents[-1]}>")
        if tag == "a" and "a" in parents:
            self.errors.append(f"{self._where()}: <a> inside <a>")
        if not self.stack and tag != "html":
            self.errors.append(f"{self._where()}: <{tag}> outside <html>")
        attributes = dict(attrs)
        for name, value in attrs:
            if name.startswith("on"):
                self.scripts += 1
            if value is None:
                self.errors.append(f"{self._where()}: attribute {name} of <{tag}> has no value")
        if "id" in attributes:
            if attributes["id"] in self.ids:
                self.errors.append(f"{self._where()}: id {attributes['id']} used twice")
            self.ids.add(attributes["id"])
        if tag == "a" and "name" in attributes:
            self.ids.add(attributes["name"])
        if tag == "a" and "href" in attributes:
            self.links.append((attributes["href"], self.getpos()[0]))
        if "src" in attributes:
            self.resources.append(attributes["src"])
        if tag == "link":
            self.resources.append(attributes.get("href", ""))
        if tag not in EMPTY_ELEMENTS:
            self.stack.append((tag, self.getpos()[0]))

    startendtag = False

    def handle_startendtag(self, tag, attrs):
        self.startendtag = True
        self.handle_starttag(tag, attrs)
        self.startendtag = False
        if tag not in EMPTY_ELEMENTS and self.stack and self.stack[-1][0] == tag:
            self.stack.pop()

    def handle_endtag(self, tag):
        if tag in EMPTY_ELEMENTS:
            self.errors.append(f"{self._where()}: </{tag}> of an empty element")
            return
        if not self.stack:
            self.errors.append(f"{self._where()}: </{tag}> without <{tag}>")
            return
        open_tag, line = self.stack[-1]
        if open_tag != tag:
            self.errors.append(f"{self._where()}: </{tag}> closes <{open_tag}> of line {line}")
            if any(t == tag for t, _ in self.stack):
                while self.stack and self.stack[-1][0] != tag:
                    self.stack.pop()
                self.stack.pop()
            return
        self.stack.pop()

    def handle_data(self, data):
        parents = [t for t, _ in self.stack]
        if "title" in parents:
            self.title += data
        if "body" in parents and "style" not in parents:
            self.text_parts.append(data)
        elif data.strip() and "head" not in parents:
            self.errors.append(f"{self._where()}: text outside <body>: {data.strip()[:30]!r}")

    def structure_errors(self):
        errors = list(self.errors)
        if not self.doctype or "-//W3C//DTD HTML 4.01" not in self.doctype:
            errors.append("no HTML 4.01 document type")
        if not self.title.strip():
            errors.append("no <title>")
        if self.scripts:
            errors.append("scripts, frames or event handlers")
        if self.styles != 1:
            errors.append(f"{self.styles} style blocks instead of one")
        if self.resources:
            errors.append(f"external files: {self.resources}")
        return errors

    def text(self):
        """The text a reader sees, white space folded."""
        return " ".join("".join(self.text_parts).split())


def rc_blocks(rc_text):
    """DIALOGEX name -> its lines between BEGIN and END; and the menu lines."""
    blocks = {}
    current = None
    depth = 0
    for line in rc_text.splitlines():
        stripped = line.strip()
        header = re.match(r"^(\w+)\s+(DIALOGEX|MENU)\b", stripped)
        if header and depth == 0:
            current = header.group(1)
            blocks[current] = []
            continue
        if current is None:
            continue
        if stripped == "BEGIN":
            depth += 1
        elif stripped == "END":
            depth -= 1
            if depth == 0:
                current = None
        elif depth > 0:
            blocks[current].append(stripped)
    return blocks


def visible_control_texts(dialog_lines):
    """Texts of the visible controls as the page shows them. A hotkey field's
    template text ("HotKey1") is replaced by the key's name at start-up, so
    it is not a text the user sees."""
    texts = []
    for line in dialog_lines:
        control = re.match(r'^CONTROL\s+"((?:[^"]|"")*)"\s*,\s*([-\w]+)\s*,\s*([^,]+),\s*([^,]+)', line)
        if not control:
            continue
        text, _, window_class, style = control.groups()
        if not text or "NOT WS_VISIBLE" in style or "HOTKEY_CLASS" in window_class:
            continue
        texts.append(text.replace('""', '"'))
    return texts


def picture_button_texts(dialog_lines, art_text):
    """Labels printed on the owner-drawn buttons of a page, by their role
    word in the control's name (IDC_MOVIES_VIEW_FOLDER: "view")."""
    labels = dict(re.findall(r'^push_button\s+(\w+)\s+"([^"]+)"', art_text, re.M))
    texts = []
    for line in dialog_lines:
        control = re.match(r'^CONTROL\s+"",\s*(\w+),\s*"Button",\s*SKIN_BUTTON', line)
        if not control:
            continue
        words = control.group(1).lower().split("_")
        texts += [labels[w] for w in words if w in labels]
    return texts


def art_labels(art_text, function):
    """Labels, headings and group titles printed on a page's background."""
    body = re.search(r"^%s\(\)\s*\{(.*?)^\}" % function, art_text, re.M | re.S)
    if not body:
        return None
    texts = re.findall(r'^\s*(?:label\s+\S+\s+\S+|heading\s+\S+\s+\S+|hotkey_label|folder_group)\s+"([^"]+)"',
                       body.group(1), re.M)
    return texts


def tab_names(art_text):
    names = re.search(r"^TAB_NAMES=\(([^)]*)\)", art_text, re.M)
    return re.findall(r'"([^"]+)"', names.group(1)) if names else None


def missing_texts(page_text, texts):
    return [t for t in texts if " ".join(t.split()) not in page_text]


def broken_links(help_folder, name, page, parsed_pages):
    """Links that do not lead to a help page or to an id inside one."""
    broken = []
    for href, line in page.links:
        target, _, fragment = href.partition("#")
        if re.match(r"^[a-z][a-z0-9+.-]*:", target, re.I):
            broken.append(f"line {line}: {href} leaves the help folder")
            continue
        target_name = target or name
        if target_name not in parsed_pages:
            if not os.path.isfile(os.path.join(help_folder, target_name)):
                broken.append(f"line {line}: {href}: no file {target_name}")
                continue
            with open(os.path.join(help_folder, target_name), encoding="latin-1") as f:
                parsed_pages[target_name] = HelpPage(f.read())
        if fragment and fragment not in parsed_pages[target_name].ids:
            broken.append(f"line {line}: {href}: no id {fragment} in {target_name}")
    return broken


SOURCE_ROOT = None
HELP_FOLDER = None


class HelpPages(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(os.path.join(SOURCE_ROOT, "resources", "pages.rc"), encoding="latin-1") as f:
            cls.rc = rc_blocks(f.read())
        with open(os.path.join(SOURCE_ROOT, "resources", "art", "make-art.sh"), encoding="utf-8") as f:
            cls.art = f.read()
        cls.pages = {}
        for name in HELP_FILES.values():
            with open(os.path.join(HELP_FOLDER, name), encoding="latin-1") as f:
                cls.pages[name] = HelpPage(f.read())

    def test_the_sources_still_describe_four_pages_the_menu_and_the_tabs(self):
        # Guards the readers below: a renamed template or art function would
        # otherwise leave nothing to compare.
        for dialog in HELP_FILES:
            with self.subTest(dialog=dialog):
                self.assertIn(dialog, self.rc)
                self.assertIn("Help", picture_button_texts(self.rc[dialog], self.art))
                self.assertTrue(art_labels(self.art, ART_FUNCTIONS[dialog]))
        self.assertIn("IDM_NOTIFY_MENU", self.rc)
        self.assertEqual(4, len(tab_names(self.art) or []))

    def test_well_formed_html_4_01(self):
        for name, page in self.pages.items():
            with self.subTest(page=name):
                self.assertEqual([], page.structure_errors())

    def test_every_link_resolves(self):
        parsed = dict(self.pages)
        for name, page in self.pages.items():
            with self.subTest(page=name):
                self.assertEqual([], broken_links(HELP_FOLDER, name, page, parsed))

    def test_each_page_names_its_visible_controls_as_the_page_shows_them(self):
        for dialog, name in HELP_FILES.items():
            with self.subTest(page=name):
                texts = visible_control_texts(self.rc[dialog])
                self.assertEqual([], missing_texts(self.pages[name].text(), texts))

    def test_each_page_names_its_picture_buttons_printed_labels_and_the_tabs(self):
        for dialog, name in HELP_FILES.items():
            with self.subTest(page=name):
                buttons = picture_button_texts(self.rc[dialog], self.art)
                self.assertIn("Help", buttons)
                labels = art_labels(self.art, ART_FUNCTIONS[dialog])
                self.assertIsNotNone(labels, ART_FUNCTIONS[dialog])
                expected = buttons + labels + tab_names(self.art)
                self.assertEqual([], missing_texts(self.pages[name].text(), expected))

    def test_the_general_page_names_the_menu_items_and_the_probe(self):
        items = [re.match(r'MENUITEM\s+"([^"]+)"', line).group(1)
                 for line in self.rc["IDM_NOTIFY_MENU"] if re.match(r'MENUITEM\s+"', line)]
        self.assertEqual(5, len(items))
        text = self.pages["HELP_GENERAL.HTM"].text()
        self.assertEqual([], missing_texts(text, items + ["zentu64-probe.exe", "zentu64.dll"]))


class TheChecksCatchFaults(unittest.TestCase):
    """The checks above on pages that are wrong in one way each."""

    GOOD = ('<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN" "http://www.w3.org/TR/html4/strict.dtd">\n'
            '<html><head><title>t</title><style type="text/css">p { }</style></head>\n'
            '<body><h1 id="top">Title</h1><p>Run Zentu when   Windows\nstarts &amp; more</p>BODY</body></html>\n')

    def page(self, body=""):
        return HelpPage(self.GOOD.replace("BODY", body))

    def test_a_good_page_passes(self):
        page = self.page()
        self.assertEqual([], page.structure_errors())
        self.assertEqual([], missing_texts(page.text(), ["Run Zentu when Windows starts"]))

    def test_unclosed_misnested_and_unknown_elements_fail(self):
        for body in ("<p>open", "<p><strong>x</p></strong>", "<ul><li>x</ul>", "<blink>x</blink>",
                     "<p><ul><li>x</li></ul></p>", "<br />", "</br>"):
            with self.subTest(body=body):
                self.assertNotEqual([], self.page(body).structure_errors())

    def test_scripts_external_files_and_a_second_style_fail(self):
        for body in ('<script type="text/javascript">x</script>', '<img src="a.png" alt="a">',
                     '<p onclick="x">x</p>', '<style type="text/css">p { }</style>'):
            with self.subTest(body=body):
                self.assertNotEqual([], self.page(body).structure_errors())

    def test_a_missing_control_text_is_reported(self):
        self.assertEqual(["Start Zentu minimized"],
                         missing_texts(self.page().text(), ["Start Zentu minimized", "Run Zentu when Windows starts"]))

    def test_broken_links_are_reported(self):
        parsed = {}
        for href in ("#nowhere", "HELP_NONE.HTM", "http://example.com/", "HELP_GENERAL.HTM#nowhere"):
            with self.subTest(href=href):
                page = self.page(f'<p><a href="{href}">x</a></p>')
                self.assertNotEqual([], broken_links(HELP_FOLDER, "X.HTM", page, parsed))
        page = self.page('<p><a href="#top">x</a></p>')
        self.assertEqual([], broken_links(HELP_FOLDER, "X.HTM", page, {"X.HTM": page}))

    def test_hidden_controls_and_hotkey_placeholders_are_not_required(self):
        lines = ['CONTROL "40 fps", IDC_X, "Button", BS_AUTORADIOBUTTON | WS_CHILD | NOT WS_VISIBLE, 1, 2, 3, 4',
                 'CONTROL "HotKey1", IDC_Y, HOTKEY_CLASSA, HOTKEY_FIELD, 12, 73, 60, 12',
                 'CONTROL "50 fps", IDC_Z, "Button", RADIO, 162, 78, 28, 7']
        self.assertEqual(["50 fps"], visible_control_texts(lines))


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    SOURCE_ROOT, HELP_FOLDER = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
