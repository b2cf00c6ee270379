#!/usr/bin/env python3
"""Checks that every link of a site written by `quillon html` leads somewhere on the disk.

    check_links.py DIR

Every page's href and src (inline SVG's xlink:href too) must name a file of the site and, with a
fragment, an element of that page with that id; the entries of the search index must as well. A
link that leaves the site, by a scheme (http:, mailto:...) or by climbing out of DIR, is broken:
the site is read from the disk, offline. Prints the count of pages, links and broken links, then
each broken one; exits 1 when any is broken.
"""

import json
import multiprocessing
import os
import re
import sys
from html.parser import HTMLParser
from urllib.parse import unquote, urlsplit

LINK_ATTRIBUTES = {"href", "src", "xlink:href"}
SEARCH_INDEX = os.path.join("assets", "search-index.js")


class PageReader(HTMLParser):
    """The ids a page defines and the links it holds, in one pass."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids = set()
        self.links = []

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name == "id" and value is not None:
                self.ids.add(value)
            elif name in LINK_ATTRIBUTES and value is not None:
                self.links.append(value)

    handle_startendtag = handle_starttag


def read_page(path):
    reader = PageReader()
    with open(path, encoding="utf-8", errors="replace") as page:
        reader.feed(page.read())
    reader.close()
    return path, reader.ids, reader.links


def read_pages(pages, jobs):
    """read_page of each page; a big site's pages on every processor."""
    if len(pages) < 100 or jobs == 1:
        yield from map(read_page, pages)
        return
    with multiprocessing.Pool(jobs) as pool:
        yield from pool.imap_unordered(read_page, pages, chunksize=16)


def search_index_links(site):
    """The hrefs of the search index (window.quillonSearchIndex = [[name, kind, file, href], ...])."""
    path = os.path.join(site, SEARCH_INDEX)
    if not os.path.isfile(path):
        return []
    with open(path, encoding="utf-8") as script:
        text = script.read()
    # An array literal, each entry a JSON array of strings; JavaScript allows the last comma.
    array = re.sub(r",\s*\]$", "]", text[text.find("[") : text.rfind("]") + 1])
    try:
        entries = json.loads(array)
        return [entry[3] for entry in entries]
    except (ValueError, IndexError, TypeError) as error:
        raise SystemExit(f"{path}: not a list of [name, kind, file, href] entries ({error})")


class Site:
    def __init__(self, root):
        self.root = os.path.realpath(root)
        self.ids = {}  # page path -> the ids it defines
        self.targets = {}  # (folder, link's path) -> (the file it names, or None, why not)

    def target(self, folder, path):
        """The file a link's path names from a page in folder, asked once: (file, None) or (None, why not)."""
        key = (folder, path)
        known = self.targets.get(key)
        if known is None:
            parts = urlsplit(path)
            target = os.path.normpath(os.path.join(folder, unquote(parts.path)))
            if parts.scheme or parts.netloc:
                known = (None, "leaves the site (the site must work offline)")
            elif not target.startswith(self.root + os.sep):
                known = (None, "leads out of the site's folder")
            elif not os.path.isfile(target):
                known = (None, "no such file")
            else:
                known = (target, None)
            self.targets[key] = known
        return known

    def problem(self, page, folder, link):
        """Why a link of a page in folder leads nowhere, or None when it leads to what it names."""
        path, _, fragment = link.partition("#")
        target = page
        if path:
            target, problem = self.target(folder, path)
            if problem:
                return problem
        if "%" in fragment:
            fragment = unquote(fragment)
        if fragment and target in self.ids and fragment not in self.ids[target]:
            return f"no element with id {fragment!r} on {os.path.relpath(target, self.root)}"
        return None


def check(root, jobs=None):
    """(pages, links checked, [(page, link, problem)]) of the site in the folder root."""
    site = Site(root)
    pages = sorted(
        os.path.join(folder, name)
        for folder, _, names in os.walk(site.root)
        for name in names
        if name.endswith(".html")
    )
    linked = []  # (where the links are written, the page they are relative to, the links)
    for path, ids, links in read_pages(pages, jobs):
        site.ids[path] = ids
        linked.append((path, path, links))
    # The search box of any page (all of them at the top) goes where the index says.
    index_links = search_index_links(site.root)
    linked.append((os.path.join(site.root, SEARCH_INDEX), os.path.join(site.root, "index.html"), index_links))
    count = 0
    broken = []
    for source, page, links in sorted(linked):
        count += len(links)
        folder = os.path.dirname(page)
        for link in links:
            problem = site.problem(page, folder, link)
            if problem:
                broken.append((os.path.relpath(source, site.root), link, problem))
    return len(pages), count, broken


def main(argv):
    if len(argv) != 2 or not os.path.isdir(argv[1]):
        print("usage: check_links.py SITE-FOLDER", file=sys.stderr)
        return 2
    pages, links, broken = check(argv[1])
    print(f"{pages} pages, {links} links checked, {len(broken)} broken")
    for page, link, problem in broken:
        print(f"{page}: {link}: {problem}")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
