#!/usr/bin/python3
"""Weighs and times the built web app (figures for docs/benchmarks.md, never a pass or a fail):
every file raw and gzipped, the .wasm alone, and in headless Chromium on localhost the time
from a real keystroke's input event until UB holds the result, median over many keys.

Usage: bench/web_measure.py WEB-FOLDER [KEYS]
Writes the screenshots too when SHOTS=DIR is set: DIR/screenshot-phone.png (360 x 740) and
DIR/screenshot-browser.png (a desktop browser).
"""
import gzip
import os
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import web_test as page  # noqa: E402  the test's server and browser set-up

from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

folder = sys.argv[1]
count = int(sys.argv[2]) if len(sys.argv) > 2 else 300

raw = zipped = 0
print(f"{'file':28} {'bytes':>8} {'gzip -9':>8}")
for name in sorted(os.listdir(folder)):
    with open(os.path.join(folder, name), "rb") as f:
        data = f.read()
    packed = len(gzip.compress(data, 9))
    raw += len(data)
    zipped += packed
    print(f"{name:28} {len(data):8} {packed:8}")
print(f"{'all':28} {raw:8} {zipped:8}")

# Cross-origin isolated, the page's clock runs at 5 microseconds instead of 100.
os.environ["TARVEL_ISOLATE"] = "1"
server = page.Server(folder).start()
TIMER = """
window.__times = [];
var ua = document.getElementById('UA'), ub = document.getElementById('UB'), start = 0;
document.addEventListener('input', function () { start = performance.now(); }, true);
// Registered after the page's own listener, so it runs once the form has written UB.
ua.addEventListener('input', function () {
  window.__times.push([performance.now() - start, ub.value]);
});
return self.crossOriginIsolated;
"""
try:
    with tempfile.TemporaryDirectory() as profile:
        session = page.engines.ChromiumSession("es-ES", False, profile)
        driver = session.driver
        try:
            page.open_page(session, server.url)
            isolated = driver.execute_script(TIMER)
            ua = driver.find_element(By.ID, "UA")
            ua.click()
            for i in range(count):
                key = Keys.BACKSPACE if i % 2 else str(i % 10)
                ActionChains(driver).send_keys(key).perform()
            times = driver.execute_script("return window.__times")
            ms = [t for t, _ in times]
            print(f"keystroke to result over {len(ms)} input events (isolated clock: {isolated}): "
                  f"median {statistics.median(ms) * 1000:.0f} us, "
                  f"90th percentile {sorted(ms)[int(len(ms) * 0.9)] * 1000:.0f} us")
            shots = os.environ.get("SHOTS")
            if shots:
                driver.set_window_size(640, 480)
                page.open_page(session, server.url)
                driver.save_screenshot(os.path.join(shots, "screenshot-browser.png"))
        finally:
            driver.quit()
        if os.environ.get("SHOTS"):
            with tempfile.TemporaryDirectory() as phone_profile:
                session = page.engines.ChromiumSession("es-ES", True, phone_profile)
                driver = session.driver
                try:
                    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                           {"width": 360, "height": 740, "deviceScaleFactor": 1,
                                            "mobile": True})
                    page.open_page(session, server.url)
                    shots = os.environ["SHOTS"]
                    driver.save_screenshot(os.path.join(shots, "screenshot-phone.png"))
                finally:
                    driver.quit()
finally:
    server.stop()

# Start-up: from navigation to the form's start-up state (the page's 'tarvel-ready' mark, set
# once UB holds its value), cold (nothing cached, no worker) and from the service worker's
# cache, alternating with a floor page: the same page and native controls, filled by a few
# lines of script, no WebAssembly.
FLOOR_JS = """
var fill = function (id, items) { var l = document.getElementById(id);
  items.forEach(function (t) { l.add(new Option(t)); }); l.selectedIndex = 0; };
fill('List1', ['Longitud', 'Area', 'Volumen', 'Velocidad', 'Masa', 'Fuerza', 'Energía',
  'Potencia', 'Densidad', 'Presión', 'Temperatura', 'Calor específico',
  'U, coeficiente transferencia calor', 'Caudal']);
var units = ['m', 'cm', 'mm', 'yd', 'pie', 'pulg', 'km', 'millas'];
fill('Combo1', units); fill('Combo2', units);
document.getElementById('UA').value = '1,0'; document.getElementById('UB').value = '1,0';
document.documentElement.classList.add('ready'); performance.mark('tarvel-ready');
"""
rounds = int(os.environ.get("ROUNDS", "10"))
with tempfile.TemporaryDirectory() as scratch:
    floor = os.path.join(scratch, "floor")
    os.makedirs(floor)
    for name in os.listdir(folder):
        if name not in ("sw.js", "conversor-unidades.js", "conversor-unidades.wasm"):
            with open(os.path.join(folder, name), "rb") as src:
                data = src.read().replace(b"conversor-unidades.js", b"floor.js")
            with open(os.path.join(floor, name), "wb") as dst:
                dst.write(data)
    with open(os.path.join(floor, "floor.js"), "w") as f:
        f.write(FLOOR_JS)
    os.environ.pop("TARVEL_ISOLATE", None)
    servers = {"converter": page.Server(folder).start(), "floor": page.Server(floor).start()}
    times = {(kind, when): [] for kind in servers for when in ("cold", "cached")}
    READY = "return performance.getEntriesByName('tarvel-ready')[0].startTime"
    try:
        with tempfile.TemporaryDirectory() as profile:
            session = page.engines.ChromiumSession("es-ES", False, profile)
            driver = session.driver
            try:
                for _ in range(rounds):
                    for kind, server in servers.items():
                        origin = server.url[:-1]
                        driver.get("about:blank")
                        driver.execute_cdp_cmd("Storage.clearDataForOrigin",
                                               {"origin": origin, "storageTypes": "all"})
                        driver.execute_cdp_cmd("Network.clearBrowserCache", {})
                        page.open_page(session, server.url)
                        times[(kind, "cold")].append(driver.execute_script(READY))
                        if kind == "converter":
                            page.service_worker_ready(driver)
                        driver.get("about:blank")
                        page.open_page(session, server.url)
                        times[(kind, "cached")].append(driver.execute_script(READY))
            finally:
                driver.quit()
    finally:
        for server in servers.values():
            server.stop()
    for when in ("cold", "cached"):
        c = statistics.median(times[("converter", when)])
        f = statistics.median(times[("floor", when)])
        print(f"navigation to start-up state, {when}, median of {rounds}: converter {c:.1f} ms, "
              f"floor {f:.1f} ms, ratio {c / f:.2f}")
