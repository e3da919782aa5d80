#!/usr/bin/python3
"""Load and keystroke times of the web face against a floor page, in headless Chromium.

    bench/web_load.py WEB_DIR [ROUNDS]

Serves WEB_DIR and bench/web_floor on 127.0.0.1 and times, in the page, navigation start to
the start-up state (every text box filled by the page's script): cold, on a new profile, and warm, the second load
(from the service worker's cache, or from the HTTP cache: both are served with max-age=600 as
a static host would), ROUNDS rounds (9 by default) alternating app and floor at a phone's
size. Then 200 real keystrokes into the app's first value box, each timed in the page from its
beforeinput event (and from its input event) until the second box's value changes. Prints
medians, the ratio app/floor and a closing summary.
"""
import functools
import http.server
import os
import shutil
import statistics
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service

FLOOR = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'web_floor')
# Without these flags Chromium keeps reaching for a network that is not there.
FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync']
PHONE = dict(width=360, height=740, deviceScaleFactor=3, mobile=True)
KEYSTROKES = 200

# Runs before any script of the page. It notes the first moment every text box holds a value
# that the page's script put there (not its text in the markup), whichever way it fills them:
# through the value property (hooked, so the moment is exact), through attributes or new nodes
# (a MutationObserver), or else at the next frame.
# For keystrokes it notes when an input event starts (capture, so before the page's own
# listeners) and when the second box's value next changes.
PROBE = r"""(() => {
  const p = window.__probe = { ready: null, pending: null, keys: [] };
  const boxes = () => document.querySelectorAll('input[type=text]');
  const check = () => {
    if (p.ready !== null) return;
    const b = boxes();
    if (b.length && [...b].every(x => x.value !== '' && x.value !== x.defaultValue))
      p.ready = performance.now();
  };
  const ended = (how) => {
    const k = p.pending, b = boxes()[1];
    if (k && k.end === null && b && b.value !== k.before) {
      k.end = performance.now(); k.how = how; p.keys.push(k); p.pending = null;
    }
  };
  if (window.ServiceWorkerContainer) {
    const register = ServiceWorkerContainer.prototype.register;
    ServiceWorkerContainer.prototype.register = function (...a) {
      p.registered = true; return register.apply(this, a); };
  }
  const value = Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'value');
  Object.defineProperty(HTMLInputElement.prototype, 'value', {
    configurable: true, enumerable: value.enumerable, get: value.get,
    set(v) { value.set.call(this, v); check(); if (p.pending) ended('setter'); } });
  new MutationObserver(() => { check(); ended('mutation'); })
    .observe(document, { subtree: true, childList: true, attributes: true, characterData: true });
  const frame = () => { check(); ended('frame'); requestAnimationFrame(frame); };
  requestAnimationFrame(frame);
  const start = (e) => {
    const now = performance.now(), b = boxes()[1];
    if (!b || e.target !== boxes()[0]) return;
    if (!p.pending) p.pending = { start: now, input: null, end: null, before: b.value };
    if (e.type === 'input' && p.pending.input === null) p.pending.input = now;
  };
  addEventListener('beforeinput', start, true);
  addEventListener('input', start, true);
  document.addEventListener('input', () => ended('input'));
  document.addEventListener('beforeinput', () => ended('beforeinput'));
})();"""


class NotStarted(RuntimeError):
    pass


class Handler(http.server.SimpleHTTPRequestHandler):
    """A static host: the same caching for both pages, the MIME types the app needs."""
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json',
                      '.js': 'text/javascript', '.mjs': 'text/javascript'}

    def end_headers(self):
        self.send_header('Cache-Control', 'max-age=600')
        if self.server.isolated:
            # Cross-origin isolation gives the page a clock in steps of a few microseconds
            # instead of 100; it only forbids what the app never does, loading other origins.
            self.send_header('Cross-Origin-Opener-Policy', 'same-origin')
            self.send_header('Cross-Origin-Embedder-Policy', 'require-corp')
        super().end_headers()

    def log_request(self, code='-', size='-'):
        self.server.requests += 1

    def log_message(self, *args):
        pass


def serve(folder, isolated=False):
    server = http.server.ThreadingHTTPServer(
        ('127.0.0.1', 0), functools.partial(Handler, directory=folder))
    server.requests, server.isolated = 0, isolated
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class Browser:
    """Chromium on a new empty profile, at a phone's size, with the probe in every page."""

    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix='web-load-')
        options = webdriver.ChromeOptions()
        options.binary_location = '/usr/bin/chromium'
        for flag in FLAGS + ['--user-data-dir=' + self.profile, '--lang=es-ES',
                             '--accept-lang=es-ES,es']:
            options.add_argument(flag)
        try:
            self.driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'),
                                           options=options)
        except WebDriverException:
            shutil.rmtree(self.profile, ignore_errors=True)
            raise
        self.driver.set_script_timeout(30)
        self.cdp('Emulation.setDeviceMetricsOverride', PHONE)
        self.cdp('Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 5})
        self.cdp('Emulation.setLocaleOverride', {'locale': 'es-ES'})
        self.cdp('Page.addScriptToEvaluateOnNewDocument', {'source': PROBE})

    def cdp(self, command, args=None):
        return self.driver.execute_cdp_cmd(command, args or {})

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def load(self, url, seconds=30):
        """Navigates and returns the milliseconds from navigation start to the start-up state."""
        self.driver.get(url)
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            ready = self.js('return window.__probe && window.__probe.ready')
            if ready is not None:
                return ready
            time.sleep(0.01)
        raise NotStarted(f'{url} never reached its start-up state')

    def settle_worker(self):
        """Waits until the page's service worker (if any) is active: its files are cached."""
        # A page may register its worker as late as its load event, and a little after.
        return self.driver.execute_async_script("""const done = arguments[0];
            if (!('serviceWorker' in navigator)) { done(false); return; }
            const loaded = new Promise(r => document.readyState === 'complete' ? r()
              : addEventListener('load', () => r()));
            loaded.then(() => new Promise(r => setTimeout(r, 100)))
              .then(() => navigator.serviceWorker.getRegistration())
              .then(r => r || window.__probe.registered
                ? Promise.race([navigator.serviceWorker.ready.then(() => true),
                                new Promise(r => setTimeout(() => r(false), 10000))]).then(done)
                : done(false));""")

    def quit(self):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)


def load_round(url, server):
    """One cold and one warm load on a new profile; how many requests the warm one made."""
    browser = Browser()
    try:
        cold = browser.load(url)
        worker = browser.settle_worker()
        before = server.requests
        warm = browser.load(url)
        controlled = browser.js('return !!(navigator.serviceWorker && '
                                'navigator.serviceWorker.controller)')
        return cold, warm, server.requests - before, worker, controlled
    finally:
        browser.quit()


def key(browser, name):
    """A real key press: key down (with its text for a character) and key up, through CDP."""
    if name == 'Backspace':
        down = dict(type='rawKeyDown', key='Backspace', code='Backspace', windowsVirtualKeyCode=8)
    else:
        down = dict(type='keyDown', key=name, code='Digit' + name, text=name,
                    windowsVirtualKeyCode=ord(name))
    browser.cdp('Input.dispatchKeyEvent', down)
    browser.cdp('Input.dispatchKeyEvent', {**down, 'type': 'keyUp', 'text': ''})


def keystrokes(url):
    """Milliseconds from each keystroke's beforeinput (and input) event to the second box's
    new value, and which of the probe's watchers saw the change first."""
    browser = Browser()
    try:
        browser.load(url)
        browser.settle_worker()
        browser.load(url)
        browser.js("const b = document.querySelectorAll('input[type=text]')[0];"
                   "b.focus(); b.select();")
        # "2" replaces the start-up value; then a digit and Backspace in turn, so that every
        # keystroke changes the result: "23" then "2", "24" then "2", ...
        presses = ['2'] + [str(i // 2 % 7 + 3) if i % 2 == 0 else 'Backspace'
                           for i in range(KEYSTROKES)]
        times, handler, how = [], [], {}
        for n, name in enumerate(presses):
            browser.js('window.__probe.keys = []; window.__probe.pending = null;')
            key(browser, name)
            end = time.monotonic() + 5
            while not (done := browser.js('return window.__probe.keys')):
                if time.monotonic() > end:
                    raise RuntimeError(f'keystroke {n} ({name}) never changed the second box; '
                                       'boxes: ' + ' / '.join(browser.js(
                                           "return [...document.querySelectorAll("
                                           "'input[type=text]')].map(b => b.value)")))
                time.sleep(0.002)
            if n:
                k = done[0]
                times.append(k['end'] - k['start'])
                if k['input'] is not None:
                    handler.append(k['end'] - k['input'])
                how[k['how']] = how.get(k['how'], 0) + 1
        boxes = browser.js("return [...document.querySelectorAll('input[type=text]')]"
                           ".map(b => b.value)")
        resolution = browser.js("""let least = Infinity, last = performance.now();
            for (let i = 0; i < 200000 && least > 0.001; i++) {
              const t = performance.now(); if (t > last) { least = Math.min(least, t - last); last = t; }
            }
            return [least, crossOriginIsolated];""")
        return times, handler, how, boxes, resolution
    finally:
        browser.quit()


def p95(values):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, round(0.95 * (len(ordered) - 1)))]


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    web_dir, rounds = sys.argv[1], int(sys.argv[2]) if len(sys.argv) == 3 else 9
    if not os.path.isfile(os.path.join(web_dir, 'index.html')):
        sys.exit(f'{web_dir} has no index.html')
    servers = {'app': serve(os.path.abspath(web_dir)), 'floor': serve(FLOOR),
               'keys': serve(os.path.abspath(web_dir), isolated=True)}
    url = {name: f'http://127.0.0.1:{s.server_address[1]}/' for name, s in servers.items()}
    results = {name: {'cold': [], 'warm': [], 'requests': [], 'worker': [], 'controlled': []}
               for name in ('app', 'floor')}
    try:
        for r in range(rounds):
            # Alternate which goes first, so neither always meets a warmer machine.
            for name in (('app', 'floor') if r % 2 == 0 else ('floor', 'app')):
                cold, warm, requests, worker, controlled = load_round(url[name], servers[name])
                for field, v in zip(results[name], (cold, warm, requests, worker, controlled)):
                    results[name][field].append(v)
                print(f'round {r + 1} {name:5}: cold {cold:7.1f} ms, warm {warm:7.1f} ms, '
                      f'{requests} requests on the warm load'
                      + (', served by its service worker' if controlled else
                         ', its active service worker did not serve it' if worker else ''),
                      flush=True)
        try:
            times, handler, how, boxes, (resolution, isolated) = keystrokes(url['keys'])
        except NotStarted as e:
            print(f'cross-origin isolated, the app did not start ({e}); keystrokes without it')
            times, handler, how, boxes, (resolution, isolated) = keystrokes(url['app'])
    except (RuntimeError, WebDriverException) as e:
        sys.exit(f'web_load: {getattr(e, "msg", None) or e}')
    finally:
        for s in servers.values():
            s.shutdown()

    med = {name: {k: statistics.median(results[name][k]) for k in ('cold', 'warm')}
           for name in results}
    print(f'\nnavigation to start-up state, phone 360x740, medians of {rounds} rounds:')
    print(f'{"":6}{"floor":>10}{"app":>10}{"app/floor":>11}')
    for k in ('cold', 'warm'):
        print(f'{k:6}{med["floor"][k]:8.1f}ms{med["app"][k]:8.1f}ms'
              f'{med["app"][k] / med["floor"][k]:11.2f}')
    print(f'app warm loads: {statistics.median(results["app"]["requests"]):g} requests '
          f'(median), served by its service worker in '
          f'{sum(results["app"]["controlled"])} of {rounds}')
    print(f'\nkeystroke to result, {len(times)} keystrokes into the first value box '
          f'(last boxes: {" / ".join(boxes)}): median {statistics.median(times):.3f} ms, '
          f'p95 {p95(times):.3f} ms, max {max(times):.3f} ms')
    if handler:
        print(f'  of which from the input event (after the browser edited the box) to the result, '
              f'{len(handler)} keystrokes: median {statistics.median(handler):.3f} ms, '
              f'p95 {p95(handler):.3f} ms')
    print(f'  seen by: {", ".join(f"{k} {v}" for k, v in sorted(how.items()))}; '
          f'clock step {resolution * 1000:.0f} us, cross-origin isolated: {isolated}')
    print(f'web_load: cold {med["app"]["cold"]:.1f} ms (floor {med["floor"]["cold"]:.1f}, '
          f'ratio {med["app"]["cold"] / med["floor"]["cold"]:.2f}), warm {med["app"]["warm"]:.1f}'
          f' ms (floor {med["floor"]["warm"]:.1f}, ratio '
          f'{med["app"]["warm"] / med["floor"]["warm"]:.2f}), keystroke median '
          f'{statistics.median(times):.3f} ms, p95 {p95(times):.3f} ms'
          + (f' (from the input event {statistics.median(handler):.3f} ms)' if handler else ''))


if __name__ == '__main__':
    main()
