#!/usr/bin/python3
"""Audit a page of the converter's web face with axe-core in headless Chromium.

    tests/web/axe_audit.py URL

Checks WCAG 2.2 A and AA rules at a phone size and at a desktop size, in es-ES and in en-US,
once in the start-up state and once with a message on the message line (so its colours are
audited too). Prints every violation and closes with `axe: N passed, M failed`; the exit
status is non-zero when a check failed. Needs `npm ci` in tests/web first.
"""
import os
import shutil
import sys
import tempfile
import time

from selenium import webdriver
from selenium.common.exceptions import TimeoutException, WebDriverException
from selenium.webdriver.chrome.service import Service

HERE = os.path.dirname(os.path.abspath(__file__))
AXE = os.path.join(HERE, 'node_modules', 'axe-core', 'axe.min.js')
TAGS = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa']
# Without these flags Chromium keeps reaching for a network that is not there.
FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync']
SIZES = [
    ('phone', dict(width=360, height=740, deviceScaleFactor=3, mobile=True), True),
    ('desktop', dict(width=1024, height=768, deviceScaleFactor=1, mobile=False), False),
]
LANGS = ['es-ES', 'en-US']

# The start-up state: both value boxes hold a value the form put there once it was running
# (a text in the markup is only what the boxes show before that).
STARTED = """const boxes = [...document.querySelectorAll('input[type=text]')];
return boxes.length > 0 && boxes.every(b => b.value !== '' && b.value !== b.defaultValue);"""
# The message line: whatever live region or status element the page shows its message in.
MESSAGE = """return [...document.querySelectorAll('[aria-live],[role=status],[role=alert]')]
  .map(e => e.textContent.trim()).filter(t => t).join(' | ')"""
RUN_AXE = """const done = arguments[arguments.length - 1];
axe.run(document, {runOnly: {type: 'tag', values: arguments[0]}, resultTypes: ['violations']})
  .then(r => done({violations: r.violations.map(v => ({id: v.id, impact: v.impact, help: v.help,
        nodes: v.nodes.map(n => ({target: n.target.join(' '), summary: n.failureSummary}))})),
      passes: r.passes.length}),
        e => done({error: String(e)}));"""


def start_browser(lang, profile):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for flag in FLAGS + ['--user-data-dir=' + profile, '--lang=' + lang,
                         '--accept-lang=' + lang + ',' + lang.split('-')[0]]:
        options.add_argument(flag)
    options.add_experimental_option('prefs', {'intl.accept_languages': lang})
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    driver.set_script_timeout(60)
    return driver


def wait_for(driver, script, what, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.05)
    raise TimeoutException(f'no {what} after {seconds} s')


def show_message(driver):
    """Put letters into the first value box as an input method would, so the form reports them."""
    driver.execute_script("document.querySelector('input[type=text]').focus();"
                          "document.querySelector('input[type=text]').select()")
    driver.execute_cdp_cmd('Input.insertText', {'text': 'abc'})
    try:
        return 'typed: ' + wait_for(driver, MESSAGE, 'message', 5)
    except TimeoutException:
        pass
    # Some pages refuse typed letters even from an input method; a paste is then the way in.
    # Through the keyboard's Paste key, as the context menu's Paste would: the key filter may
    # swallow Ctrl+V as the desktop window's does.
    driver.execute_cdp_cmd('Browser.grantPermissions', {
        'permissions': ['clipboardReadWrite', 'clipboardSanitizedWrite'],
        'origin': driver.execute_script('return location.origin')})
    driver.execute_async_script(
        "navigator.clipboard.writeText('abc').then(arguments[0], arguments[0])")
    driver.execute_script("document.querySelector('input[type=text]').select()")
    for kind in ('rawKeyDown', 'keyUp'):
        driver.execute_cdp_cmd('Input.dispatchKeyEvent', {
            'type': kind, 'key': 'Paste', 'code': 'Paste',
            'commands': ['paste'] if kind == 'rawKeyDown' else []})
    return 'pasted: ' + wait_for(driver, MESSAGE, 'message', 5)


def audit(driver, label):
    driver.execute_script(open(AXE, encoding='utf-8').read())
    result = driver.execute_async_script(RUN_AXE, TAGS)
    if 'error' in result:
        print(f'{label}: axe could not run: {result["error"]}')
        return False
    for v in result['violations']:
        print(f'{label}: {v["id"]} ({v["impact"]}): {v["help"]}')
        for node in v['nodes']:
            print(f'    {node["target"]}: ' + ' '.join(node['summary'].split()))
    print(f'{label}: {len(result["violations"])} violations, {result["passes"]} rules passed')
    return not result['violations']


def check_language(url, lang):
    """Every check in one language: phone and desktop, start-up and message states."""
    outcomes = []
    profile = tempfile.mkdtemp(prefix='axe-profile-')
    driver = None
    try:
        driver = start_browser(lang, profile)
        driver.execute_cdp_cmd('Emulation.setLocaleOverride', {'locale': lang})
        for size, metrics, touch in SIZES:
            driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', metrics)
            driver.execute_cdp_cmd('Emulation.setTouchEmulationEnabled',
                                   {'enabled': touch, 'maxTouchPoints': 5 if touch else 1})
            for state in ('start-up', 'message'):
                label = f'{lang} {size} {state}'
                try:
                    driver.get(url)
                    wait_for(driver, STARTED, 'start-up state (both value boxes filled)')
                    if state == 'message':
                        print(f'{label}: message line after "abc" {show_message(driver)}')
                    else:
                        print(f'{label}: value boxes hold ' + ' / '.join(driver.execute_script(
                            "return [...document.querySelectorAll('input[type=text]')]"
                            ".map(b => b.value)")))
                    outcomes.append(audit(driver, label))
                except (TimeoutException, WebDriverException) as e:
                    print(f'{label}: could not be checked: {e.msg if hasattr(e, "msg") else e}')
                    outcomes.append(False)
        language = driver.execute_script(
            'return navigator.language + " " + Intl.NumberFormat().resolvedOptions().locale')
        print(f'{lang}: the page saw the language {language}')
    except WebDriverException as e:
        print(f'{lang}: Chromium did not start: {e.msg}')
        outcomes += [False] * (2 * len(SIZES) - len(outcomes))
    finally:
        if driver:
            driver.quit()
        shutil.rmtree(profile, ignore_errors=True)
    return outcomes


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    if not os.path.exists(AXE):
        sys.exit(f'{AXE} is missing: run npm ci in {HERE}')
    outcomes = [ok for lang in LANGS for ok in check_language(sys.argv[1], lang)]
    failed = outcomes.count(False)
    print(f'axe: {len(outcomes) - failed} passed, {failed} failed')
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
