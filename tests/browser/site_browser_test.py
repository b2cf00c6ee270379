#!/usr/bin/env python3
"""The site `quillon html` writes, for the bundled example and for a project whose names and texts
look like markup (hostile/), checked as a reader meets it.

    site_browser_test.py QUILLON links      every link of both sites leads somewhere (and the hostile
                                            export writes nothing outside its folder)
    site_browser_test.py QUILLON html       tidy finds nothing to say about any page of either
    site_browser_test.py QUILLON browser    both sites walked in headless Chromium
    site_browser_test.py QUILLON --screenshots DIR
                                            the manual's pictures of the example's site, into DIR

Chromium is driven through chromedriver's WebDriver protocol with the standard library alone.
Exits 77 when a program it needs is missing.
"""

import argparse
import base64
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request
from pathlib import Path
from urllib.parse import unquote, urlsplit

SOURCE = Path(__file__).resolve().parents[2]
EXAMPLE = SOURCE / "examples" / "inventory" / "Inventory.vbp"
HOSTILE = Path(__file__).resolve().parent / "hostile"
TOOLS = SOURCE / "tools" / "site"
SKIP = 77
ELEMENT = "element-6066-11e4-a52e-4f735466cecf"

# What the hostile project's pages must show as text, not run or render: page heading -> texts.
HOSTILE_PROJECT = "Hostile <b>&amp; 'too'"
HOSTILE_TEXTS = {
    "modScript.bas": [
        '"</script><script>alert(1)</script>"',
        "' Shown as text: <b>&amp; is not bold",
        '"<img src=x onerror=alert(2)>"',
        'Grüße "<!-- not a comment -->"',
    ],
    "frmOdd.frm": [
        'Caption         =   "<script>alert(3)</script>"',
        'Caption         =   "<img src=x onerror=alert(1)>"',
        'Tag             =   "say ""hi"" & it\'s <done>"',
        "Begin VB.Label lbl\"Odd'",
        "Tag             =   \"'\"\"\"",
    ],
    "Odd & Name #1 %.bas": ["' 100% & #1 <i>not italic</i>", 'Grüße "&lt;"'],
    "Modül.bas": ["Public Sub Grüße(ByVal sWem As String)", 'Debug.Print "Grüße, " & sWem & "! <u>"'],
    HOSTILE_PROJECT: [f"{HOSTILE_PROJECT}\n", "Odd & Name #1 %.bas", "Modül.bas"],
}


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(probe, seconds, message):
    """probe()'s first true answer within the time, else a failure saying what did not happen."""
    deadline = time.monotonic() + seconds
    while True:
        answer = probe()
        if answer:
            return answer
        if time.monotonic() > deadline:
            raise Failure(message)
        time.sleep(0.05)


def export(quillon, vbp, folder):
    """quillon html VBP -o FOLDER; its notes."""
    run = subprocess.run([quillon, "html", str(vbp), "-o", str(folder)], capture_output=True, text=True, timeout=60)
    expect(run.returncode == 0, f"quillon html {vbp.name} failed ({run.returncode}):\n{run.stderr}")
    expect(run.stdout.strip() == str(folder / "index.html"), f"quillon html printed {run.stdout!r}")
    return run.stderr


def files_under(root, *leaving_out):
    """Every file and folder under root but the folders left out, with its time of change."""
    return {
        (path, path.stat().st_mtime_ns)
        for path in root.rglob("*")
        if not any(path == left or left in path.parents for left in leaving_out)
    }


def export_sites(quillon, work):
    """The example's site and the hostile project's, the latter copied two folders deep so that
    its entry ..\\..\\escape.bas points inside work, where nothing but its site may change."""
    example = work / "example-site"
    export(quillon, EXAMPLE, example)
    project = work / "a" / "b" / "hostile"
    shutil.copytree(HOSTILE, project)
    hostile = work / "hostile-site"
    before = files_under(work, example, hostile)
    notes = export(quillon, project / "Hostile.vbp", hostile)
    changed = sorted({str(path) for path, _ in files_under(work, example, hostile) ^ before})
    expect(not changed, f"the hostile export wrote outside its folder: {changed}")
    expect("escape.bas" in notes, f"no note of the missing escape.bas entry:\n{notes}")
    return example, hostile


def run_tool(command):
    run = subprocess.run(command, capture_output=True, text=True, timeout=120)
    if run.returncode == SKIP:
        print(run.stderr.strip(), file=sys.stderr)
        raise SystemExit(SKIP)
    expect(run.returncode == 0, f"{' '.join(map(str, command))}:\n{run.stdout}{run.stderr}")
    print(run.stdout.strip().splitlines()[-1] if run.stdout.strip() else "")


class WebDriverError(Exception):
    def __init__(self, error, message):
        super().__init__(f"{error}: {message.splitlines()[0] if message else ''}")
        self.error = error


class Browser:
    """Headless Chromium through chromedriver's WebDriver HTTP protocol."""

    def __init__(self, driver, chromium, width=1400, height=1000):
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        self.driver = subprocess.Popen([driver, f"--port={port}"], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        self.base = f"http://127.0.0.1:{port}"
        self.session = ""
        options = {"binary": chromium, "args": ["--headless=new", "--no-sandbox", "--disable-gpu",
                                                f"--window-size={width},{height}", "--hide-scrollbars"]}
        # An alert is left open, for the test to find; the log keeps every console message.
        capabilities = {"browserName": "chrome", "goog:chromeOptions": options,
                        "goog:loggingPrefs": {"browser": "ALL"}, "unhandledPromptBehavior": "ignore",
                        "timeouts": {"pageLoad": 15000, "script": 15000}}
        try:
            wait_for(self.ready, 15, "chromedriver did not start")
            answer = self.request("POST", "/session", {"capabilities": {"alwaysMatch": capabilities}})
            self.session = f"/session/{answer['sessionId']}"
        except BaseException:
            self.close()
            raise

    def ready(self):
        try:
            return self.request("GET", "/status").get("ready")
        except OSError:
            return False

    def request(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=60) as reply:
                return json.load(reply)["value"]
        except urllib.error.HTTPError as error:
            value = json.load(error)["value"]
            raise WebDriverError(value.get("error"), value.get("message")) from None

    def __call__(self, method, path, body=None):
        return self.request(method, self.session + path, body)

    def close(self):
        try:
            if self.session:
                self("DELETE", "")
        finally:
            self.driver.terminate()
            self.driver.wait(10)

    def open(self, path):
        self("POST", "/url", {"url": path.as_uri()})

    def script(self, source, *args):
        return self("POST", "/execute/sync", {"script": source, "args": list(args)})

    def click(self, element):
        self("POST", f"/element/{element[ELEMENT]}/click", {})

    def location(self):
        """The page's file name and its fragment, decoded."""
        parts = urlsplit(self("GET", "/url"))
        return unquote(Path(parts.path).name), unquote(parts.fragment)

    def alert(self):
        try:
            return self("GET", "/alert/text")
        except WebDriverError as error:
            if error.error == "no such alert":
                return None
            raise

    def text(self, css="body"):
        body = self("POST", "/element", {"using": "css selector", "value": css})
        return self("GET", f"/element/{body[ELEMENT]}/text")

    def severe_messages(self):
        return [entry["message"] for entry in self("POST", "/se/log", {"type": "browser"})
                if entry["level"] == "SEVERE"]

    def screenshot(self, target):
        target.write_bytes(base64.b64decode(self("GET", "/screenshot")))


def routine_at(browser):
    """The record the URL's fragment names: [its id, its heading, whether it is in view]."""
    return browser.script("""
        var target = document.getElementById(decodeURIComponent(location.hash.slice(1)));
        var record = target && target.closest("section.record");
        if (!record) return null;
        var top = target.getBoundingClientRect().top;
        var heading = record.querySelector("h2");
        return [record.id, heading ? heading.textContent : "", top >= 0 && top < innerHeight];
    """)


def expect_routine(browser, page, name, record_id=None):
    at = browser.location()
    expect(at[0] == page, f"landed on {at}, not on {page}")
    record = routine_at(browser)
    expect(record, f"{at}: the fragment names no element in a record")
    expect(record_id is None or record[0] == record_id, f"{at}: in record {record[0]}, not {record_id}")
    expect(name in record[1].split(), f"{at}: record {record[1]!r} is not {name}'s")
    expect(record[2], f"{at}: {name} is not scrolled into view")
    return record[0]


def search(browser, typed, name):
    """Types into the search box and follows the result that is the routine name."""
    box = browser.script("return document.getElementById('search')")
    browser("POST", f"/element/{box[ELEMENT]}/value", {"text": typed})
    find = f"""return Array.from(document.querySelectorAll('#search-results:not([hidden]) a'))
                   .find(function (a) {{ return a.textContent === {json.dumps(name)}; }}) || null;"""
    hit = wait_for(lambda: browser.script(find), 5, f"searching {typed!r} does not show {name}")
    expect(browser("GET", f"/element/{hit[ELEMENT]}/displayed"), f"the result {name} is hidden")
    page = unquote(urlsplit(browser.script("return arguments[0].getAttribute('href')", hit)).path)
    browser.click(hit)
    return page


def walk_example(browser, site):
    """From the index to a module, along a call to another page, back by its caller list, and
    to a routine by the search box."""
    browser.open(site / "index.html")
    module = browser.script("return document.querySelector('main a[href=\"modMain.bas.html\"]')")
    expect(module, "the index has no link to modMain.bas.html")
    browser.click(module)
    expect(browser.location()[0] == "modMain.bas.html", f"the index's link led to {browser.location()}")
    call = browser.script("""
        return Array.from(document.querySelectorAll("a.call")).find(function (a) {
            var page = a.getAttribute("href").split("#")[0];
            return page && page !== "modMain.bas.html" && /^\\w+$/.test(a.textContent)
                && a.closest("section.record").id.startsWith("r-"); }) || null;""")
    expect(call, "no procedure of modMain.bas.html has a call to another page")
    callee, caller_record = browser.script(
        "return [arguments[0].textContent, arguments[0].closest('section.record').id]", call)
    callee_page = unquote(browser.script("return arguments[0].getAttribute('href')", call).split("#")[0])
    browser.click(call)
    callee_record = expect_routine(browser, callee_page, callee)

    back = browser.script("""
        return document.querySelector("section.record[id='" + arguments[0] + "'] div.called-by a[href='"
                                      + arguments[1] + "']");""", callee_record, f"modMain.bas.html#{caller_record}")
    expect(back, f"{callee} does not list its caller {caller_record} of modMain.bas.html")
    browser.click(back)
    expect(browser.location() == ("modMain.bas.html", caller_record), f"the caller's link led to {browser.location()}")

    found_page = search(browser, callee[1:-1].lower(), callee)
    expect_routine(browser, found_page, callee, callee_record)


def walk_hostile(browser, site):
    """Every page opens with no alert and shows the project's markup-like texts as text."""
    shown = {}
    for page in sorted(site.glob("*.html")):
        browser.open(page)
        alert = browser.alert()
        expect(alert is None, f"{page.name} opened an alert: {alert!r}")
        title = browser("GET", "/title")
        expect(title.endswith(f" \u2014 {HOSTILE_PROJECT}"), f"{page.name} is titled {title!r}")
        heading = browser.script("var h = document.querySelector('h1'); return h && h.firstChild.textContent.trim()")
        shown[heading] = shown.get(heading, "") + browser.text()
    for heading, texts in HOSTILE_TEXTS.items():
        expect(heading in shown, f"no page is headed {heading!r} (headings: {sorted(filter(None, shown))})")
        for text in texts:
            expect(text in shown[heading], f"the page of {heading} does not show {text!r}")

    browser.open(site / "index.html")
    found_page = search(browser, "üß", "Grüße")
    expect_routine(browser, found_page, "Grüße")


def check_browser_log(browser, site_name):
    severe = browser.severe_messages()
    expect(not severe, f"{site_name}: the browser reported errors:\n" + "\n".join(severe))


def find_browser():
    driver = shutil.which("chromedriver")
    chromium = next(filter(None, map(shutil.which, ["chromium", "chromium-browser"])), None)
    if not driver or not chromium:
        print("chromium/chromedriver not found; install with ./quillon.sh setup", file=sys.stderr)
        raise SystemExit(SKIP)
    return driver, chromium


def take_screenshots(browser, site, folder):
    """The pictures of the manual. The form page shows its image once the site has one."""
    folder.mkdir(parents=True, exist_ok=True)
    scroll = {
        "site-index.png": ("index.html", None),
        "site-form-page.png": ("frmMain.frm.html", "section#image img, section#image svg"),
        "site-module-page.png": ("modMain.bas.html", None),
        "site-module-graph.png": ("modules.html", None),
    }
    for picture, (page, target) in scroll.items():
        browser.open(site / page)
        if page == "modMain.bas.html":
            # The first routine with a few calls linked, its facts panel beside it.
            browser.script("""
                var record = Array.from(document.querySelectorAll("section.record")).find(function (r) {
                    return r.querySelector("aside.facts") && r.querySelectorAll("a.call").length >= 3; });
                if (record) record.scrollIntoView();""")
        elif target:
            browser.script("var e = document.querySelector(arguments[0]); if (e) e.scrollIntoView();", target)
        browser.screenshot(folder / picture)
        size = (folder / picture).stat().st_size
        print(f"{folder / picture}: {size // 1024} KB" + ("  (over 200 KB)" if size > 200 * 1024 else ""))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("quillon", type=Path)
    parser.add_argument("check", nargs="?", choices=["links", "html", "browser"])
    parser.add_argument("--screenshots", type=Path, metavar="DIR")
    args = parser.parse_args()
    if bool(args.check) == bool(args.screenshots):
        parser.error("give one of links, html, browser or --screenshots DIR")
    if not os.access(args.quillon, os.X_OK):
        parser.error(f"{args.quillon} is not a program")

    with tempfile.TemporaryDirectory(prefix="quillon-site-") as work:
        try:
            if args.check == "links":
                for site in export_sites(args.quillon, Path(work)):
                    run_tool([sys.executable, TOOLS / "check_links.py", site])
            elif args.check == "html":
                for site in export_sites(args.quillon, Path(work)):
                    run_tool([TOOLS / "check_html.sh", site])
            else:
                browser = Browser(*find_browser())
                try:
                    if args.screenshots:
                        export(args.quillon, EXAMPLE, Path(work) / "site")
                        take_screenshots(browser, Path(work) / "site", args.screenshots.resolve())
                        return 0
                    example, hostile = export_sites(args.quillon, Path(work))
                    walk_example(browser, example)
                    check_browser_log(browser, "the example's site")
                    walk_hostile(browser, hostile)
                    check_browser_log(browser, "the hostile project's site")
                finally:
                    browser.close()
        except (Failure, WebDriverError) as failure:
            print(f"FAILED: {failure}", file=sys.stderr)
            return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
