"""The three browser engines the web test drives, behind one small session interface.

Chromium (Debian's chromium with chromedriver), headless, with its DevTools protocol for the
phone emulation, pastes and the request log. WebKitGTK (WebKitWebDriver with MiniBrowser) and
Firefox ESR (WebDriver BiDi, which Firefox speaks itself, over python3-websocket) run as
windows on the X server in DISPLAY, where picks in drop-downs and pastes are made by real
input with xdotool: a pointer click opens the list's popup, then Down or Up and Return, as a
person picks. WebDriver's own option click in WebKit can lose a pick that a person's does not.

A session offers: get, new_tab (the page opened in a new tab, and the old tab closed), run (a
function body, as WebDriver's Execute Script), run_async (the last argument is the callback),
keys, click, pick, paste, viewport, other_origins, console_errors, installability, quit. What
an engine cannot do is answered by a Skip.
"""
import json
import os
import socket
import subprocess
import time

DESKTOP = (1024, 768)
PHONE = {"width": 360, "height": 740, "pixelRatio": 3.0, "touch": True}

# WebDriver's key codes (also BiDi's): the values of Selenium's Keys.
END, TAB, SHIFT, CONTROL, BACKSPACE, ENTER, ESCAPE = (
    "\ue010", "\ue004", "\ue008", "\ue009", "\ue003", "\ue007", "\ue00c")


class Skip:
    """A check this engine cannot make, and why; counted as skipped, never as passed."""
    def __init__(self, reason):
        self.reason = reason


class WaitTimeout(Exception):
    pass


def wait_until(seconds, what, condition, poll=0.05):
    """Polls CONDITION until it is true; fails after SECONDS naming WHAT it waited for."""
    end = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise WaitTimeout(f"waited {seconds} s for {what}")
        time.sleep(poll)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_port(port, process, what):
    def listening():
        if process.poll() is not None:
            raise RuntimeError(f"{what} ended with status {process.returncode}")
        try:
            socket.create_connection(("127.0.0.1", port), 0.2).close()
            return True
        except OSError:
            return False
    wait_until(30, f"{what} to listen on port {port}", listening)


def process_tree(pid):
    """PID and its descendants: the browser behind a driver or a launcher script."""
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as f:
                    parent = int(f.read().rsplit(")", 1)[1].split()[1])
                children.setdefault(parent, []).append(int(entry))
            except (OSError, IndexError, ValueError):
                pass
    tree, todo = [], [pid]
    while todo:
        p = todo.pop()
        tree.append(p)
        todo += children.get(p, [])
    return tree


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True,
                          check=False).stdout.split()


def mapped_windows():
    return set(xdotool("search", "--onlyvisible", "--name", ""))


class RealInput:
    """Pointer and keys through the X server, into the browser whose process is PID."""
    # Where the page's top-left corner is on the screen, in CSS pixels (no zoom here).
    ORIGIN = ("return [window.mozInnerScreenX !== undefined ? window.mozInnerScreenX :"
              " window.screenX + window.outerWidth - window.innerWidth,"
              " window.mozInnerScreenY !== undefined ? window.mozInnerScreenY :"
              " window.screenY + window.outerHeight - window.innerHeight];")

    def __init__(self, pid):
        self.pid = pid
        self._window = None

    def window(self):
        def found():
            for p in process_tree(self.pid):
                ids = xdotool("search", "--all", "--onlyvisible", "--pid", p, "--name", ".")
                if ids:
                    return ids[0]
            return None
        if self._window is None:
            self._window = wait_until(20, f"a mapped window of the browser (process {self.pid})",
                                      found, 0.1)
        return self._window

    def focus(self):
        xdotool("windowfocus", "--sync", self.window())

    def pick(self, session, element_id, index):
        """A person's pick: click the list, and in its popup Down or Up to the row, Return."""
        # The list's centre; in a list box, the row's own box (WebKit and Gecko give one).
        x, y, selected, rows, row_y, shown = session.run(
            "var e = document.getElementById(arguments[0]), r = e.getBoundingClientRect(),"
            "    o = e.options[arguments[1]].getBoundingClientRect();"
            "return [r.left + r.width / 2, r.top + r.height / 2, e.selectedIndex, e.size,"
            "        o.top + o.height / 2, o.top >= r.top && o.bottom <= r.bottom];",
            element_id, index)
        origin = session.run(self.ORIGIN)
        self.focus()
        changes = session.run("return window.__changes")
        if rows > 1:
            # A list box shows its rows: the row itself is clicked.
            if not shown:
                raise WaitTimeout(f"row {index} of {element_id} is out of its list's view")
            self.click_at(session, element_id, origin, x, row_y)
        else:
            before = mapped_windows()
            self.click_at(session, element_id, origin, x, y)
            wait_until(10, f"the popup of {element_id} to open", lambda: mapped_windows() - before)
            step = "Down" if index > selected else "Up"
            xdotool("key", "--delay", 20, *([step] * abs(index - selected)), "Return")
            wait_until(10, f"the popup of {element_id} to close",
                       lambda: not (mapped_windows() - before))
        # The page has handled the pick once its change event has run (none for the same row).
        wait_until(10, f"{element_id} to show row {index}", lambda: session.run(
            "return document.getElementById(arguments[0]).selectedIndex", element_id) == index)
        if index != selected:
            wait_until(10, f"the change event of {element_id}",
                       lambda: session.run("return window.__changes") > changes)

    @staticmethod
    def click_at(session, element_id, origin, x, y):
        """Clicks the element at (X, Y) of the page once the browser has the pointer over it:
        a click sent with the move can reach Gecko before the move and land where the pointer
        was. The pointer leaves the element first, so that its hover state tells."""
        hover = "return document.getElementById(arguments[0]).matches(':hover')"
        xdotool("mousemove", int(origin[0]), int(origin[1]))
        wait_until(10, f"the pointer to leave {element_id}",
                   lambda: not session.run(hover, element_id))
        xdotool("mousemove", int(origin[0] + x), int(origin[1] + y))
        wait_until(10, f"the pointer to be over {element_id}",
                   lambda: session.run(hover, element_id))
        xdotool("click", 1)

    def paste(self, session):
        """Shift+Insert, the paste key of GTK's text boxes, into the focused box."""
        inputs = session.run("return window.__inputs")
        self.focus()
        xdotool("key", "shift+Insert")
        wait_until(10, "the pasted text to reach the box",
                   lambda: session.run("return window.__inputs") > inputs)


class SeleniumSession:
    def __init__(self, driver):
        self.driver = driver

    def get(self, url):
        self.driver.get(url)

    def run(self, body, *args):
        return self.driver.execute_script(body, *args)

    def run_async(self, body, *args):
        return self.driver.execute_async_script(body, *args)

    def keys(self, *strokes):
        from selenium.webdriver.common.action_chains import ActionChains
        chain = ActionChains(self.driver)
        for stroke in strokes:
            if isinstance(stroke, tuple):
                chain.key_down(stroke[0]).send_keys(stroke[1]).key_up(stroke[0])
            else:
                chain.send_keys(stroke)
        chain.perform()

    def click(self, element_id):
        from selenium.webdriver.common.by import By
        self.driver.find_element(By.ID, element_id).click()

    def new_tab(self, url):
        old = self.driver.current_window_handle
        self.driver.switch_to.new_window("tab")
        self.get(url)
        self.driver.switch_to.window(old)
        self.driver.close()
        self.driver.switch_to.window(self.driver.window_handles[0])

    def quit(self):
        self.driver.quit()


class ChromiumSession(SeleniumSession):
    name = "web"
    engine = "Chromium"

    def __init__(self, lang, phone, profile):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync",
                     f"--user-data-dir={profile}", f"--lang={lang}",
                     f"--window-size={DESKTOP[0]},{DESKTOP[1]}"]:
            options.add_argument(flag)
        options.add_experimental_option("prefs", {"intl.accept_languages": lang})
        if phone:
            options.add_experimental_option("mobileEmulation", {"deviceMetrics": PHONE})
        options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
        driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        driver.execute_cdp_cmd("Emulation.setLocaleOverride", {"locale": lang})
        # The test's pastes go through the clipboard, on every page it opens.
        driver.execute_cdp_cmd("Browser.grantPermissions", {
            "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
        super().__init__(driver)

    def pick(self, element_id, index):
        from selenium.webdriver.common.by import By
        from selenium.webdriver.support.ui import Select
        Select(self.driver.find_element(By.ID, element_id)).select_by_index(index)

    def paste(self, element_id, text):
        # A real paste from the clipboard at the end of the box, by the keyboard's Paste key
        # (the context menu's command): the browser inserts the text itself.
        self.run_async("navigator.clipboard.writeText(arguments[0])"
                       ".then(arguments[1], arguments[1])", text)
        focus_end(self, element_id)
        for event in ("rawKeyDown", "keyUp"):
            self.driver.execute_cdp_cmd("Input.dispatchKeyEvent", {
                "type": event, "key": "Paste", "code": "Paste",
                "commands": ["paste"] if event == "rawKeyDown" else []})

    def viewport(self, width, height):
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                    {"width": width, "height": height, "deviceScaleFactor": 3,
                                     "mobile": True})

    def other_origins(self, origin):
        urls = []
        for entry in self.driver.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message["method"] == "Network.requestWillBeSent":
                urls.append(message["params"]["request"]["url"])
        return foreign(urls, origin)

    def console_errors(self):
        return [e["message"] for e in self.driver.get_log("browser") if e["level"] == "SEVERE"]

    def installability(self):
        errors = self.driver.execute_cdp_cmd("Page.getInstallabilityErrors", {})
        return errors.get("installabilityErrors")


def foreign(urls, origin):
    # The browser's own pages (chrome://, about:) are no network request.
    return [u for u in urls
            if u.split(":")[0] in ("http", "https", "ws", "wss") and not u.startswith(origin)]


def focus_end(session, element_id):
    session.run("var box = document.getElementById(arguments[0]); box.focus();"
                "box.setSelectionRange(box.value.length, box.value.length);", element_id)


def locale_environment(lang):
    posix = lang.replace("-", "_")
    return dict(os.environ, LANG=posix + ".UTF-8", LC_ALL=posix + ".UTF-8", LANGUAGE=posix)


class WebKitSession(SeleniumSession):
    """MiniBrowser full-screen (no toolbar, so any window size), in the language of its
    environment, which WebKitGTK takes for navigator.language and its number format."""
    name = "web-webkit"
    engine = "WebKitGTK"
    phone = "its size only"
    BROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"

    def __init__(self, lang, phone, profile):
        from selenium import webdriver
        from selenium.webdriver.webkitgtk.options import Options
        port = free_port()
        self.log = open(os.path.join(profile, "webkitwebdriver.log"), "w")
        self.service = subprocess.Popen(["/usr/bin/WebKitWebDriver", f"--port={port}"],
                                        env=locale_environment(lang), stdout=self.log,
                                        stderr=subprocess.STDOUT)
        wait_port(port, self.service, "WebKitWebDriver")
        options = Options()
        options.binary_location = self.BROWSER
        # The test writes the clipboard that it then pastes with the paste key.
        for flag in ("--automation", "--full-screen", "--javascript-can-access-clipboard=true"):
            options.add_argument(flag)
        super().__init__(webdriver.Remote(command_executor=f"http://127.0.0.1:{port}",
                                          options=options))
        self.input = RealInput(self.service.pid)
        self.seen = []
        size = (PHONE["width"], PHONE["height"]) if phone else DESKTOP
        self.viewport(*size)

    def get(self, url):
        self.seen += self._requests()
        super().get(url)

    def _requests(self):
        try:
            return self.run("return performance.getEntriesByType('resource')"
                            ".map(function (e) { return e.name; }).concat([location.href]);")
        except Exception:  # no page yet
            return []

    def pick(self, element_id, index):
        self.input.pick(self, element_id, index)

    def paste(self, element_id, text):
        # Written to the clipboard from the page, as its Copy would; pasted by the key.
        self.run("var t = document.createElement('textarea'); t.value = arguments[0];"
                 "document.body.appendChild(t); t.select(); document.execCommand('copy');"
                 "t.remove();", text)
        focus_end(self, element_id)
        self.input.paste(self)

    def viewport(self, width, height):
        got = self.driver.set_window_rect(x=0, y=0, width=width, height=height)["width"]
        if got != width:
            # GTK keeps the window as wide as its narrowest layout allows.
            return Skip(f"MiniBrowser's window is no narrower than {got} px")
        wait_until(10, f"the page to be {width} px wide",
                   lambda: self.run("return window.innerWidth") == width)
        return None

    def other_origins(self, origin):
        # The page's own record of what it loaded (Resource Timing), page by page: WebKit's
        # driver has no request log.
        return foreign(self.seen + self._requests(), origin)

    def console_errors(self):
        return Skip("WebKitWebDriver passes on no console messages")

    def installability(self):
        return Skip("the installability report is Chromium's own (DevTools protocol)")

    def quit(self):
        try:
            self.driver.quit()
        finally:
            self.service.terminate()
            self.service.wait()
            self.log.close()


class BidiError(Exception):
    pass


class FirefoxSession:
    """Firefox ESR as a window on the X server, over WebDriver BiDi. Firefox takes its number
    format from its interface language, so each language runs with that interface (Debian's
    firefox-esr-l10n packages) as well as that language list."""
    name = "web-firefox"
    engine = "Firefox ESR"
    phone = "its size and pixel ratio only"

    def __init__(self, lang, phone, profile):
        import websocket
        prefs = {"intl.accept_languages": lang, "intl.locale.requested": lang,
                 "browser.shell.checkDefaultBrowser": False,
                 "browser.startup.page": 0, "browser.aboutwelcome.enabled": False}
        with open(os.path.join(profile, "user.js"), "w") as f:
            for key, value in prefs.items():
                f.write(f'user_pref("{key}", {json.dumps(value)});\n')
        port = free_port()
        self.log = open(os.path.join(profile, "firefox.log"), "w")
        self.process = subprocess.Popen(
            ["/usr/lib/firefox-esr/firefox-esr", "--no-remote", "--kiosk", "--profile", profile,
             f"--remote-debugging-port={port}", "about:blank"],
            env=locale_environment(lang), stdout=self.log, stderr=subprocess.STDOUT,
            start_new_session=True)
        try:
            wait_port(port, self.process, "Firefox's WebDriver BiDi server")
        except (RuntimeError, WaitTimeout) as e:
            self.log.flush()
            with open(os.path.join(profile, "firefox.log")) as f:
                raise RuntimeError(f"{e}: {f.read()[-2000:]}") from None
        # Firefox refuses a connection that names an origin.
        self.ws = websocket.create_connection(f"ws://127.0.0.1:{port}/session",
                                              suppress_origin=True, timeout=120)
        self.next_id = 0
        self.requests = []
        self.errors = []
        self.command("session.new", {"capabilities": {}})
        self.context = self.command("browsingContext.getTree", {})["contexts"][0]["context"]
        self.command("session.subscribe", {"events": ["network.beforeRequestSent",
                                                      "log.entryAdded"]})
        self.input = RealInput(self.process.pid)
        self.input.window()
        size = (PHONE["width"], PHONE["height"]) if phone else DESKTOP
        self.viewport(*size, PHONE["pixelRatio"] if phone else 1)

    def command(self, method, params):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == self.next_id:
                if message.get("type") == "error":
                    raise BidiError(f"{method}: {message.get('error')}: {message.get('message')}")
                return message["result"]
            self.event(message)

    def event(self, message):
        method, params = message.get("method"), message.get("params", {})
        if method == "network.beforeRequestSent":
            self.requests.append(params["request"]["url"])
        elif method == "log.entryAdded" and params.get("level") == "error":
            self.errors.append(params.get("text"))

    def get(self, url):
        self.command("browsingContext.navigate", {"context": self.context, "url": url,
                                                  "wait": "complete"})

    def new_tab(self, url):
        old = self.context
        self.context = self.command("browsingContext.create", {"type": "tab"})["context"]
        self.get(url)
        self.command("browsingContext.close", {"context": old})

    def call(self, declaration, args, await_promise, activation=False):
        result = self.command("script.callFunction", {
            "functionDeclaration": declaration, "arguments": [serialize(a) for a in args],
            "target": {"context": self.context}, "awaitPromise": await_promise,
            "userActivation": activation})
        if result["type"] == "exception":
            details = result["exceptionDetails"]
            raise BidiError(f"script: {details.get('text')}")
        return deserialize(result["result"])

    def run(self, body, *args, activation=False):
        return self.call(f"function () {{\n{body}\n}}", args, False, activation)

    def run_async(self, body, *args):
        return self.call("function () { var args = Array.prototype.slice.call(arguments);"
                         f" var body = function () {{\n{body}\n}};"
                         " return new Promise(function (done) {"
                         " body.apply(null, args.concat([done])); }); }", args, True)

    def keys(self, *strokes):
        actions = []
        for stroke in strokes:
            if isinstance(stroke, tuple):
                modifier, key = stroke
                actions += [{"type": "keyDown", "value": modifier}]
                for c in key:
                    actions += [{"type": "keyDown", "value": c}, {"type": "keyUp", "value": c}]
                actions += [{"type": "keyUp", "value": modifier}]
            else:
                for c in stroke:
                    actions += [{"type": "keyDown", "value": c}, {"type": "keyUp", "value": c}]
        self.command("input.performActions", {"context": self.context, "actions": [
            {"type": "key", "id": "keyboard", "actions": actions}]})

    def click(self, element_id):
        node = self.command("script.callFunction", {
            "functionDeclaration": "function (id) { return document.getElementById(id); }",
            "arguments": [serialize(element_id)], "target": {"context": self.context},
            "awaitPromise": False})["result"]
        centre = {"type": "element", "element": {"sharedId": node["sharedId"]}}
        self.command("input.performActions", {"context": self.context, "actions": [
            {"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
             "actions": [{"type": "pointerMove", "x": 0, "y": 0, "origin": centre},
                         {"type": "pointerDown", "button": 0},
                         {"type": "pointerUp", "button": 0}]}]})

    def pick(self, element_id, index):
        self.input.pick(self, element_id, index)

    def paste(self, element_id, text):
        # The clipboard written as a page may after a person's click; pasted by the key.
        self.run("return navigator.clipboard.writeText(arguments[0]);", text, activation=True)
        focus_end(self, element_id)
        inputs = self.run("return window.__inputs")
        self.keys((SHIFT, "\ue016"))  # Shift+Insert
        wait_until(10, "the pasted text to reach the box",
                   lambda: self.run("return window.__inputs") > inputs)

    def viewport(self, width, height, ratio=None):
        params = {"context": self.context, "viewport": {"width": width, "height": height}}
        if ratio:
            params["devicePixelRatio"] = ratio
        self.command("browsingContext.setViewport", params)

    def other_origins(self, origin):
        return foreign(self.requests, origin)

    def console_errors(self):
        return list(self.errors)

    def installability(self):
        return Skip("the installability report is Chromium's own (DevTools protocol)")

    def quit(self):
        try:
            self.command("browser.close", {})
        except Exception:
            pass
        try:
            self.process.wait(20)
        except subprocess.TimeoutExpired:
            os.killpg(self.process.pid, 9)
            self.process.wait()
        self.log.close()


def serialize(value):
    if value is None:
        return {"type": "null"}
    if isinstance(value, bool):
        return {"type": "boolean", "value": value}
    if isinstance(value, (int, float)):
        return {"type": "number", "value": value}
    if isinstance(value, str):
        return {"type": "string", "value": value}
    if isinstance(value, (list, tuple)):
        return {"type": "array", "value": [serialize(v) for v in value]}
    if isinstance(value, dict):
        return {"type": "object", "value": [[k, serialize(v)] for k, v in value.items()]}
    raise TypeError(f"cannot pass {value!r} to a page")


def deserialize(remote):
    kind = remote["type"]
    if kind in ("undefined", "null"):
        return None
    if kind in ("string", "boolean"):
        return remote["value"]
    if kind == "number":
        value = remote["value"]
        return float(value) if isinstance(value, str) else value
    if kind == "array":
        return [deserialize(v) for v in remote.get("value", [])]
    if kind in ("object", "map"):
        return {k if isinstance(k, str) else deserialize(k): deserialize(v)
                for k, v in remote.get("value", [])}
    return remote  # a node or another reference, as BiDi gives it


ENGINES = {"chromium": ChromiumSession, "webkit": WebKitSession, "firefox": FirefoxSession}
