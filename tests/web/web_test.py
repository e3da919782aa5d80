#!/usr/bin/python3
"""The built web app in a browser engine (Chromium, WebKitGTK or Firefox ESR: engines.py),
driven with real key, pointer and list input, at a phone size and a desktop size, in es-ES
and en-US. Every session of actions is
played on the window-less form too (web_replay), and the page must show what it shows after
each step. Also: the live region, the tab order, the phone layout's limits, offline use with
the server stopped, a version change, installability, and no request to another origin.

Usage: web_test.py [--engine chromium|webkit|firefox] WEB-FOLDER WEB_REPLAY BUILD-WEB-DIR
                   [CONTRACT-DIR]
CONTRACT-DIR holds web_contract_test (the control-contract suite over the page's controls),
whose every case counts as a check here. WebKitGTK and Firefox run as windows on DISPLAY.
Prints a line per check, "skip" for a check the engine cannot make and why, and closes with
"NAME: N passed, M failed" (web, web-webkit, web-firefox).
"""
import hashlib
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

import engines
from engines import (BACKSPACE, CONTROL, END, ENTER, ESCAPE, PHONE, SHIFT, TAB, Skip,
                     WaitTimeout, free_port, wait_until)

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))  # the repository
# From the command line (main); a benchmark that imports this file uses the set-up alone.
WEB = REPLAY = BUILD_WEB = CONTRACT = None
ENGINE = engines.ChromiumSession

# The window's tab order; "Cerrar" is not shown in a browser tab.
TAB_ORDER = ["UA", "UB", "Combo1", "Combo2", "List1"]
LOCALES = {"es-ES": "comma", "en-US": "stop"}

# Scripted sessions, each played on the window-less form as well; what the page must show
# comes from there. Codes are the keys typed (UTF-16).
def keys(box, text):
    return [f"type{box} {ord(c)}" for c in text]

SESSIONS = {
    # both separator keys, refused keys, Backspace, then typing in B computes A
    "key filter and both directions":
        ["typeA 8", "typeA 8", "typeA 8"] + keys("A", "12.5") + ["typeA 8"] + keys("A", ",7x-")
        + ["typeB 8", "typeB 8"] + keys("B", "3,25.") + ["typeB 8"] + keys("B", "a ")
        # Enter, Escape, Ctrl+V and Ctrl+C are refused with the beep, as in the window
        + ["typeA 13", "typeA 27", "typeA 22", "typeB 3"],
    "units and categories":
        ["unitA 6", "unitB 1"] + keys("B", "5") + ["unitA 3", "category 10", "unitB 1"]
        + keys("A", "40") + ["category 5", "unitB 1", "category 0"],
    # "ºF" picked at the row where "cm" was picked before the category changed: a pick that
    # WebDriver's own option click loses in WebKit, and a person's never may
    "a pick at the row of the last category's pick":
        ["unitB 1", "category 10"] + ["typeA 8"] * 8 + keys("A", "100") + ["unitB 1"],
    # a refused computation shows its message, and a pasted text goes to the form whole
    "messages and pastes":
        ["typeA 8", "typeA 8", "typeA 8", "pasteA abc", "typeA 8", "typeA 8", "typeA 8",
         "pasteA 7", "pasteB " + "9" * 400, "typeB 8", "pasteA " + "1" * 100000, "typeA 5",
         "category 3", "pasteA 2,5"],
}

passed = 0
failed = 0
skipped = 0


def report(name, problems):
    global passed, failed, skipped
    if isinstance(problems, Skip):
        skipped += 1
        print(f"skip {name}: {problems.reason}")
    elif problems:
        failed += 1
        print(f"FAIL {name}")
        for p in problems[:12]:
            print(f"    {p}")
    else:
        passed += 1
        print(f"ok   {name}")
    sys.stdout.flush()


class Server:
    def __init__(self, folder, path=""):
        self.folder = folder
        self.path = path
        self.port = free_port()
        self.process = None

    def start(self):
        self.process = subprocess.Popen(
            ["bash", os.path.join(SOURCE, "scripts", "serve_web.sh"), self.folder, str(self.port)],
            stdout=subprocess.DEVNULL, start_new_session=True)
        for _ in range(100):
            try:
                socket.create_connection(("127.0.0.1", self.port), 0.2).close()
                return self
            except OSError:
                time.sleep(0.05)
        raise RuntimeError("the server did not start")

    def stop(self):
        if self.process:
            os.killpg(self.process.pid, signal.SIGTERM)
            self.process.wait()
            self.process = None

    @property
    def root(self):
        return f"http://127.0.0.1:{self.port}/"

    @property
    def url(self):
        return self.root + self.path


# Counts what the page does that the test watches: beeps (each one vibrates), writes to the
# live region, and the change and input events a real pick or paste waits for.
WATCH = """
window.__beeps = 0;
window.__changes = 0;
window.__inputs = 0;
document.addEventListener('change', function () { window.__changes++; });
document.addEventListener('input', function () { window.__inputs++; });
navigator.vibrate = function () { window.__beeps++; return true; };
window.__labelWrites = 0;
// A message written into the region, or the region replaced by an empty one when cleared.
new MutationObserver(function (records) {
  window.__labelWrites += records.filter(function (r) {
    return (r.target.closest && r.target.closest('#Label1')) ||
      Array.from(r.addedNodes).some(function (n) { return n.id === 'Label1'; });
  }).length;
}).observe(document.querySelector('.form'),
           {childList: true, characterData: true, subtree: true});
"""

STATE = """
var v = function (id) { return document.getElementById(id); };
var items = function (id) {
  return Array.from(v(id).options).map(function (o) { return o.text; }).join(';');
};
return {UA: v('UA').value, UB: v('UB').value, Label1: v('Label1').textContent,
        List1: v('List1').selectedIndex, Combo1: v('Combo1').selectedIndex,
        Combo2: v('Combo2').selectedIndex, beeps: window.__beeps,
        units: items('Combo1'), units2: items('Combo2'), writes: window.__labelWrites};
"""


def open_page(session, url):
    session.get(url)
    wait_until(20, f"the page at {url} to be ready", lambda: session.run(
        "return document.documentElement.classList.contains('ready')"), 0.1)
    session.run(WATCH)


def replay(args, lines=None):
    out = subprocess.run([REPLAY] + args, input="\n".join(lines or []) + ("\n" if lines else ""),
                         capture_output=True, text=True, check=False)
    rows = [json.loads(line) for line in out.stdout.splitlines()]
    problems = [f"window-less form against the model: {r['model']}" for r in rows[1:] if r["model"]]
    return rows, problems


def perform(session, action):
    kind = action["kind"]
    if kind in ("category", "unitA", "unitB"):
        session.pick({"category": "List1", "unitA": "Combo1", "unitB": "Combo2"}[kind],
                     action["index"])
        return
    box = "UA" if kind.endswith("A") else "UB"
    if kind.startswith("paste"):
        session.paste(box, action["text"])
        return
    active = session.run("var e = document.activeElement; return e ? e.id || e.tagName : '';")
    if active != box:
        # The first box a session types in is tapped (clicked); later moves between the boxes
        # are made as a keyboard user does, by focus: under Chromium's touch emulation a tap
        # after a choice in a drop-down sometimes leaves the box taking no text at all.
        if active in ("BODY", ""):
            session.click(box)
        else:
            session.run("document.getElementById(arguments[0]).focus()", box)
    code = action["code"]
    if 1 <= code <= 26 and code not in (8, 13):  # Control with a letter
        session.keys(END, (CONTROL, chr(code + 96)))
    else:
        session.keys(END, {8: BACKSPACE, 13: ENTER, 27: ESCAPE}.get(code, chr(code)))


def compare(session, rows, name):
    """Plays each row's action in the page and compares the page with the window-less form."""
    problems = []
    shown = session.run(STATE)
    for field, want in rows[0]["start"].items():
        if shown[field] != want:
            problems.append(f"at start-up {field}: page {shown[field]!r}, form {want!r}")
    writes = shown["writes"]
    for step, row in enumerate(rows[1:], 1):
        label_before = shown["Label1"]
        try:
            perform(session, row["action"])
        except WaitTimeout as e:
            problems.append(f"step {step} ({row['action']}): {e}")
            break
        shown = session.run(STATE)
        for field, want in row["state"].items():
            if shown[field] != want:
                problems.append(f"step {step} ({row['action']}) {field}: page {shown[field]!r}, "
                                f"form {want!r}")
        # The live region is written once for each new message, never for the same one.
        new_writes = shown["writes"] - writes
        writes = shown["writes"]
        expected = 1 if shown["Label1"] != label_before else 0
        if new_writes != expected:
            problems.append(f"step {step}: the live region was written {new_writes} times, "
                            f"expected {expected}")
        if problems:
            break
    return problems


def golden_sample(locale, count):
    """The rows of tests/golden/conversions.tsv that real faces play, chosen as
    tests/support/golden.h chooses them: the first of each message in each box, then `count`
    rows spread evenly."""
    with open(os.path.join(SOURCE, "tests", "golden", "conversions.tsv"), encoding="utf-8") as f:
        rows = [line.rstrip("\n").split("\t") for line in f if line.strip() and line[0] != "#"]
    rows = [r for r in rows if r[0] == locale]
    firsts = {}
    for r in rows:
        firsts.setdefault(r[8] + r[4], r)
    return list(firsts.values()) + [rows[i * len(rows) // count] for i in range(count)]


def golden(session, url, locale):
    """A sample of the golden table through the page's controls: the category and the units
    picked, the box emptied with Backspace, the text pasted; the page must show the table's
    texts."""
    problems = []
    for _, category, unit_a, unit_b, box, text, ua, ub, message in golden_sample(locale, 3):
        open_page(session, url)
        where = f"{unit_a} -> {unit_b}, {box} {text[:20]!r}"
        try:
            perform(session, {"kind": "category", "index": int(category)})
            units = session.run(STATE)["units"].split(";")
            perform(session, {"kind": "unitA", "index": units.index(unit_a)})
            perform(session, {"kind": "unitB", "index": units.index(unit_b)})
            for _ in session.run(STATE)["U" + box]:
                perform(session, {"kind": "type" + box, "code": 8})
            if text:
                perform(session, {"kind": "paste" + box, "text": text})
        except WaitTimeout as e:
            problems.append(f"{where}: {e}")
            continue
        shown = session.run(STATE)
        for field, want in (("UA", ua), ("UB", ub), ("Label1", message)):
            if shown[field] != want:
                problems.append(f"{where} {field}: page {shown[field][:40]!r}, "
                                f"the table {want[:40]!r}")
    return problems


def tab_order(session):
    problems = []
    active = "return document.activeElement.id"
    seen = [session.run(active)]
    for _ in TAB_ORDER[1:]:
        session.keys(TAB)
        seen.append(session.run(active))
    back = []
    for _ in TAB_ORDER[1:]:
        session.keys((SHIFT, TAB))
        back.append(session.run(active))
    if seen != TAB_ORDER:
        problems.append(f"Tab walks {seen}, expected {TAB_ORDER}")
    if back != TAB_ORDER[-2::-1]:
        problems.append(f"Shift+Tab walks {back}, expected {TAB_ORDER[-2::-1]}")
    return problems


PHONE_LAYOUT = """
var ids = ['List1', 'UA', 'Combo1', 'Label2', 'UB', 'Combo2', 'Label1'];
var out = {scroll: document.documentElement.scrollWidth, width: window.innerWidth, boxes: {}};
ids.concat(['Command1']).forEach(function (id) {
  var e = document.getElementById(id), r = e.getBoundingClientRect(), s = getComputedStyle(e);
  out.boxes[id] = {top: r.top, bottom: r.bottom, left: r.left, right: r.right, height: r.height,
                   font: parseFloat(s.fontSize), shown: s.display !== 'none'};
});
var b = document.querySelector('.banner'), bs = getComputedStyle(b);
out.banner = {rendering: bs.imageRendering, fit: bs.objectFit,
              height: b.getBoundingClientRect().height,
              natural: b.naturalHeight, bottom: b.getBoundingClientRect().bottom};
return out;
"""


AXE = os.path.join(HERE, "node_modules", "axe-core", "axe.min.js")
AXE_RUN = """
var done = arguments[arguments.length - 1];
axe.run(document, {runOnly: {type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa',
                                                    'wcag22aa']}})
  .then(function (r) { done(r.violations.map(function (v) {
    return v.id + ': ' + v.nodes.map(function (n) { return n.target.join(' '); }).join(', ');
  })); },
        function (e) { done(['axe failed: ' + e]); });
"""


def accessibility(session):
    """axe-core's WCAG 2.2 A and AA rules, at start-up and with a message shown."""
    with open(AXE) as f:
        session.run(f.read())
    problems = ["at start-up: " + v for v in session.run_async(AXE_RUN)]
    perform(session, {"kind": "pasteA", "text": "x"})
    return problems + ["with a message: " + v for v in session.run_async(AXE_RUN)]


def cerrar(session):
    """In a tab "Cerrar" is not shown; pressed (where it is shown), the form ends at once."""
    problems = []
    if session.run("return getComputedStyle(document.getElementById('Command1')).display"
                   " !== 'none'"):
        problems.append("a browser tab shows \"Cerrar\", which cannot close it")
    # Shown as the installed app's window shows it, then pressed: window.close() cannot close
    # a tab the test opened, and no handler of the form may run any more.
    session.run("document.getElementById('Command1').style.display = 'block'")
    session.click("Command1")
    before = session.run(STATE)
    session.run("document.getElementById('UA').focus()")
    session.keys(END, "5", "x")
    after = session.run(STATE)
    for field in ("UB", "Label1", "beeps"):
        if after[field] != before[field]:
            problems.append(f"after Cerrar {field} went from {before[field]!r} to {after[field]!r}")
    return problems


def phone_layout(session, width):
    unable = session.viewport(width, PHONE["height"])
    if unable:
        return unable
    got = session.run(PHONE_LAYOUT)
    problems = []
    if got["scroll"] > got["width"]:
        problems.append(f"at {width} px the page scrolls sideways ({got['scroll']} px wide)")
    boxes = got["boxes"]
    for id in ("List1", "UA", "Combo1", "UB", "Combo2", "Command1"):
        if boxes[id]["shown"] and boxes[id]["height"] < 48:
            problems.append(f"{id} is {boxes[id]['height']} px tall, under 48")
        if boxes[id]["shown"] and boxes[id]["right"] > width:
            problems.append(f"{id} reaches {boxes[id]['right']} px, past {width}")
    for id in ("UA", "UB"):
        if boxes[id]["font"] < 16:
            problems.append(f"{id}'s text is {boxes[id]['font']} px, under 16")
    # One column: banner, category, A with its unit, "=", B with its unit, the message.
    column = ["List1", "UA", "Label2", "UB", "Label1"]
    if got["banner"]["bottom"] > boxes["List1"]["top"]:
        problems.append("the category list is not under the banner")
    for upper, lower in zip(column, column[1:]):
        if boxes[upper]["bottom"] > boxes[lower]["top"]:
            problems.append(f"{lower} is not under {upper}")
    for box, unit in (("UA", "Combo1"), ("UB", "Combo2")):
        beside = abs(boxes[box]["top"] - boxes[unit]["top"]) <= 1
        if not beside or boxes[unit]["left"] < boxes[box]["right"]:
            problems.append(f"{unit} is not beside {box}")
    if boxes["Label1"]["top"] - boxes["UB"]["bottom"] > 24:
        problems.append("the message line is far from the value boxes")
    banner = got["banner"]
    if (banner["rendering"] != "pixelated" or banner["fit"] != "none"
            or banner["height"] != banner["natural"]):
        problems.append(f"the banner is scaled or smoothed: {banner}")
    return problems


def service_worker_ready(session):
    wait_until(20, "a service worker to control the page", lambda: session.run(
        "return !!navigator.serviceWorker.controller"), 0.1)


CACHE_CONTENTS = """
var done = arguments[arguments.length - 1];
caches.keys().then(function (names) {
  return Promise.all(names.map(function (name) {
    return caches.open(name).then(function (cache) { return cache.keys().then(function (requests) {
      return Promise.all(requests.map(function (request) {
        return cache.match(request).then(function (r) { return r.arrayBuffer(); })
                                   .then(function (body) {
          return crypto.subtle.digest('SHA-256', body).then(function (d) {
            return [request.url, Array.from(new Uint8Array(d)).map(function (b) {
              return b.toString(16).padStart(2, '0'); }).join('')];
          });
        });
      }));
    }); }).then(function (files) { return [name, files]; });
  }));
}).then(done);
"""


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def cached_files(session):
    return {name: dict(files) for name, files in session.run_async(CACHE_CONTENTS)}


def check_cache(session, folder, url):
    """Exactly one cache, holding every file of the folder as the folder has it."""
    caches = cached_files(session)
    if len(caches) != 1:
        return [f"caches: {sorted(caches)}"]
    files = next(iter(caches.values()))
    problems = []
    for name in sorted(os.listdir(folder)):
        if name == "sw.js":
            continue
        got = files.get(url + name)
        if got != digest(os.path.join(folder, name)):
            problems.append(f"{name}: the cache holds {'another file' if got else 'nothing'}")
    return problems


def assemble(version, source, out):
    generated = os.path.join(BUILD_WEB, "src", "ui", "web", "page")
    subprocess.run(["cmake", f"-DSOURCE={source}", f"-DRESOURCES={SOURCE}/resources/web",
                    f"-DGENERATED={generated}", f"-DMODULE={BUILD_WEB}/src/ui/web",
                    f"-DVERSION={version}", f"-DOUTPUT={out}", f"-DZIP={out}.zip",
                    "-P", os.path.join(SOURCE, "src", "ui", "web", "assemble.cmake")], check=True)


def faces():
    """Each size in each language: the scripted sessions, a random one, and what the size adds."""
    server = Server(WEB).start()
    try:
        for phone in (True, False):
            for lang, separator in LOCALES.items():
                face = f"{'phone 360x740' if phone else 'desktop'} {lang}"
                with tempfile.TemporaryDirectory() as profile:
                    session = ENGINE(lang, phone, profile)
                    try:
                        open_page(session, server.url)
                        focus = session.run("return document.activeElement.id")
                        want = "" if phone else "UA"
                        report(f"{face}: start-up focus",
                               [] if focus == want else [f"focus in {focus!r}, expected {want!r}"])
                        for name, lines in SESSIONS.items():
                            open_page(session, server.url)
                            rows, problems = replay(["script", separator], lines)
                            report(f"{face}: {name}", problems + compare(session, rows, name))
                        open_page(session, server.url)
                        seed = str(1000 + len(face) + (7 if phone else 0) + len(lang))
                        rows, problems = replay(["random", seed, "100", separator])
                        report(f"{face}: random session of 100 steps (seed {seed})",
                               problems + compare(session, rows, "random"))
                        open_page(session, server.url)
                        report(f"{face}: WCAG 2.2 A and AA (axe-core)", accessibility(session))
                        if phone:
                            report(f"{face}: one column at 360 px", phone_layout(session, 360))
                            report(f"{face}: one column at 320 px", phone_layout(session, 320))
                        else:
                            open_page(session, server.url)
                            hidden = session.run("var e = document.getElementById('List1');"
                                                 "return e.scrollHeight - e.clientHeight;")
                            report(f"{face}: every category in view",
                                   [f"List1 hides {hidden} px of rows"] if hidden > 0 else [])
                            report(f"{face}: tab order", tab_order(session))
                            report(f"{face}: golden rows",
                                   golden(session, server.url, separator))
                            open_page(session, server.url)
                            report(f"{face}: Cerrar", cerrar(session))
                        report(f"{face}: no request to another origin",
                               session.other_origins(server.url[:-1]))
                        report(f"{face}: no error in the console", session.console_errors())
                    finally:
                        session.quit()
    finally:
        server.stop()


def page_style(session):
    """The style sheet as the page gets it now, through its service worker."""
    return session.run_async(
        "var done = arguments[0];"
        "fetch('style.css').then(function (r) { return r.text(); }).then(done);")


def only_version(session, version):
    names = cached_files(session)
    return bool(names) and all(f"-{version}-" in name for name in names)


def waiting_worker(session):
    """Whether a new service worker is installed and waits for the old one's pages to go."""
    return session.run_async(
        "var done = arguments[0];"
        "navigator.serviceWorker.getRegistration().then(function (r) { done(!!r.waiting); });")


def worker_activated(session, scope):
    """Whether the worker of SCOPE has no successor pending and is active: asked from a page
    of the same origin outside that scope, which no worker controls."""
    return session.run_async(
        "var done = arguments[1];"
        "navigator.serviceWorker.getRegistration(arguments[0]).then(function (r) {"
        "  done(!!r && !r.installing && !r.waiting && !!r.active &&"
        "       r.active.state === 'activated'); });", scope)


def offline_and_versions():
    """The server stopped after the first visit, then a new version replacing the old."""
    with tempfile.TemporaryDirectory() as scratch:
        # The app in a folder of the site, and beside it a page outside the worker's scope
        # from which the update is watched with no page of the app open.
        served = os.path.join(scratch, "served")
        site = os.path.join(served, "app")
        shutil.copytree(WEB, site)
        with open(os.path.join(served, "index.html"), "w") as f:
            f.write("<!doctype html><title>outside the app</title>\n")
        server = Server(served, "app/").start()
        profile = os.path.join(scratch, "profile")
        os.makedirs(profile)
        session = ENGINE("es-ES", False, profile)
        try:
            open_page(session, server.url)
            service_worker_ready(session)
            report("installable (Page.getInstallabilityErrors)", session.installability())
            report("the first visit caches every file", check_cache(session, WEB, server.url))

            server.stop()
            lines = keys("A", "25") + ["unitB 6"]
            rows, problems = replay(["script", "comma"], lines)
            open_page(session, server.url)
            report("offline: with the server stopped the app starts and converts",
                   problems + compare(session, rows, "offline"))

            # The next version: every text file of the page changed, the module the same.
            source = os.path.join(scratch, "source")
            shutil.copytree(os.path.join(SOURCE, "src", "ui", "web"), source)
            with open(os.path.join(source, "style.css"), "a") as f:
                f.write("/* the next version */\n")
            next_site = os.path.join(scratch, "next")
            assemble("99.0", source, next_site)
            shutil.rmtree(site)
            shutil.copytree(next_site, site)
            server.start()
            open_page(session, server.url)
            problems = []
            try:
                # The new worker waits while a page of the old version is open, which goes on
                # getting the old files; with that page gone it activates and the old cache
                # goes. Give it the time.
                wait_until(20, "the new worker to wait or take over", lambda:
                           waiting_worker(session) or only_version(session, "99.0"), 0.1)
                if not waiting_worker(session) or "the next version" in page_style(session):
                    problems.append("the new version took over an open page of the old one")
                # With the old version's page gone (its tab closed: a page left by a link may
                # stay alive in the back-forward cache) the browser activates the new worker,
                # whose activation drops the old cache: watched from outside the app until done.
                session.new_tab(server.root)
                wait_until(20, "the new worker to be active with only its cache", lambda:
                           worker_activated(session, server.url)
                           and only_version(session, "99.0"), 0.1)
                open_page(session, server.url)
            except WaitTimeout:
                problems.append("the new worker was not active with only its cache 20 s after the"
                                f" old page went: caches {sorted(cached_files(session))}")
            problems += check_cache(session, next_site, server.url)
            open_page(session, server.url)
            if "the next version" not in page_style(session):
                problems.append("the page still gets the old style sheet")
            report("a new version replaces every cached file", problems)
            report("offline and versions: no request to another origin",
                   session.other_origins(server.root[:-1]))
        finally:
            session.quit()
            server.stop()


def contract():
    """The contract suite over the page's controls, each of its cases a check."""
    server = Server(CONTRACT).start()
    with tempfile.TemporaryDirectory() as profile:
        session = ENGINE("en-US", False, profile)
        try:
            session.get(server.url)
            wait_until(60, "the contract suite to finish", lambda: session.run(
                "return window.__done !== undefined"), 0.1)
            lines = session.run("return window.__lines")
        finally:
            session.quit()
            server.stop()
    cases = 0
    for at, line in enumerate(lines):
        for mark, ok in (("[       OK ] ", True), ("[  FAILED  ] ", False)):
            if line.startswith(mark) and "(" in line:
                cases += 1
                detail = [] if ok else [l for l in lines[max(0, at - 8):at] if l.strip()]
                name = line[len(mark):].split(" (")[0].split(", where")[0]
                report("web controls: " + name, detail)
    if cases == 0:
        report("web controls: the contract suite ran", lines[-12:])


def main():
    global WEB, REPLAY, BUILD_WEB, CONTRACT, ENGINE
    args = sys.argv[1:]
    if args[:1] == ["--engine"]:
        ENGINE = engines.ENGINES[args[1]]
        args = args[2:]
    WEB, REPLAY, BUILD_WEB = args[:3]
    CONTRACT = args[3] if len(args) > 3 else None
    print(f"{ENGINE.name}: {ENGINE.engine}")
    if ENGINE is not engines.ChromiumSession:
        print(f"{ENGINE.name}: the phone is {ENGINE.phone}; touch emulation is Chromium's")
    if CONTRACT:
        contract()
    faces()
    offline_and_versions()
    if skipped:
        print(f"{ENGINE.name}: {skipped} skipped")
    print(f"{ENGINE.name}: {passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
