#!/usr/bin/python3
"""The web calculator in a real browser: headless Chromium driven by Selenium
against two copies of the site (/calc/ and /calc2/) served on 127.0.0.1 by a
server this test starts, counts the requests of and stops.

    /usr/bin/python3 tests/web/browser_test.py --site build/wasm/site \
        --screenshots build/wasm/screenshots --axe .../axe-core/axe.min.js \
        [--random-vectors FILE]

The page is driven as a person drives it: typing, choosing, clicking,
opening addresses. Expected values come from the page's own module file,
imported afresh, or are worked out by hand.
"""
import argparse
import base64
import collections
import csv
import functools
import http.server
import importlib.util
import io
import json
import os
import re
import shlex
import shutil
import subprocess
import socket
import sys
import tempfile
import threading
import time
import unittest
from urllib.parse import quote, unquote

# What ctest counts as skipped rather than failed (SKIP_RETURN_CODE).
SKIPPED = 77


def missing_browser_packages():
    """The Debian packages of Chromium, its driver and Selenium this machine lacks."""
    paths = argparse.ArgumentParser(add_help=False)
    paths.add_argument("--chromium", default="/usr/bin/chromium")
    paths.add_argument("--chromedriver", default="/usr/bin/chromedriver")
    given, _ = paths.parse_known_args()
    missing = [package for path, package in ((given.chromium, "chromium"), (given.chromedriver, "chromium-driver"))
               if not os.access(path, os.X_OK)]
    if importlib.util.find_spec("selenium") is None:
        missing.append("python3-selenium")
    return missing


# Without a browser to drive there is nothing to test: say so, and skip.
if __name__ == "__main__" and (MISSING := missing_browser_packages()):
    print(f"needs chromium: the page's tests in a browser are skipped without {', '.join(MISSING)} "
          f"(Debian: apt-get install {' '.join(MISSING)})")
    sys.exit(SKIPPED)

from selenium import webdriver  # noqa: E402 (after the check above)
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402
from selenium.webdriver.support.ui import Select, WebDriverWait  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--disable-dev-shm-usage", "--window-size=1280,900"]
WAIT_SECONDS = 15
CSP = ("default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; img-src 'self' data:; "
       "object-src 'none'; base-uri 'none'; form-action 'none'")
OHM = "\u03a9"
NBSP = "\u00a0"
# Everything a screen reader treats as a live region.
LIVE_REGIONS = "[aria-live], [role=status], [role=log], [role=alert], [role=marquee], [role=timer], output"
ARGS = None


class CountingHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".mjs": "text/javascript", ".js": "text/javascript", ".wasm": "application/wasm",
                      ".webmanifest": "application/manifest+json", ".svg": "image/svg+xml"}

    def __init__(self, *args, requests, **kwargs):
        self.requests = requests
        super().__init__(*args, **kwargs)

    # The files served in full: a revalidation answered "304 Not Modified"
    # sends no file again.
    def send_response(self, code, message=None):
        if code == 200:
            self.requests.append(self.path.split("?")[0])
        super().send_response(code, message)

    def log_message(self, *args):
        pass


class Site:
    """Two copies of the site, /calc/ and /calc2/, on a free port of 127.0.0.1, until stop()."""

    def __init__(self, directory):
        self.root = tempfile.TemporaryDirectory(prefix="zorvane-origin-")
        for copy in ("calc", "calc2"):
            shutil.copytree(directory, os.path.join(self.root.name, copy))
        self.requests = []
        handler = functools.partial(CountingHandler, directory=self.root.name, requests=self.requests)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.port = self.server.server_address[1]
        self.url = f"http://127.0.0.1:{self.port}/calc/"
        self.url2 = f"http://127.0.0.1:{self.port}/calc2/"
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()
        self.thread.join()

    def is_up(self):
        with socket.socket() as probe:
            return probe.connect_ex(("127.0.0.1", self.port)) == 0

    def cleanup(self):
        if self.is_up():
            self.stop()
        self.root.cleanup()


def decode_field(field):
    out, i = [], 0
    while i < len(field):
        if field[i] == "\\":
            kind = field[i + 1]
            if kind == "u":
                out.append(chr(int(field[i + 2:i + 6], 16)))
                i += 6
                continue
            out.append("\t" if kind == "t" else "\\")
            i += 2
            continue
        out.append(field[i])
        i += 1
    return "".join(out)


def load_vectors(path, limit):
    vectors = []
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            line = line.rstrip("\n")
            if not line or line.startswith("#") or line.startswith("~"):
                continue
            command, expected = line.split("\t")
            vectors.append((decode_field(command), decode_field(expected)))
            if len(vectors) == limit:
                break
    return vectors


class WebCalculatorInBrowser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.site = Site(ARGS.site)
        cls.profile = tempfile.TemporaryDirectory(prefix="zorvane-chromium-")
        cls.downloads = tempfile.TemporaryDirectory(prefix="zorvane-downloads-")
        options = webdriver.ChromeOptions()
        options.binary_location = ARGS.chromium
        for flag in CHROMIUM_FLAGS + [f"--user-data-dir={cls.profile.name}"]:
            options.add_argument(flag)
        cls.driver = webdriver.Chrome(service=Service(ARGS.chromedriver), options=options)
        cls.driver.set_script_timeout(60)
        cls.driver.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": cls.downloads.name})
        # Whatever the page's policy refuses is written down where the test reads it.
        cls.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
            document.addEventListener('securitypolicyviolation', e =>
                sessionStorage.setItem('csp', (sessionStorage.getItem('csp') ?? '') + e.violatedDirective + ' ' + e.blockedURI + '\\n'));
        """})
        cls.first_visit = cls.load()
        cls.wait_for_service_worker()
        cls.first_visit_requests = list(cls.site.requests)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.site.cleanup()
        cls.profile.cleanup()
        cls.downloads.cleanup()

    @classmethod
    def load(cls, url=None, fragment=""):
        cls.driver.get("about:blank")
        cls.driver.get((url or cls.site.url) + fragment)
        WebDriverWait(cls.driver, WAIT_SECONDS).until(
            lambda d: d.execute_script("return document.documentElement.dataset.ready === 'true'"))

    @classmethod
    def wait_for_service_worker(cls):
        cls.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            navigator.serviceWorker.ready.then(() => {
                const wait = () => navigator.serviceWorker.controller ? done(true) : setTimeout(wait, 50);
                wait();
            });""")

    # ---- helpers ----

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def module(self, body, *args):
        """Runs `body` with `calc`, a calculator of the page's own module file, imported afresh."""
        return self.driver.execute_async_script(f"""
            const done = arguments[arguments.length - 1];
            const args = [...arguments].slice(0, -1);
            import(new URL('zorvane-calc.mjs', location.href)).then(m => m.createCalculator())
                .then(calc => done((() => {{ {body} }})()), e => done('error: ' + e));
        """, *args)

    def by_id(self, id_):
        return self.driver.find_element(By.ID, id_)

    def type_command(self, command):
        self.by_id("command").send_keys(command, Keys.ENTER)
        entries = self.driver.find_elements(By.CSS_SELECTOR, "#log > li")
        return entries[-1] if entries else None

    def replace_text(self, element, text):
        element.send_keys(Keys.CONTROL, "a")
        element.send_keys(Keys.DELETE)
        element.send_keys(text)

    def choose_formula(self, keyword):
        Select(self.by_id("formula")).select_by_value(keyword)

    def fields(self):
        return self.driver.find_elements(By.CSS_SELECTOR, "#fields input[data-argument]")

    def result(self, css=".eng"):
        found = self.by_id("picker-result").find_elements(By.CSS_SELECTOR, css)
        return found[0].text if found else None

    def sweep(self, keyword, vary, start, end, points, steps="log"):
        self.choose_formula(keyword)
        Select(self.by_id("sweep-argument")).select_by_value(str(vary))
        self.replace_text(self.by_id("sweep-from"), start)
        self.replace_text(self.by_id("sweep-to"), end)
        self.replace_text(self.by_id("sweep-points"), str(points))
        self.driver.find_element(By.CSS_SELECTOR, f"input[name='steps'][value='{steps}']").click()
        self.driver.find_element(By.CSS_SELECTOR, "#sweep-form button[type='submit']").click()
        # The plot is drawn once the page has painted; a sweep refused draws nothing.
        WebDriverWait(self.driver, WAIT_SECONDS).until(
            lambda d: d.execute_script("return document.getElementById('plot').dataset.drawn !== 'false'"))
        return self.by_id("plot-caption").text

    def table(self):
        """The points' table, built when it is opened: opened first."""
        self.js("document.getElementById('points-details').open = true")
        WebDriverWait(self.driver, WAIT_SECONDS).until(
            lambda d: d.execute_script("return document.getElementById('points').dataset.stale === undefined"))
        return self.js("return [...document.querySelectorAll('#points tbody tr')]"
                       ".map(tr => [...tr.cells].map(td => td.textContent.replaceAll('\u00a0', ' ')))")

    def downloaded(self, name):
        path = os.path.join(self.downloads.name, name)
        WebDriverWait(self.driver, WAIT_SECONDS).until(lambda d: os.path.exists(path))
        time.sleep(0.2)
        with open(path, "rb") as data:
            content = data.read()
        os.remove(path)
        return content

    def axe(self, state):
        with open(ARGS.axe, encoding="utf-8") as source:
            self.js(source.read())
        violations = self.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            axe.run(document, { runOnly: { type: 'tag',
                values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'best-practice'] } })
              .then(r => done(r.violations.map(v => `${v.id} (${v.impact}): ${v.nodes.map(n => n.target.join(' ')).join(', ')}`)),
                    e => done(['axe failed: ' + e]));""")
        self.assertEqual(violations, [], state)

    # ---- loading, offline, security ----

    def test_a_first_visit_downloads_each_file_once(self):
        counts = collections.Counter(self.first_visit_requests)
        files = sorted(os.listdir(ARGS.site))
        self.assertEqual({path: n for path, n in counts.items() if n > 1}, {})
        expected = {"/calc/"} | {f"/calc/{f}" for f in files if f != "index.html"}
        self.assertEqual(set(counts), expected)
        self.assertEqual(self.js("return document.querySelector('meta[http-equiv=\"Content-Security-Policy\"]').content"), CSP)
        self.assertEqual(self.js("return sessionStorage.getItem('csp')"), None)
        # The first formula's fields and answer come with the HTML, as the page renders them.
        static = self.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            fetch('index.html').then(r => r.text()).then(t => {
                const html = new DOMParser().parseFromString(t, 'text/html');
                done([html.getElementById('fields').innerHTML, html.getElementById('picker-result').innerHTML]);
            });""")
        live = self.js("""const fields = document.getElementById('fields').cloneNode(true);
            fields.querySelectorAll('.reading').forEach(p => p.textContent = '');
            fields.querySelectorAll('[aria-invalid]').forEach(e => e.removeAttribute('aria-invalid'));
            return [fields.innerHTML, document.getElementById('picker-result').innerHTML];""")
        self.assertEqual([static[0].replace(' disabled="" data-needs-module=""', ''), static[1]], live)

    def test_y_a_new_version_is_offered_and_taken(self):
        self.load(self.site.url2)
        self.wait_for_service_worker()
        # The next build: another cache name in the service worker.
        worker = os.path.join(self.site.root.name, "calc2", "sw.js")
        with open(worker, encoding="utf-8") as f:
            text = f.read()
        with open(worker, "w", encoding="utf-8") as f:
            f.write(re.sub(r"(const CACHE = `\$\{PREFIX\})[0-9a-f]{16}", r"\g<1>0123456789abcdef", text))
        self.load(self.site.url2)
        notice = self.by_id("notice")
        WebDriverWait(self.driver, WAIT_SECONDS).until(lambda d: notice.is_displayed())
        self.assertEqual(notice.text, "A new version of the calculator is ready. Reload")
        self.js("window.beforeUpdate = true")
        notice.find_element(By.TAG_NAME, "button").click()
        WebDriverWait(self.driver, WAIT_SECONDS).until(lambda d: d.execute_script(
            "return window.beforeUpdate === undefined && document.documentElement.dataset.ready === 'true'"))
        self.assertFalse(self.by_id("notice").is_displayed())
        names = self.driver.execute_async_script(
            "const done = arguments[arguments.length - 1]; caches.keys().then(done);")
        self.assertEqual([n for n in names if n.split(" ")[1] == self.site.url2], [f"zorvane-calc {self.site.url2} 0123456789abcdef"])

    def test_zz_two_copies_keep_their_own_offline_cache(self):
        # Nothing any test did was refused by the page's policy.
        self.assertEqual(self.js("return sessionStorage.getItem('csp')"), None)
        self.load(self.site.url2)
        self.wait_for_service_worker()
        names = self.driver.execute_async_script(
            "const done = arguments[arguments.length - 1]; caches.keys().then(done);")
        self.assertEqual(sorted(n.split(" ")[1] for n in names), [self.site.url, self.site.url2])
        self.site.stop()
        self.assertFalse(self.site.is_up())
        for url in (self.site.url, self.site.url2):
            self.load(url)
            entry = self.type_command("power_vi 12 0.5")
            self.assertEqual(entry.find_element(By.CSS_SELECTOR, ".line samp").text, "Power = 6.000000 W")
            self.assertEqual(entry.find_element(By.CSS_SELECTOR, ".eng").text, "Power = 6 W")

    def test_without_scripts_it_says_so(self):
        options = webdriver.ChromeOptions()
        options.binary_location = ARGS.chromium
        for flag in CHROMIUM_FLAGS:
            options.add_argument(flag)
        options.add_experimental_option("prefs", {"profile.managed_default_content_settings.javascript": 2})
        driver = webdriver.Chrome(service=Service(ARGS.chromedriver), options=options)
        try:
            driver.get(self.site.url)
            self.assertIn("turned off here", driver.find_element(By.TAG_NAME, "body").text)
            self.assertFalse(driver.find_element(By.ID, "status").is_displayed())
            self.assertFalse(driver.find_element(By.TAG_NAME, "main").is_displayed())
        finally:
            driver.quit()

    # ---- the command line ----

    def test_command_line_answers_as_the_tool(self):
        cases = [  # command, class, exact line, engineering line, extra text shown
            ("power_vi 12 0.5", "result", "Power = 6.000000 W", "Power = 6 W", None),
            ("capacitor_reactance 1k 1u", "result", "Capacitive Reactance = 159.154943 ?",
             f"Capacitive Reactance = 159.155 {OHM}", f"the ohm sign {OHM}"),
            ("capacitor_reactance 0 100n", "result", "Capacitive Reactance = 0.000000 ?", f"Capacitive Reactance = 0 {OHM}",
             "frequency is 0: the formula divides by zero, and the module answers 0"),
            ("ohms_curent 12 1k", "error", "Error: Unknown formula 'ohms_curent' or insufficient parameters", None, "ohms_current"),
            ("ohms_current 12", "error", "Error: Unknown formula 'ohms_current' or insufficient parameters", None,
             "<voltage> <resistance>"),
            ("ohms_current 1,5 1k", "error", "Error: Invalid number '1,5'", None, "1.5"),
            ("  # a comment", "result", None, None, None),
        ]
        for command, kind, line, eng, extra in cases:
            entry = self.type_command(command)
            self.assertEqual(entry.get_attribute("class"), f"entry {kind}", command)
            lines = entry.find_elements(By.CSS_SELECTOR, ".line samp")
            self.assertEqual(lines[0].text if lines else None, line, command)
            engs = entry.find_elements(By.CSS_SELECTOR, ".eng")
            self.assertEqual(engs[0].text if engs else None, eng, command)
            if extra:
                self.assertIn(extra, entry.text, command)
        # The exact line says what it is to a screen reader too.
        self.assertEqual(self.js("return document.querySelector('#log li:nth-last-child(6) .line').textContent"),
                         "The module's exact line: Capacitive Reactance = 159.154943 ?")

    def test_command_line_takes_the_tools_display_options(self):
        """-e and --plain before a command, as zorvane-calc takes them (docs/tool.md's lines, which tests/cli checks)."""
        cases = [  # command, exact line shown (None: none), engineering line shown
            ("-e capacitor_reactance 1k 1u", None, f"Capacitive Reactance = 159.155 {OHM}"),
            ("--eng voltage_divider 12 10k ? = 3.3V", None, f"r2 = 3.7931 k{OHM}"),
            ("--plain capacitor_reactance 1k 1u", "Error: Invalid number '1k'", None),
            ("--plain capacitor_reactance 1000 0.000001", "Capacitive Reactance = 159.154943 ?",
             f"Capacitive Reactance = 159.155 {OHM}"),
            ("-e --plain power_vi 12V 0.5", "Error: Invalid number '12V'", None),
        ]
        for command, line, eng in cases:
            entry = self.type_command(command)
            lines = entry.find_elements(By.CSS_SELECTOR, ".line samp")
            engs = entry.find_elements(By.CSS_SELECTOR, ".eng")
            self.assertEqual((lines[0].text if lines else None, engs[0].text if engs else None), (line, eng), command)
            # The exact line where the tool prints it (the module's, its "?" kept), else the
            # engineering line alone.
            answer = self.module("return calc.command(args[0])", command)
            self.assertEqual((lines or engs)[0].text, answer["eng" if answer["engineering"] else "line"], command)
        self.axe("display options on the command line")

    def test_history_and_a_log_of_the_latest_200(self):
        for command in ("power_vi 1 2", "power_vi 3 4"):
            self.type_command(command)
        field = self.by_id("command")
        field.send_keys("draft", Keys.ARROW_UP)
        self.assertEqual(field.get_attribute("value"), "power_vi 3 4")
        field.send_keys(Keys.ARROW_UP)
        self.assertEqual(field.get_attribute("value"), "power_vi 1 2")
        field.send_keys(Keys.ARROW_DOWN, Keys.ARROW_DOWN)
        self.assertEqual(field.get_attribute("value"), "draft")
        self.replace_text(field, "")
        typed = self.js("""
            const input = document.getElementById('command'), form = document.getElementById('command-form');
            for (let i = 1; i <= 230; ++i) { input.value = `ohms_voltage ${i} 2`; form.requestSubmit(); }
            const log = document.getElementById('log');
            return [log.children.length, log.firstElementChild.querySelector('.typed').textContent,
                    log.lastElementChild.querySelector('.eng').textContent];""")
        self.assertEqual(typed, [200, "> ohms_voltage 31 2", f"Voltage = 460{NBSP}V"])
        self.axe("a long log")
        key = "zorvane-calc-history:/calc/"
        stored = json.loads(self.js("return localStorage.getItem(arguments[0])", key))
        self.assertEqual((len(stored), stored[-1]), (200, "ohms_voltage 230 2"))

    def test_help_and_reference_downloads_released(self):
        self.assertIn("Sample commands:", self.type_command("HELP").text)
        self.assertIn("- Calculate current (I = V / R)", self.type_command(" Help OHMS_CURRENT").text)
        unknown = self.type_command("help ohms_curent")
        self.assertIn("error", unknown.get_attribute("class"))
        self.assertIn("did you mean ohms_current?", unknown.text)
        entry = self.type_command(" /HELP")
        self.assertEqual(entry.find_element(By.CSS_SELECTOR, ".line samp").text,
                         "Help file 'electronics_formulas.txt' created successfully!")
        link = entry.find_element(By.CSS_SELECTOR, "a[download]")
        href = link.get_attribute("href")
        with open(os.path.join(ROOT, "tests/golden/electronics_formulas.txt"), "rb") as golden:
            reference = golden.read()
        link.click()
        self.assertEqual(self.downloaded("electronics_formulas.txt"), reference)
        # Once the entry is gone, its bytes are released: the old link leads nowhere.
        self.type_command("clear")
        self.js("""const a = document.createElement('a'); a.href = arguments[0]; a.download = 'electronics_formulas.txt';
                   document.body.append(a); a.click(); a.remove();""", href)
        time.sleep(1.5)
        self.assertFalse(os.path.exists(os.path.join(self.downloads.name, "electronics_formulas.txt")))
        self.by_id("reference-button").click()
        self.assertEqual(self.downloaded("electronics_formulas.txt"), reference)

    # ---- the picker and the address ----

    def test_picker_updates_live_and_marks_invalid_values(self):
        self.choose_formula("resistors_parallel")
        first, second = self.fields()
        labels = [self.driver.find_element(By.CSS_SELECTOR, f"label[for='{f.get_attribute('id')}']").text
                  for f in (first, second)]
        self.assertEqual(labels, [f"r1 ({OHM})", f"r2 ({OHM})"])
        self.replace_text(first, "4k7")
        self.replace_text(second, "10k")
        self.assertEqual(self.result(), f"Parallel Resistance = 3.19728 k{OHM}")
        self.assertEqual(self.result(".line samp"), "Parallel Resistance = 3197.278912 ?")
        self.assertIn(f"the ohm sign {OHM}", self.result(".line-note"))
        cases = [  # typed, problem shown
            ("1,5", "'1,5' is not a number: write 1.5"),
            ("4k7\u0000", "a control character (U+0000) is not part of a value"),
            ("1\u00072", "a control character (U+0007) is not part of a value"),
            ("", "enter a value"),
        ]
        for typed, problem in cases:
            # As pasted: some of these cannot be typed on a keyboard.
            self.js("arguments[0].value = arguments[1]; arguments[0].dispatchEvent(new InputEvent('input', {bubbles: true}))",
                    first, typed)
            self.assertEqual(first.get_attribute("aria-invalid"), "true", repr(typed))
            self.assertEqual(self.by_id(first.get_attribute("id") + "-problem").text, problem, repr(typed))
            self.assertIsNone(self.result(), repr(typed))
        self.assertEqual(second.get_attribute("aria-invalid"), "false")
        self.replace_text(first, "0")
        self.assertEqual(self.result(".guard"), "r1 is 0: the formula divides by zero, and the module answers 0")
        self.replace_text(first, "2R2")
        self.assertIsNone(self.result(".guard"))
        self.assertEqual(self.result(".line samp"), "Parallel Resistance = 2.199516 ?")
        # One live region on the page, spoken once typing pauses.
        self.assertEqual(self.js(f"return [...document.querySelectorAll('{LIVE_REGIONS}')].map(e => e.id)"), ["announcer"])
        WebDriverWait(self.driver, WAIT_SECONDS).until(
            lambda d: self.by_id("announcer").get_attribute("textContent") == f"Parallel Resistance = 2.19952 {OHM}")

    def test_formulas_listed_as_read_and_found_by_typing(self):
        self.choose_formula("capacitor_reactance")
        self.assertEqual(self.by_id("formula-description").text, "Capacitive Reactance: Reactance (Xc = 1/2\u03c0fC)")
        self.assertEqual(self.by_id("formula-usage").text, "capacitor_reactance <frequency> <capacitance>")
        search = self.by_id("formula-search")
        cases = [  # typed, formulas listed
            ("inductor_reactance", ["inductor_reactance"]),
            ("parallel resistance", ["resistors_parallel"]),
            ("°c/w", ["thermal_resistance", "junction_temperature"]),
            ("w/m²", ["antenna_gain_db"]),
            ("thermal", ["thermal_resistance", "junction_temperature"]),
            ("no such thing", []),
        ]
        for typed, listed in cases:
            self.replace_text(search, typed)
            self.assertEqual(self.js("return [...document.querySelectorAll('#formula option')].map(o => o.value)"),
                             listed, typed)
        self.assertEqual(self.by_id("formula-search-count").text, "No formula matches.")
        self.replace_text(search, "inductor_reactance")
        self.assertEqual(self.by_id("formula-description").text, "Inductive Reactance: Reactance (XL = 2\u03c0fL)")
        self.replace_text(search, "")

    def test_the_address_holds_the_command(self):
        cases = [  # fragment, formula shown, values, result
            (quote("power_vi 12 0.5"), "power_vi", ["12", "0.5"], "Power = 6 W"),
            ("#" + quote("RESISTORS_PARALLEL 4k7  10k"), "resistors_parallel", ["4k7", "10k"],
             f"Parallel Resistance = 3.19728 k{OHM}"),
        ]
        for fragment, keyword, values, result in cases:
            self.load(fragment="#" + fragment.lstrip("#"))
            self.assertEqual(Select(self.by_id("formula")).first_selected_option.get_attribute("value"), keyword)
            self.assertEqual([f.get_attribute("value") for f in self.fields()], values)
            self.assertEqual(self.result(), result)
        # Anything else is a command for the command line.
        self.load(fragment="#" + quote("ohms_current 12"))
        entry = self.driver.find_elements(By.CSS_SELECTOR, "#log > li")[-1]
        self.assertIn("<voltage> <resistance>", entry.text)
        self.assertEqual(self.js("return location.hash"), "#ohms_current%2012")
        self.assertEqual(self.result(), f"Capacitive Reactance = 1.59155 k{OHM}")
        # The address follows the picker in place.
        self.load(fragment="#power_vi%2012%200.5")
        length = self.js("return history.length")
        self.choose_formula("voltage_divider")
        vin, r1, r2 = self.fields()
        self.replace_text(vin, "12")
        self.replace_text(r1, "10k")
        self.replace_text(r2, "4k7")
        self.assertEqual(self.js("return location.hash"), "#voltage_divider%2012%2010k%204k7")
        self.assertEqual(self.js("return history.length"), length)
        self.driver.get(self.site.url + "#power_vi%203%204")
        WebDriverWait(self.driver, WAIT_SECONDS).until(lambda d: self.result() == "Power = 12 W")

    def test_the_picker_solves_finds_standard_parts_and_ranges(self):
        cases = [  # fragment, formula, values, unknown fields, answer shown
            ("#--series%20E24%20voltage_divider%2012%2010k%20%3F%20%3D%203.3", "voltage_divider", ["12", "10k"], [2],
             f"r2 = 3.7931 k{OHM}"),
            ("#voltage_divider%2012%2010k%C2%B11%25%204k7", "voltage_divider", ["12", "10k", "4k7"], [],
             "Output Voltage = 3.83673 V (3.81081 .. 3.86301 V)"),
            ("#--series%20e24%20voltage_divider%2012%20%3F%20%3F%20%3D%203.3", "voltage_divider", ["12"], [1, 2],
             f"r1 = 24 k{OHM}, r2 = 9.1 k{OHM} (Output Voltage = 3.29909 V, -0.03%)"),
            ("#power_vi%2012%200.5", "power_vi", ["12", "0.5"], [], "Power = 6 W"),
        ]
        for fragment, keyword, values, unknown, shown in cases:
            self.load(fragment=fragment)
            self.assertEqual(Select(self.by_id("formula")).first_selected_option.get_attribute("value"), keyword)
            toggles = self.driver.find_elements(By.CSS_SELECTOR, "#fields .unknown-toggle")
            self.assertEqual([i for i, t in enumerate(toggles) if t.is_selected()], unknown, fragment)
            known = [f.get_attribute("value") for i, f in enumerate(self.fields()) if i not in unknown]
            self.assertEqual(known, values, fragment)
            self.assertEqual(self.result(), shown, fragment)
            self.assertEqual(self.js("return location.hash"), fragment.replace("%20e24", "%20E24"))
        # As a person asks: r2 unknown for 3.3 V, then a tolerance instead.
        self.choose_formula("voltage_divider")
        Select(self.by_id("picker-series")).select_by_value("")
        vin, r1, r2 = self.fields()
        self.replace_text(vin, "12")
        self.replace_text(r1, "10k")
        self.driver.find_elements(By.CSS_SELECTOR, "#fields .unknown-toggle")[2].click()
        self.assertIn("Correct the marked values", self.by_id("picker-result").text)
        self.replace_text(self.by_id("picker-target"), "15")
        self.assertEqual(self.result(".error"), "Error: No r2 gives Output Voltage = 15 V")
        self.replace_text(self.by_id("picker-target"), "3.3")
        self.assertEqual(self.result(), f"r2 = 3.7931 k{OHM}")
        self.assertEqual(self.js("return location.hash"), "#voltage_divider%2012%2010k%20%3F%20%3D%203.3")
        self.driver.find_elements(By.CSS_SELECTOR, "#fields .unknown-toggle")[2].click()
        tolerance = self.by_id("argument-1-tolerance")
        self.replace_text(tolerance, "1,5")
        self.assertEqual(tolerance.get_attribute("aria-invalid"), "true")
        self.replace_text(tolerance, "1")
        self.replace_text(r2, "4k7")
        self.assertEqual(self.result(), "Output Voltage = 3.83673 V (3.81081 .. 3.86301 V)")
        self.replace_text(tolerance, "")
        self.axe("a question in the picker")

    def test_the_page_reads_questions_as_the_tool(self):
        """One grammar: the address and the command line take what zorvane-calc takes."""
        cases = [  # fragment, unknown fields, tolerances, target, answer shown, the address written back
            ("voltage_divider 12 10k+-.5% 4k7", [], ["", ".5", ""], "",
             "Output Voltage = 3.83673 V (3.82373 .. 3.84983 V)", "voltage_divider 12 10k\u00b1.5% 4k7"),
            ("voltage_divider 12 10k ?=3.3", [2], ["", "", ""], "3.3", f"r2 = 3.7931 k{OHM}",
             "voltage_divider 12 10k ? = 3.3"),
        ]
        for fragment, unknown, tolerances, target, shown, written in cases:
            self.load(fragment="#" + quote(fragment, safe=""))
            toggles = self.driver.find_elements(By.CSS_SELECTOR, "#fields .unknown-toggle")
            self.assertEqual([i for i, t in enumerate(toggles) if t.is_selected()], unknown, fragment)
            self.assertEqual([t.get_attribute("value") for t in self.driver.find_elements(By.CSS_SELECTOR, "#fields .tolerance")],
                             tolerances, fragment)
            self.assertEqual(self.by_id("picker-target").get_attribute("value"), target, fragment)
            self.assertEqual(self.result(), shown, fragment)
            self.assertEqual(self.js("return location.hash"), "#" + quote(written, safe=""), fragment)
        # The command line takes the options an address carries, and refuses what it cannot read.
        for command, line in [
            ("--series E24 voltage_divider 12 ? ? = 3.3",
             f"r1 = 24000 {OHM}, r2 = 9100 {OHM} (Output Voltage = 3.299094 V, -0.03%)"),
            ("--series R=E12 voltage_divider 12 10k ? = 3.3",
             f"r2 = 3793.103448275862 {OHM}; E12: 3300 {OHM} \u2192 2.977444 V (-9.77%), "
             f"3900 {OHM} \u2192 3.366906 V (+2.03%)"),
            ("--series E7 voltage_divider 12 10k ? = 3.3", "Error: Invalid series 'E7' for '--series'"),
            ("power_vi 1 2 \u00b11%", "Error: Invalid number '\u00b11%'"),
        ]:
            entry = self.type_command(command)
            self.assertEqual(entry.find_element(By.CSS_SELECTOR, ".line samp").text, line, command)
        # A tolerance field is read by the grammar too.
        tolerance = self.by_id("argument-1-tolerance")
        for text, invalid in (("-1", "true"), (".5", "false"), ("1%", "true"), ("", "false")):
            self.replace_text(tolerance, text)
            self.assertEqual(tolerance.get_attribute("aria-invalid"), invalid, text)

    def standard_rows(self):
        return self.js("return [...document.querySelectorAll('#picker-result .standard tr')]"
                       ".map(tr => [...tr.cells].map(c => c.textContent))")

    def test_solutions_standard_values_and_readings_in_the_fields(self):
        self.load(fragment="#" + quote("--series E24 voltage_divider 12 10k ? = 3.3", safe=""))
        vin, r1, r2 = self.fields()
        # The unknown shows its solution; its tolerance box is off; each value says how it was read.
        self.assertEqual(r2.get_attribute("value"), f"= 3.7931{NBSP}k{OHM}")
        self.assertEqual((r2.get_attribute("readOnly"), self.by_id("argument-2-tolerance").is_enabled()), ("true", False))
        self.assertEqual([self.by_id(f"argument-{i}-reading").get_attribute("textContent") for i in range(2)],
                         [f"read as 12{NBSP}V", f"read as 10{NBSP}k{OHM}"])
        # The neighbours as a table: value, result, deviation, and a button that fills the field.
        self.assertEqual(self.standard_rows(), [
            [f"r2 ({OHM})", "Output Voltage (V)", "Deviation", ""],
            [f"3.6{NBSP}k{OHM}", f"3.17647{NBSP}V", "-3.74%", "Use this"],
            [f"3.9{NBSP}k{OHM}", f"3.36691{NBSP}V", "+2.03%", "Use this"]])
        # With a tolerance on another value, each neighbour's worst case, as the module's range gives it.
        self.replace_text(self.by_id("argument-1-tolerance"), "1")
        worst = [row[3] for row in self.standard_rows()[1:]]
        expected = self.module("return [3600, 3900].map(v => { const r = calc.range(`voltage_divider 12 10k\u00b11% ${v}`);"
                               " return `${calc.format(r.min, 'V')} .. ${calc.format(r.max, 'V')}`; })")
        self.assertEqual(worst, [w.replace(" V", f"{NBSP}V") for w in expected])
        self.axe("standard values with their worst cases")
        try:
            self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                        {"features": [{"name": "prefers-color-scheme", "value": "dark"}]})
            self.set_width(360)
            self.axe("standard values at 360 px, dark")
            self.assertLessEqual(self.js("return document.documentElement.scrollWidth"), 360)
        finally:
            self.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
            self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})
        # The sweep computes with the solution: vin 12 V gives the 3.3 V asked for.
        Select(self.by_id("sweep-argument")).select_by_value("0")
        self.replace_text(self.by_id("sweep-from"), "12")
        self.replace_text(self.by_id("sweep-to"), "24")
        self.replace_text(self.by_id("sweep-points"), "2")
        self.driver.find_element(By.CSS_SELECTOR, "input[name='steps'][value='linear']").click()
        self.driver.find_element(By.CSS_SELECTOR, "#sweep-form button[type='submit']").click()
        self.assertEqual(self.table(), [["12 V", "3.3 V"], ["24 V", "6.6 V"]])
        # "Use this" puts the standard value in the field, which is a value again.
        self.driver.find_elements(By.CSS_SELECTOR, "#picker-result button.use")[1].click()
        self.assertEqual((r2.get_attribute("value"), r2.get_attribute("readOnly")), ("3.9k", None))
        self.assertFalse(self.driver.find_elements(By.CSS_SELECTOR, "#fields .unknown-toggle")[2].is_selected())
        self.assertEqual(self.result(), self.module("return calc.evaluate('voltage_divider 12 10k\u00b11% 3.9k').eng"))
        self.replace_text(self.by_id("argument-1-tolerance"), "")
        # A forward result in ohms gains the series' nearest value.
        self.choose_formula("resistors_parallel")
        first, second = self.fields()
        self.replace_text(first, "4k7")
        self.replace_text(second, "10k")
        self.assertEqual(self.result(".standard-nearest"), f"Nearest E24 value: 3.3 k{OHM} (+3.21%)")
        # A length's prefix letter is the prefix, and the page says so; the target is read in the result's unit.
        self.load(fragment="#" + quote("wavelength ? 0.66 = 2m", safe=""))
        self.assertEqual(self.by_id("picker-target-reading").get_attribute("textContent"), f"read as 2{NBSP}mm")
        self.choose_formula("characteristic_impedance_coax")
        self.replace_text(self.fields()[2], "2m")
        self.assertEqual(self.by_id("argument-2-reading").get_attribute("textContent"), f"read as 2{NBSP}mm")
        self.replace_text(self.fields()[2], "12A")
        self.assertEqual((self.by_id("argument-2-reading").get_attribute("textContent"), self.fields()[2].get_attribute("aria-invalid")),
                         ("", "true"))

    def test_pairs_as_a_table_whose_row_fills_both_fields(self):
        self.load(fragment="#" + quote("--series E24 voltage_divider 12 ? ? = 3.3", safe=""))
        self.assertEqual(self.standard_rows(), [
            [f"r1 ({OHM})", f"r2 ({OHM})", "Output Voltage (V)", "Deviation", ""],
            [f"24{NBSP}k{OHM}", f"9.1{NBSP}k{OHM}", f"3.29909{NBSP}V", "-0.03%", "Use these"]])
        self.assertEqual([f.get_attribute("value") for f in self.fields()[1:]], [f"= 24{NBSP}k{OHM}", f"= 9.1{NBSP}k{OHM}"])
        button = self.driver.find_element(By.CSS_SELECTOR, "#picker-result button.use")
        self.assertEqual(button.get_attribute("aria-label"), f"Use these: 24{NBSP}k{OHM} for r1 and 9.1{NBSP}k{OHM} for r2")
        button.click()
        self.assertEqual([f.get_attribute("value") for f in self.fields()], ["12", "24k", "9.1k"])
        self.assertEqual(self.result(), "Output Voltage = 3.29909 V")

    def test_permalinks_and_the_refused_cases_answer_as_the_tool(self):
        pages = ["README.md", *(os.path.join("docs", n) for n in os.listdir(os.path.join(ROOT, "docs")) if n.endswith(".md"))]
        permalinks = []
        for page in pages:
            with open(os.path.join(ROOT, page), encoding="utf-8") as text:
                permalinks += [unquote(f) for f in re.findall(r"…/#([^`\s]+)`", text.read())]
        self.assertGreaterEqual(len(permalinks), 3)
        refused = ["rc_lowpass_cutoff 10k ? = 1kHz", "--series E12 rc_lowpass_cutoff 10k ? = 1kHz", "power_vi 12V 500mA",
                   "resonant_frequency_lc 10u ? = 455kHz", "wavelength ? 0.66 = 2m", "voltage_divider 12 10k+-1% 4k7"]
        for command in permalinks + refused:
            self.load(fragment="#" + quote(command, safe=""))
            # The tool's own lines, from the same C++ through the page's module.
            tool = self.module("""const q = calc.parse(args[0]); const series = q.series ?? undefined;
                const plain = calc.compose({ ...q, options: {} }), unknowns = q.values.filter(v => v.unknown).length;
                const a = unknowns === 2 ? calc.pairs(plain, series) : unknowns ? calc.solve(plain, series) : calc.evaluate(plain);
                return [a.line, unknowns === 1 ? calc.solve(plain).eng : a.eng];""", command)
            shown = [self.result(".line samp"), self.result()]
            self.assertEqual(shown, tool, command)
            self.assertNotIn("Error", tool[0], command)
            # The answer is brought into view and spoken.
            self.assertTrue(self.js("const r = document.getElementById('picker-result').getBoundingClientRect();"
                                    " return r.top >= 0 && r.bottom <= innerHeight + 1"), command)
            self.assertEqual(self.by_id("announcer").get_attribute("textContent").split(";")[0].replace(NBSP, " "),
                             tool[1], command)

    # ---- statistics and designs in the picker ----

    def expected_json(self, command):
        """The tool's --json answer for `command` (with --tool), else the page's module's for the same words."""
        if ARGS.tool:
            out = subprocess.run([ARGS.tool, "--json", *shlex.split(command)], capture_output=True, check=False)
            return json.loads(out.stdout.decode("utf-8"))
        return self.module("return calc.monteCarlo(args[0], { samples: 0 })", command)

    @staticmethod
    def ppm(value):
        return f"{value:,.2f}".rstrip("0").rstrip(".")

    def figures(self):
        return dict(self.js("return [...document.querySelectorAll('#picker-result .figures dt')]"
                            ".map(dt => [dt.textContent, dt.nextElementSibling.textContent])"))

    def test_statistics_histogram_figures_address_and_exports(self):
        command = "--mc 30000 --seed 7 --distribution normal voltage_divider 12\u00b11% 10k\u00b11% 4k7\u00b11% = 3.84\u00b11%"
        self.load(fragment="#" + quote(command, safe=""))
        self.assertEqual([self.by_id(i).get_attribute("value") for i in ("picker-target", "picker-samples", "picker-seed")],
                         ["3.84\u00b11%", "30000", "7"])
        self.assertEqual((self.by_id("picker-mc").is_selected(), self.by_id("picker-distribution").get_attribute("value")),
                         (True, "normal"))
        expected = self.expected_json(command)
        self.assertEqual((expected["samples"], expected["seed"], expected["distribution"]), (30000, "7", "normal"))
        self.assertTrue(0.1 < expected["yield"] < 0.99, expected["yield"])
        fmt = lambda v: self.module("return calc.format(args[0], 'V')", v).replace(" ", NBSP)
        figures = self.figures()
        self.assertEqual(figures["Yield"], f"{expected['yield'] * 100:.4f}{NBSP}% ({self.ppm(expected['ppm'])} ppm outside)")
        self.assertEqual(figures["Cpk"], f"{expected['cpk']:.3f}")
        self.assertEqual(figures["Mean"], fmt(expected["mean"]))
        self.assertEqual(figures["Worst case"], f"{fmt(expected['worst']['min'])} .. {fmt(expected['worst']['max'])}")
        self.assertEqual([figures[f"{p['percent']:g}{NBSP}% percentile"] for p in expected["percentiles"]],
                         [fmt(p["value"]) for p in expected["percentiles"]])
        self.assertEqual(self.js("return [...document.querySelectorAll('#picker-result .contributions tbody th')].map(t => t.textContent)"),
                         [c["argument"] for c in expected["contributions"]])
        # The drawing: one bar per bin that holds samples, the window and the worst case marked, described.
        drawing = self.js("""const svg = document.querySelector('#picker-result svg.histogram');
            return [svg.querySelectorAll('.bars rect').length, svg.querySelectorAll('.window').length,
                    svg.querySelectorAll('.worst').length, svg.getAttribute('role'),
                    document.getElementById(svg.getAttribute('aria-labelledby')).textContent];""")
        self.assertEqual(drawing[:4], [sum(1 for c in expected["histogram"]["counts"] if c), 1, 2, "img"])
        self.assertIn(f"Histogram of 30,000 samples of Output Voltage (normal, seed 7) in {len(expected['histogram']['counts'])} bins",
                      drawing[4])
        # Each bar as tall as its count over the tallest and at least 1/64 of it, as the tool draws it.
        heights = self.js("return [...document.querySelectorAll('#picker-result svg.histogram .bars rect')].map(r => r.height.baseVal.value)")
        counts = expected["histogram"]["counts"]
        rule = [max(c / max(counts), 1 / 64) for c in counts if c]
        self.assertLess(max(abs(h / max(heights) - r) for h, r in zip(heights, rule)), 1e-5, heights)
        # The address is the canonical command; the seed changed is in it, and in the figures.
        canonical = self.module("return calc.compose(calc.parse(args[0]))", command)
        self.assertEqual(unquote(self.js("return location.hash")[1:]), canonical)
        height = self.js("return document.querySelector('#picker-result .histogram-box').getBoundingClientRect().height")
        self.replace_text(self.by_id("picker-seed"), "8")
        # Drawn again in the same room; still the page's one live region.
        self.assertEqual(self.js("return document.querySelector('#picker-result .histogram-box').getBoundingClientRect().height"), height)
        self.assertEqual(self.js(f"return [...document.querySelectorAll('{LIVE_REGIONS}')].map(e => e.id)"), ["announcer"])
        again = self.expected_json(canonical.replace("--seed 7", "--seed 8"))
        self.assertEqual(self.figures()["Yield"], f"{again['yield'] * 100:.4f}{NBSP}% ({self.ppm(again['ppm'])} ppm outside)")
        self.assertIn("--seed 8", unquote(self.js("return location.hash")))
        # The histogram as CSV (bins from the module) and as an SVG file of its own.
        self.driver.find_elements(By.CSS_SELECTOR, "#picker-result .exports button")[0].click()
        rows = list(csv.reader(io.StringIO(self.downloaded("voltage_divider-histogram.csv").decode("utf-8"))))
        self.assertEqual(rows[0], ["Output Voltage from (V)", "Output Voltage to (V)", "samples"])
        edges, counts = again["histogram"]["edges"], again["histogram"]["counts"]
        self.assertEqual([[float(a), float(b), int(c)] for a, b, c in rows[1:]],
                         [[edges[i], edges[i + 1], c] for i, c in enumerate(counts)])
        self.driver.find_elements(By.CSS_SELECTOR, "#picker-result .exports button")[1].click()
        picture = self.downloaded("voltage_divider-histogram.svg").decode("utf-8")
        self.assertIn('xmlns="http://www.w3.org/2000/svg"', picture)
        self.assertEqual(picture.count("<rect") - 2, sum(1 for c in counts if c))  # the background and the window
        self.assertNotIn("var(--", picture)
        self.axe("statistics with a histogram")
        try:
            self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                        {"features": [{"name": "prefers-color-scheme", "value": "dark"}]})
            self.set_width(360)
            self.axe("statistics at 360 px, dark")
            self.assertLessEqual(self.js("return document.documentElement.scrollWidth"), 360)
            os.makedirs(ARGS.screenshots, exist_ok=True)
            self.screenshot(360, os.path.join(ARGS.screenshots, "statistics-360-dark.png"))
        finally:
            self.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
            self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})
        # Samples the grammar refuses are marked with its words; no figures are shown.
        self.replace_text(self.by_id("picker-samples"), "0")
        self.assertEqual(self.by_id("picker-samples").get_attribute("aria-invalid"), "true")
        self.assertIn("--mc", self.by_id("picker-samples-problem").text)
        self.assertEqual(self.figures(), {})
        # Without samples, the window's verdict and the shares; no drawing.
        self.by_id("picker-mc").click()
        self.assertEqual(self.js("return document.querySelectorAll('#picker-result svg').length"), 0)
        self.assertEqual(self.result(), self.module("return calc.monteCarlo(args[0], { samples: 0 }).eng",
                                                    "voltage_divider 12\u00b11% 10k\u00b11% 4k7\u00b11% = 3.84\u00b11%"))
        self.assertEqual(unquote(self.js("return location.hash")[1:]), "voltage_divider 12\u00b11% 10k\u00b11% 4k7\u00b11% = 3.84\u00b11%")

    def design_rows(self):
        return self.js("return [...document.querySelectorAll('#picker-result .standard tbody tr')]"
                       ".map(tr => [...tr.cells].map(c => c.textContent.replaceAll('\u00a0', ' ')))")

    def test_design_candidates_sorted_drawn_and_kept_in_the_address(self):
        command = "--series E96 --mc 20000 --top 3 voltage_divider 12\u00b11% ? ? = 3.3\u00b13%"
        self.load(fragment="#" + quote(command, safe=""))
        expected = self.module("return calc.design(args[0])", command)
        if ARGS.tool:
            out = subprocess.run([ARGS.tool, "--json", *shlex.split(command)], capture_output=True, check=False)
            self.assertEqual(json.loads(out.stdout.decode("utf-8")), expected)
        fmt = lambda v, unit: self.module("return calc.format(args[0], args[1])", v, unit)
        rows = self.design_rows()
        self.assertEqual(len(rows), 3)
        self.assertTrue(any(c["also"] for c in expected["candidates"]))  # so that the Also column is shown
        for row, candidate in zip(rows, expected["candidates"]):
            self.assertEqual(row[:3], [fmt(candidate["values"][0], OHM), fmt(candidate["values"][1], OHM),
                                       fmt(candidate["nominal"], "V")])
            self.assertEqual(row[4], f"{fmt(candidate['min'], 'V')} .. {fmt(candidate['max'], 'V')}")
            also = ", ".join(" with ".join(fmt(v, OHM) for v in values) for values in candidate["also"])
            self.assertEqual(row[5:8], [f"{candidate['margin'] * 100:.2f}%", also, f"{candidate['yield'] * 100:.4f}%"])
        # Each row's worst case drawn against the window, and its own samples' histogram.
        self.assertEqual(self.js("return [...document.querySelectorAll('#picker-result tbody tr')]"
                                 ".map(tr => [tr.querySelectorAll('svg.range-bar').length, tr.querySelectorAll('svg.histogram.compact').length])"),
                         [[1, 1]] * 3)
        first = expected["candidates"][0]["values"]
        bars = self.module("""const c = calc.monteCarlo(`--mc 20000 voltage_divider 12\u00b11% ${args[0]}\u00b11% ${args[1]}\u00b11% = 3.3\u00b13%`);
                              return c.histogram.counts.filter(n => n > 0).length;""", *first)
        self.assertEqual(self.js("return document.querySelectorAll('#picker-result tbody tr:first-child svg.histogram .bars rect').length"), bars)
        # Sorted by a column, up and down in turn.
        header = self.driver.find_elements(By.CSS_SELECTOR, "#picker-result .standard th button.sort")[0]
        for order in ("ascending", "descending"):
            header.click()
            keys = self.js("return [...document.querySelectorAll('#picker-result tbody tr')].map(tr => Number(tr.cells[0].dataset.sort))")
            self.assertEqual(keys, sorted(keys, reverse=order == "descending"), order)
            self.assertEqual(header.find_element(By.XPATH, "..").get_attribute("aria-sort"), order)
        # The address is the question; an option typed is kept in it, one that does not read is marked.
        self.assertEqual(unquote(self.js("return location.hash")[1:]), self.module("return calc.compose(calc.parse(args[0]))", command))
        self.replace_text(self.by_id("design-top"), "2")
        self.assertEqual(len(self.design_rows()), 2)
        self.assertIn("--top 2", unquote(self.js("return location.hash")))
        self.axe("a design with its candidates")
        try:
            self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                        {"features": [{"name": "prefers-color-scheme", "value": "dark"}]})
            self.set_width(360)
            self.axe("a design at 360 px, dark")
            self.assertLessEqual(self.js("return document.documentElement.scrollWidth"), 360)
        finally:
            self.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
            self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})
        self.replace_text(self.by_id("design-top"), "0")
        self.assertEqual(self.by_id("design-top").get_attribute("aria-invalid"), "true")
        self.assertIn("--top", self.by_id("design-top-problem").text)
        self.replace_text(self.by_id("design-top"), "")
        # "Use these" fills both fields with the candidate's values.
        self.driver.find_elements(By.CSS_SELECTOR, "#picker-result button.use")[0].click()
        self.assertEqual([f.get_attribute("value") for f in self.fields()[1:]], ["1.37k", "523"])
        # Per kind, as the tool takes it; no candidate passes: the error line and what would make one pass.
        command = "--series R=E24,C=E12 --tolerance R=1% rc_lowpass_cutoff ? ? = 1kHz\u00b110%"
        self.load(fragment="#" + quote(command, safe=""))
        self.assertEqual([self.by_id(f"design-{n}").get_attribute("value") for n in ("series", "tolerance")], ["R=E24,C=E12", "R=1%"])
        expected = self.module("return calc.design(args[0])", command)
        self.assertEqual(self.result(".error"), expected["eng"])
        self.assertIn(expected["hints"][0], self.by_id("picker-result").text)
        self.assertEqual(unquote(self.js("return location.hash")[1:]), self.module("return calc.compose(calc.parse(args[0]))", command))
        self.axe("a design with no candidate")

    def test_one_announcement_per_answer(self):
        self.load()
        # Every change to a live region is counted from here on.
        self.js(f"""window.spoken = [];
            for (const region of document.querySelectorAll('{LIVE_REGIONS}'))
                new MutationObserver(() => window.spoken.push([region.id, region.textContent]))
                    .observe(region, {{ childList: true, characterData: true, subtree: true }});""")
        spoken = lambda: self.js("const s = window.spoken; window.spoken = [];"
                                 " return s.map(([id, text]) => [id, text.replaceAll('\\u00a0', ' ')])")
        wait_spoken = lambda: WebDriverWait(self.driver, WAIT_SECONDS).until(lambda d: d.execute_script("return window.spoken.length"))
        # Typing in the picker: one announcement once typing pauses, however many keys.
        self.replace_text(self.fields()[0], "2k")
        wait_spoken()
        time.sleep(1)
        self.assertEqual(spoken(), [["announcer", f"Capacitive Reactance = 795.775 {OHM}"]])
        # A command: its answer once, with the engineering reading of a question's answer too.
        entry = self.type_command("voltage_divider 12 10k ? = 3.3")
        self.assertEqual(entry.find_element(By.CSS_SELECTOR, ".eng").text, f"r2 = 3.7931 k{OHM}")
        wait_spoken()
        self.assertEqual(spoken(), [["announcer", f"r2 = 3.7931 k{OHM}"]])
        # The same command again is spoken again.
        self.type_command("voltage_divider 12 10k ? = 3.3")
        wait_spoken()
        self.assertEqual(len(spoken()), 1)
        # A sweep asked for: its caption, once.
        caption = self.sweep("capacitor_reactance", 0, "10", "1k", 3)
        time.sleep(1)
        said = spoken()
        self.assertEqual([r for r in said if r[1] == caption.replace(NBSP, " ")], [["announcer", said[-1][1]]])
        # A permalink's answer, spoken as the page opens.
        self.load(fragment="#" + quote("power_vi 12V 500mA", safe=""))
        self.assertEqual(self.by_id("announcer").get_attribute("textContent"), "Power = 6 W")
        self.assertEqual(self.js(f"return [...document.querySelectorAll('{LIVE_REGIONS}')].map(e => e.id)"), ["announcer"])

    # ---- the sweep ----

    def test_sweep_plots_tabulates_and_exports_the_modules_values(self):
        self.choose_formula("capacitor_reactance")
        self.replace_text(self.fields()[1], "100n")
        caption = self.sweep("capacitor_reactance", 0, "10", "100k", 150)
        self.assertIn("150 points", caption)
        self.assertIn("logarithmic result axis", caption)  # four decades of results
        rows = self.table()
        self.assertEqual(len(rows), 150)
        self.assertEqual(rows[0], ["10 Hz", f"159.155 k{OHM}"])
        self.assertEqual(rows[-1], ["100 kHz", f"15.9155 {OHM}"])
        self.by_id("sweep-csv").click()
        table = list(csv.reader(io.StringIO(self.downloaded("capacitor_reactance-sweep.csv").decode("utf-8"))))
        self.assertEqual(table[0], ["frequency (Hz)", f"Capacitive Reactance ({OHM})"])
        xs = [row[0] for row in table[1:]]
        expected = self.module("return args[0].map(x => calc.value(`capacitor_reactance ${x} 100n`))", xs)
        self.assertEqual([float(row[1]) for row in table[1:]], expected)
        self.assertEqual((float(xs[0]), float(xs[-1])), (10.0, 100000.0))
        # The line is drawn: pixels of the plot's colour on the canvas.
        drawn = self.js("""
            const canvas = document.querySelector('#plot canvas');
            const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
            const probe = document.createElement('canvas').getContext('2d');
            probe.fillStyle = getComputedStyle(document.documentElement).getPropertyValue('--plot-line').trim();
            probe.fillRect(0, 0, 1, 1);
            const [r, g, b] = probe.getImageData(0, 0, 1, 1).data;
            let count = 0;
            for (let i = 0; i < pixels.length; i += 4)
                if (Math.abs(pixels[i] - r) < 8 && Math.abs(pixels[i + 1] - g) < 8 && Math.abs(pixels[i + 2] - b) < 8) ++count;
            return count;""")
        self.assertGreater(drawn, 300)
        # The legend names the curve; a click on it hides nothing.
        ActionChains(self.driver).click(self.driver.find_elements(By.CSS_SELECTOR, "#plot .u-legend .u-series")[1]).perform()
        self.assertEqual(self.driver.find_elements(By.CSS_SELECTOR, "#plot .u-legend .u-off"), [])
        # The plot follows the formula's other value as it is typed.
        self.replace_text(self.fields()[1], "1u")
        self.assertEqual(self.table()[0], ["10 Hz", f"15.9155 k{OHM}"])
        self.axe("a sweep with its table open")

    def test_the_sweep_plots_the_value_needed(self):
        self.load(fragment="#" + quote("voltage_divider 12 10k ? = 3.3", safe=""))
        Select(self.by_id("sweep-argument")).select_by_value("0")
        self.assertTrue(self.by_id("sweep-required-field").is_displayed())
        self.by_id("sweep-required").click()
        caption = self.sweep("voltage_divider", 0, "3", "12", 3, "linear")
        self.assertIn("the r2 that gives the result wanted at each point", caption)
        self.assertIn("no r2 gives it at 1 point", caption)
        self.assertEqual(self.by_id("points-y").get_attribute("textContent"), f"r2 needed ({OHM})")
        # Each point is the module's own solve at that vin; at 3 V nothing reaches 3.3 V.
        expected = self.module("return [3, 7.5, 12].map(v => { const s = calc.solve(`voltage_divider ${v} 10k ? = 3.3`);"
                               " return [calc.format(v, 'V'), s.kind === 'solve' ? calc.format(s.solutions[0], '\u03a9') : '\u2013']; })")
        self.assertEqual(self.table(), expected)
        self.by_id("sweep-required").click()
        self.assertEqual(self.by_id("points-y").get_attribute("textContent"), "Output Voltage (V)")

    def test_sweep_ranges_guards_and_poles(self):
        self.choose_formula("ohms_current")
        cases = [  # keyword, varied, from, to, points, steps, caption words, first row, last row
            ("capacitor_reactance", 0, "100k", "10", 5, "log", ["logarithmic result axis"],
             ["100 kHz", f"15.9155 {OHM}"], ["10 Hz", f"159.155 k{OHM}"]),
            ("capacitor_reactance", 0, "0", "1k", 11, "linear", ["no result at 1 point, where the formula divides by zero"],
             ["0 Hz", "no result: divides by zero"], ["1 kHz", f"1.59155 k{OHM}"]),
            ("ohms_current", 1, "-10", "10", 10, "linear", ["broken at 1 pole", "linear result axis"],
             [f"-10 {OHM}", "-1.2 A"], [f"10 {OHM}", "1.2 A"]),
            ("ohms_voltage", 0, "1", "2", 3, "linear", ["linear result axis"], ["1 A", "1 kV"], ["2 A", "2 kV"]),
        ]
        for keyword, vary, start, end, points, steps, words, first, last in cases:
            caption = self.sweep(keyword, vary, start, end, points, steps)
            for word in words:
                self.assertIn(word, caption, keyword)
            rows = self.table()
            self.assertEqual((len(rows), rows[0], rows[-1]), (points, first, last), keyword)
        # Descending: the cursor at the left end reads the lowest frequency and its result.
        self.sweep("capacitor_reactance", 0, "100k", "10", 5)
        over = self.driver.find_element(By.CSS_SELECTOR, "#plot .u-over")
        ActionChains(self.driver).move_to_element_with_offset(over, -over.size["width"] // 2 + 1, 0).perform()
        legend = self.js("return [...document.querySelectorAll('#plot .u-legend .u-value')].map(e => e.textContent)")
        self.assertEqual(legend, ["10 Hz", f"159.155 k{OHM}"])
        # An empty range and a logarithmic one through zero are refused, with a word.
        caption = self.sweep("ohms_current", 0, "5", "5", 10, "linear")
        self.assertEqual(caption, "From and To are equal: there is no range to plot.")
        self.assertEqual(self.by_id("sweep-to").get_attribute("aria-invalid"), "true")
        self.assertEqual(self.table(), [])
        self.sweep("ohms_current", 0, "0", "5", 10, "log")
        self.assertEqual(self.by_id("sweep-from").get_attribute("aria-invalid"), "true")
        self.assertIn("above zero", self.by_id("sweep-from-problem").text)
        # Tolerances on the other values: the worst case drawn and exported beside each point.
        self.choose_formula("capacitor_reactance")
        self.replace_text(self.fields()[1], "100n")
        self.replace_text(self.by_id("argument-1-tolerance"), "10")
        caption = self.sweep("capacitor_reactance", 0, "100", "1k", 3, "linear")
        self.assertIn("dashed: the lowest and highest results within the tolerances", caption)
        self.by_id("sweep-csv").click()
        table = list(csv.reader(io.StringIO(self.downloaded("capacitor_reactance-sweep.csv").decode("utf-8"))))
        self.assertEqual(table[0], ["frequency (Hz)", f"Capacitive Reactance ({OHM})", f"lowest ({OHM})", f"highest ({OHM})"])
        expected = self.module("return args[0].map(x => { const r = calc.range(`capacitor_reactance ${x} 100n\u00b110%`);"
                               " return [calc.value(`capacitor_reactance ${x} 100n`), r.min, r.max]; })",
                               [row[0] for row in table[1:]])
        self.assertEqual([[float(v) for v in row[1:]] for row in table[1:]], expected)
        self.assertEqual([row[0] for row in table[1:]], ["100", "550", "1000"])
        # Hand check of the first row: 1/(2π·100·C) for C = 100n ± 10 %.
        self.assertAlmostEqual(float(table[1][2]), 1 / (6.28318530718 * 100 * 110e-9), delta=1e-9)
        self.replace_text(self.by_id("argument-1-tolerance"), "")

    # ---- the module in the page ----

    def test_vectors_through_the_pages_module(self):
        vectors = []
        for name in ("commands.tsv", "formulas.tsv", "table_conversion.tsv"):
            vectors += load_vectors(os.path.join(ROOT, "tests/vectors", name), 1000)
        if ARGS.random_vectors:
            vectors += load_vectors(ARGS.random_vectors, 200)
        self.assertGreater(len(vectors), 300)
        # As JSON text with \u escapes: some commands hold lone surrogates.
        commands = json.dumps([c for c, _ in vectors], ensure_ascii=True)
        lines = self.module("return JSON.parse(args[0]).map(c => calc.line(c))", commands)
        wrong = [(c, got, want) for (c, want), got in zip(vectors, lines) if got != want]
        print(f"\n{len(vectors) - len(wrong)} of {len(vectors)} vectors exact in the browser", file=sys.stderr)
        self.assertEqual(wrong[:10], [])

    # ---- accessibility and looks ----

    def test_keyboard_labels_and_axe_in_every_state(self):
        self.load()
        self.axe("initial")
        body = self.driver.find_element(By.TAG_NAME, "body")
        body.send_keys(Keys.TAB)
        self.assertEqual(self.js("return document.activeElement.className"), "skip")
        self.driver.switch_to.active_element.send_keys(Keys.ENTER)
        self.assertEqual(self.js("return document.activeElement.id"), "command")
        self.driver.switch_to.active_element.send_keys("power_vi 2 3", Keys.ENTER)
        self.assertEqual(self.driver.find_elements(By.CSS_SELECTOR, "#log .eng")[-1].text, "Power = 6 W")
        for command in ("capacitor_reactance 1k 100n", "capacitor_reactance 0 100n", "ohms_curent 12 1k"):
            self.type_command(command)
        self.axe("after commands")
        self.assertGreaterEqual(self.field_border_contrast(), 3.0, "light")
        try:
            self.set_width(360)
            self.type_command("help")
            self.axe("help at 360 px")
            self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                        {"features": [{"name": "prefers-color-scheme", "value": "dark"}]})
            self.axe("dark")
            self.assertGreaterEqual(self.field_border_contrast(), 3.0, "dark")
            # At 360 px the picker comes before the command line.
            self.assertLess(self.by_id("picker-title").location["y"], self.by_id("terminal-title").location["y"])
        finally:
            self.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
            self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})

    def test_screenshots_at_phone_and_desktop_width_and_in_print(self):
        os.makedirs(ARGS.screenshots, exist_ok=True)
        for command in ("clear", "capacitor_reactance 1k 100n", "resistors_parallel 4k7 10k", "ohms_curent 12 1k"):
            self.type_command(command)
        try:
            for scheme in ("light", "dark"):
                self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                            {"features": [{"name": "prefers-color-scheme", "value": scheme}]})
                for width in (360, 1280):
                    self.screenshot(width, os.path.join(ARGS.screenshots, f"page-{width}-{scheme}.png"))
                    overflow = self.js("return document.documentElement.scrollWidth")
                    self.assertLessEqual(overflow, width, f"horizontal scrolling at {width} px")
            self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": "print", "features": []})
            hidden = self.js("return ['command-form', 'sweep-form'].map(id => getComputedStyle(document.getElementById(id)).display)")
            self.assertEqual(hidden, ["none", "none"])
            self.assertEqual(self.js("return getComputedStyle(document.getElementById('log')).overflowY"), "visible")
            pdf = self.driver.execute_cdp_cmd("Page.printToPDF", {"paperWidth": 8.27, "paperHeight": 11.69})
            with open(os.path.join(ARGS.screenshots, "page-print.pdf"), "wb") as out:
                out.write(base64.b64decode(pdf["data"]))
        finally:
            self.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
            self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": "", "features": []})

    def field_border_contrast(self):
        """The contrast of a text field's border against the card it sits on (WCAG 1.4.11)."""
        return self.js("""
            const rgb = (c) => c.match(/\\d+(\\.\\d+)?/g).slice(0, 3).map(Number);
            const luminance = (c) => {
                const [r, g, b] = rgb(c).map(v => v / 255).map(v => v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4);
                return 0.2126 * r + 0.7152 * g + 0.0722 * b;
            };
            const field = document.getElementById('command');
            const [a, b] = [luminance(getComputedStyle(field).borderTopColor),
                            luminance(getComputedStyle(field.closest('.card')).backgroundColor)];
            return (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05);""")

    def set_width(self, width):
        metrics = {"width": width, "height": 900, "deviceScaleFactor": 1, "mobile": width < 600}
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", metrics)
        self.js("window.dispatchEvent(new Event('resize'))")

    def screenshot(self, width, path):
        self.set_width(width)
        WebDriverWait(self.driver, WAIT_SECONDS).until(
            lambda d: abs(d.execute_script("return document.querySelector('#plot canvas')?.width ?? 0")
                          - d.execute_script("return document.getElementById('plot').clientWidth")) < 2)
        height = self.js("return document.documentElement.scrollHeight")
        shot = self.driver.execute_cdp_cmd("Page.captureScreenshot", {
            "format": "png", "captureBeyondViewport": True,
            "clip": {"x": 0, "y": 0, "width": width, "height": height, "scale": 1}})
        with open(path, "wb") as out:
            out.write(base64.b64decode(shot["data"]))


def main():
    global ARGS
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--site", required=True)
    parser.add_argument("--screenshots", required=True)
    parser.add_argument("--axe", required=True, help="axe.min.js of axe-core, from the page's lock file")
    parser.add_argument("--random-vectors")
    parser.add_argument("--tool", help="a native zorvane-calc whose --json answers the page's figures are compared with")
    parser.add_argument("--chromium", default="/usr/bin/chromium")
    parser.add_argument("--chromedriver", default="/usr/bin/chromedriver")
    ARGS, rest = parser.parse_known_args()
    result = unittest.main(argv=[sys.argv[0], "-v", *rest], exit=False).result
    failed = len(result.failures) + len(result.errors)
    print(f"{result.testsRun - failed} passed, {failed} failed")
    return 1 if failed or not result.testsRun else 0


if __name__ == "__main__":
    sys.exit(main())
