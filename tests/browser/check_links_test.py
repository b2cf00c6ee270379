#!/usr/bin/env python3
"""tools/site/check_links.py on small sites made for it: which links it finds broken."""

import os
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools" / "site"))
import check_links  # noqa: E402

PAGE_B = '<html><body><section id="r-Gr%C3%BC"></section><p id="L1">x</p></body></html>'
INDEX = 'window.quillonSearchIndex = [\n["a","Form","a.frm","b.html#L1"],\n["b","Sub","b","{href}"],\n];\n'

# (what, the page a.html's body, the search index's href of b, the links expected broken)
CASES = [
    ("links that arrive", '<a href="#top" id="top">t</a><a href="b.html#L1">b</a><a href="b.html">b</a>'
     '<link href="assets/site.css"><script src="assets/site.js"></script><a href="">self</a>',
     "b.html#L1", set()),
    ("a fragment with no element", '<a href="#nowhere">x</a><a href="b.html#L2">b</a>', "b.html#L1",
     {("a.html", "#nowhere"), ("a.html", "b.html#L2")}),
    ("escaped names, decoded", '<a href="b.html#r-Gr%25C3%25BC">b</a><a href="odd%20%26%20name.html">o</a>'
     '<a href="b.html#r-Gr%C3%BC">b</a>',
     "b.html#r-Gr%25C3%25BC", {("a.html", "b.html#r-Gr%C3%BC")}),
    ("links that leave the site", '<a href="https://example.org/">w</a><a href="mailto:a@b">m</a>'
     '<a href="//host/x.html">h</a><a href="../outside.html">o</a><a href="javascript:alert(1)">j</a>'
     '<a href="http:b.html">h</a>',
     "b.html", {("a.html", "https://example.org/"), ("a.html", "mailto:a@b"), ("a.html", "//host/x.html"),
                ("a.html", "../outside.html"), ("a.html", "javascript:alert(1)"), ("a.html", "http:b.html")}),
    ("missing files and assets", '<img src="assets/gone.png" alt=""><a href="c.html#L1">c</a><a href="assets/">d</a>',
     "b.html", {("a.html", "assets/gone.png"), ("a.html", "c.html#L1"), ("a.html", "assets/")}),
    ("inline SVG links", '<svg><a xlink:href="b.html#L9"><text>n</text></a><a href="b.html#L1"></a></svg>',
     "b.html", {("a.html", "b.html#L9")}),
    ("the search index", "", "b.html#r-Gone", {(os.path.join("assets", "search-index.js"), "b.html#r-Gone")}),
]


class CheckLinksTest(unittest.TestCase):
    def test_broken_links(self):
        for what, body, indexed, expected in CASES:
            with self.subTest(what), tempfile.TemporaryDirectory() as work:
                site = Path(work) / "site"
                (site / "assets").mkdir(parents=True)
                (Path(work) / "outside.html").write_text("<html></html>")
                (site / "a.html").write_text(f"<html><body>{body}</body></html>")
                (site / "b.html").write_text(PAGE_B)
                (site / "odd & name.html").write_text("<html></html>")
                (site / "assets" / "site.css").write_text("")
                (site / "assets" / "site.js").write_text("")
                (site / "assets" / "search-index.js").write_text(INDEX.replace("{href}", indexed))
                pages, _, broken = check_links.check(str(site))
                self.assertEqual(pages, 3)
                self.assertEqual({(page, link) for page, link, _ in broken}, expected)


if __name__ == "__main__":
    unittest.main()
