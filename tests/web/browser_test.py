#!/usr/bin/python3
"""The web calculator in a real browser: headless Chromium driven by Selenium
against the site served on 127.0.0.1 by a server this test starts and stops.

    /usr/bin/python3 tests/web/browser_test.py --site build/wasm/site \
        --screenshots build/wasm/web/screenshots [--random-vectors FILE]

Types commands and checks the lines shown, uses the formula picker, draws a
sweep, runs vectors through the page's own module, downloads the reference,
saves screenshots at 360 px and 1280 px, and finally stops the server and
reloads to prove the page works offline.
"""
import argparse
import base64
import functools
import http.server
import json
import os
import socket
import sys
import tempfile
import threading
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--disable-dev-shm-usage", "--window-size=1280,900"]
WAIT_SECONDS = 15
ARGS = None


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".mjs": "text/javascript", ".js": "text/javascript", ".wasm": "application/wasm",
                      ".webmanifest": "application/manifest+json", ".svg": "image/svg+xml"}

    def log_message(self, *args):
        pass


class Site:
    """The site on a free port of 127.0.0.1, until stop()."""

    def __init__(self, directory):
        handler = functools.partial(QuietHandler, directory=directory)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.port = self.server.server_address[1]
        self.url = f"http://127.0.0.1:{self.port}/"
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()
        self.thread.join()

    def is_up(self):
        with socket.socket() as probe:
            return probe.connect_ex(("127.0.0.1", self.port)) == 0


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
        options = webdriver.ChromeOptions()
        options.binary_location = ARGS.chromium
        for flag in CHROMIUM_FLAGS + [f"--user-data-dir={cls.profile.name}"]:
            options.add_argument(flag)
        cls.driver = webdriver.Chrome(service=Service(ARGS.chromedriver), options=options)
        cls.driver.set_script_timeout(60)
        cls.load()

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        if cls.site.is_up():
            cls.site.stop()
        cls.profile.cleanup()

    @classmethod
    def load(cls):
        cls.driver.get(cls.site.url)
        WebDriverWait(cls.driver, WAIT_SECONDS).until(
            lambda d: d.execute_script("return document.documentElement.dataset.ready === 'true'"))

    # ---- helpers ----

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def by_id(self, id_):
        return self.driver.find_element(By.ID, id_)

    def type_command(self, command):
        field = self.by_id("command")
        field.send_keys(command, Keys.ENTER)
        entries = self.driver.find_elements(By.CSS_SELECTOR, "#log > li")
        return entries[-1] if entries else None

    def replace_text(self, element, text):
        element.send_keys(Keys.CONTROL, "a")
        element.send_keys(Keys.DELETE)
        element.send_keys(text)

    def choose_formula(self, keyword):
        category = self.js("return zorvaneCalculator.formulas.find(f => f.keyword === arguments[0]).category", keyword)
        Select(self.by_id("category")).select_by_visible_text(category)
        Select(self.by_id("formula")).select_by_value(keyword)

    # ---- the checks ----

    def test_command_line_shows_module_line_and_engineering_reading(self):
        cases = [
            ("power_vi 12 0.5", "Power = 6.000000 W", "Power = 6 W"),
            ("capacitor_time_constant_rc 1k 100p", "RC Time Constant = 0.000000 s", "RC Time Constant = 100 ns"),
            ("capacitor_reactance 1k 1u", "Capacitive Reactance = 159.154943 ?", "Capacitive Reactance = 159.155 \u03a9"),
        ]
        for command, line, eng in cases:
            entry = self.type_command(command)
            self.assertIn("result", entry.get_attribute("class"))
            self.assertEqual(entry.find_element(By.CSS_SELECTOR, ".line").text, line)
            self.assertEqual(entry.find_element(By.CSS_SELECTOR, ".eng").text, eng)

    def test_errors_are_shown_as_errors_with_hints(self):
        cases = [
            ("ohms_curent 12 1k", "Error: Unknown formula 'ohms_curent' or insufficient parameters", "ohms_current"),
            ("ohms_current 12", "Error: Unknown formula 'ohms_current' or insufficient parameters", "<voltage> <resistance>"),
            ("ohms_current 1,5 1k", "Error: Invalid number '1,5'", "1.5"),
        ]
        for command, line, hint in cases:
            entry = self.type_command(command)
            self.assertIn("error", entry.get_attribute("class"))
            self.assertEqual(entry.find_element(By.CSS_SELECTOR, ".line").text, line)
            self.assertEqual(entry.find_elements(By.CSS_SELECTOR, ".eng"), [])
            self.assertIn(hint, entry.find_element(By.CSS_SELECTOR, ".hints").text)

    def test_history_recalls_commands_with_up_and_down(self):
        for command in ("power_vi 1 2", "power_vi 3 4"):
            self.type_command(command)
        field = self.by_id("command")
        field.send_keys("draft")
        field.send_keys(Keys.ARROW_UP)
        self.assertEqual(field.get_attribute("value"), "power_vi 3 4")
        field.send_keys(Keys.ARROW_UP)
        self.assertEqual(field.get_attribute("value"), "power_vi 1 2")
        field.send_keys(Keys.ARROW_DOWN, Keys.ARROW_DOWN)
        self.assertEqual(field.get_attribute("value"), "draft")
        self.replace_text(field, "")

    def test_help_and_reference_download(self):
        self.assertIn("Sample commands:", self.type_command("HELP").text)
        self.assertIn("- Calculate current (I = V / R)", self.type_command(" Help OHMS_CURRENT").text)
        self.assertIn("result", self.type_command("Quit").get_attribute("class"))
        unknown = self.type_command("help ohms_curent")
        self.assertIn("error", unknown.get_attribute("class"))
        self.assertEqual(unknown.find_element(By.CSS_SELECTOR, ".line").text,
                         "Error: Unknown formula 'ohms_curent' or insufficient parameters")
        self.assertIn("did you mean ohms_current?", unknown.text)
        entry = self.type_command(" /HELP")
        self.assertEqual(entry.find_element(By.CSS_SELECTOR, ".line").text,
                         "Help file 'electronics_formulas.txt' created successfully!")
        link = entry.find_element(By.CSS_SELECTOR, "a[download]")
        self.assertEqual(link.get_attribute("download"), "electronics_formulas.txt")
        encoded = self.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            fetch(arguments[0]).then(r => r.arrayBuffer()).then(b => {
                let s = ""; for (const x of new Uint8Array(b)) s += String.fromCharCode(x); done(btoa(s)); });
        """, link.get_attribute("href"))
        with open(os.path.join(ROOT, "tests/golden/electronics_formulas.txt"), "rb") as golden:
            self.assertEqual(base64.b64decode(encoded), golden.read())

    def test_picker_updates_live_and_marks_invalid_fields(self):
        self.choose_formula("resistors_parallel")
        first, second = self.driver.find_elements(By.CSS_SELECTOR, "#fields input")
        self.assertEqual(self.by_id(first.get_attribute("aria-describedby")).get_attribute("hidden"), "true")
        self.assertEqual([f.get_attribute("data-argument") for f in (first, second)], ["<r1>", "<r2>"])
        labels = [self.driver.find_element(By.CSS_SELECTOR, f"label[for='{f.get_attribute('id')}']").text
                  for f in (first, second)]
        self.assertEqual(labels, ["r1 (\u03a9)", "r2 (\u03a9)"])
        self.replace_text(first, "4k7")
        self.replace_text(second, "10k")
        result = self.by_id("picker-result")
        self.assertEqual(result.find_element(By.CSS_SELECTOR, ".eng").text, "Parallel Resistance = 3.19728 k\u03a9")
        self.assertEqual(result.find_element(By.CSS_SELECTOR, ".line").text, "Parallel Resistance = 3197.278912 ?")
        self.replace_text(first, "1,5")
        self.assertEqual(first.get_attribute("aria-invalid"), "true")
        problem = self.by_id(first.get_attribute("aria-describedby"))
        self.assertTrue(problem.is_displayed())
        self.assertIn("1.5", problem.text)
        self.assertEqual(second.get_attribute("aria-invalid"), "false")
        self.assertEqual(result.find_elements(By.CSS_SELECTOR, ".eng"), [])
        self.replace_text(first, "2R2")
        self.assertEqual(first.get_attribute("aria-invalid"), "false")
        self.assertEqual(result.find_element(By.CSS_SELECTOR, ".line").text, "Parallel Resistance = 2.199516 ?")

    def test_sweep_plots_every_point(self):
        self.choose_formula("capacitor_reactance")
        fields = self.driver.find_elements(By.CSS_SELECTOR, "#fields input")
        self.replace_text(fields[1], "100n")
        Select(self.by_id("sweep-argument")).select_by_value("0")
        self.replace_text(self.by_id("sweep-from"), "10")
        self.replace_text(self.by_id("sweep-to"), "100k")
        self.replace_text(self.by_id("sweep-points"), "150")
        self.driver.find_element(By.CSS_SELECTOR, "input[name='steps'][value='log']").click()
        self.driver.find_element(By.CSS_SELECTOR, "#sweep-form button[type='submit']").click()
        data = self.js("return zorvaneSweep.plot.plot.data")
        self.assertEqual([len(series) for series in data], [150, 150])
        xs, ys = data
        self.assertEqual((xs[0], xs[-1]), (10, 100000))
        expected = self.js("return arguments[0].map(x => zorvaneCalculator.value(`capacitor_reactance ${x} 100n`))", xs)
        self.assertEqual(ys, expected)
        self.assertTrue(all(a < b for a, b in zip(xs, xs[1:])))
        rows = self.driver.find_elements(By.CSS_SELECTOR, "#points tbody tr")
        self.assertEqual(len(rows), 150)
        self.assertEqual(self.js("return [...document.querySelectorAll('#points tbody tr:first-child td')].map(td => td.textContent)"),
                         ["10 Hz", "159.155 k\u03a9"])
        self.assertEqual(self.by_id("points-y").get_attribute("textContent"), "Capacitive Reactance (\u03a9)")
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
        # Reactance against frequency on logarithmic scales both ways.
        self.by_id("sweep-log-y").click()
        self.driver.find_element(By.CSS_SELECTOR, "#sweep-form button[type='submit']").click()
        self.assertEqual(self.js("const p = zorvaneSweep.plot.plot; return [p.scales.x.distr, p.scales.y.distr]"), [3, 3])
        self.assertEqual(self.js("return zorvaneSweep.plot.plot.data[1]"), ys)
        self.by_id("sweep-log-y").click()
        # The plot follows the formula's other value as it is typed.
        self.replace_text(fields[1], "1u")
        self.assertEqual(self.js("return zorvaneSweep.plot.plot.data[1][0]"),
                         self.js("return zorvaneCalculator.value('capacitor_reactance 10 0.000001')"))

    def test_sweep_refuses_a_logarithmic_range_through_zero(self):
        self.choose_formula("ohms_current")
        self.replace_text(self.by_id("sweep-from"), "0")
        self.driver.find_element(By.CSS_SELECTOR, "input[name='steps'][value='log']").click()
        self.driver.find_element(By.CSS_SELECTOR, "#sweep-form button[type='submit']").click()
        self.assertEqual(self.by_id("sweep-from").get_attribute("aria-invalid"), "true")
        self.assertIn("above zero", self.by_id("sweep-from-problem").text)

    def test_vectors_through_the_pages_module(self):
        vectors = []
        for name in ("commands.tsv", "formulas.tsv", "table_conversion.tsv"):
            vectors += load_vectors(os.path.join(ROOT, "tests/vectors", name), 1000)
        if ARGS.random_vectors:
            vectors += load_vectors(ARGS.random_vectors, 200)
        self.assertGreater(len(vectors), 300)
        # As JSON text with \u escapes: some commands hold lone surrogates.
        commands = json.dumps([c for c, _ in vectors], ensure_ascii=True)
        lines = self.js("return JSON.parse(arguments[0]).map(c => zorvaneCalculator.line(c))", commands)
        wrong = [(c, got, want) for (c, want), got in zip(vectors, lines) if got != want]
        print(f"\n{len(vectors) - len(wrong)} of {len(vectors)} vectors exact in the browser", file=sys.stderr)
        self.assertEqual(wrong[:10], [])

    def test_every_control_is_labelled_and_reachable_by_keyboard(self):
        unlabelled = self.js("""
            return [...document.querySelectorAll('input, select, button, output')]
                .filter(e => !(e.labels && e.labels.length) && !e.getAttribute('aria-label') && !e.textContent.trim()
                             && e.type !== 'radio' && e.tagName !== 'OUTPUT')
                .map(e => e.id || e.outerHTML);""")
        self.assertEqual(unlabelled, [])
        self.load()  # focus navigation starts at the top of a fresh page
        body = self.driver.find_element(By.TAG_NAME, "body")
        body.send_keys(Keys.TAB)
        self.assertEqual(self.js("return document.activeElement.className"), "skip")
        self.driver.switch_to.active_element.send_keys(Keys.ENTER)
        self.assertEqual(self.js("return document.activeElement.id"), "command")
        self.driver.switch_to.active_element.send_keys("power_vi 2 3", Keys.ENTER)
        self.assertEqual(self.driver.find_elements(By.CSS_SELECTOR, "#log .eng")[-1].text, "Power = 6 W")

    def test_screenshots_at_phone_and_desktop_width(self):
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
        finally:
            self.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
            self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})

    def screenshot(self, width, path):
        metrics = {"width": width, "height": 900, "deviceScaleFactor": 1, "mobile": width < 600}
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", metrics)
        self.js("window.dispatchEvent(new Event('resize'))")
        WebDriverWait(self.driver, WAIT_SECONDS).until(
            lambda d: abs(d.execute_script("return document.querySelector('#plot canvas')?.width ?? 0")
                          - d.execute_script("return document.getElementById('plot').clientWidth")) < 2)
        height = self.js("return document.documentElement.scrollHeight")
        shot = self.driver.execute_cdp_cmd("Page.captureScreenshot", {
            "format": "png", "captureBeyondViewport": True,
            "clip": {"x": 0, "y": 0, "width": width, "height": height, "scale": 1}})
        with open(path, "wb") as out:
            out.write(base64.b64decode(shot["data"]))

    def test_zz_works_offline_after_the_first_visit(self):
        # The service worker has cached the site and controls the page.
        self.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            navigator.serviceWorker.ready.then(() => {
                const wait = () => navigator.serviceWorker.controller ? done(true) : setTimeout(wait, 50);
                wait();
            });""")
        self.site.stop()
        self.assertFalse(self.site.is_up())
        self.load()
        entry = self.type_command("power_vi 12 0.5")
        self.assertEqual(entry.find_element(By.CSS_SELECTOR, ".line").text, "Power = 6.000000 W")
        self.assertEqual(entry.find_element(By.CSS_SELECTOR, ".eng").text, "Power = 6 W")


def main():
    global ARGS
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--site", required=True)
    parser.add_argument("--screenshots", required=True)
    parser.add_argument("--random-vectors")
    parser.add_argument("--chromium", default="/usr/bin/chromium")
    parser.add_argument("--chromedriver", default="/usr/bin/chromedriver")
    ARGS, rest = parser.parse_known_args()
    result = unittest.main(argv=[sys.argv[0], "-v", *rest], exit=False).result
    failed = len(result.failures) + len(result.errors)
    print(f"{result.testsRun - failed} passed, {failed} failed")
    return 1 if failed or not result.testsRun else 0


if __name__ == "__main__":
    sys.exit(main())
