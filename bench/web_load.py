#!/usr/bin/python3
"""Load-to-first-answer time of the web calculator in headless Chromium.

    /usr/bin/python3 bench/web_load.py [--site build/wasm/site] [--runs 7]

Serves the site on 127.0.0.1, opens it in a fresh browser profile (a first
visit: nothing cached) and once more from the same profile (a return visit:
the service worker answers), and reports, from the start of navigation, when
the page first painted (the first formula's answer comes with the HTML),
when the module was ready and when the first command was answered. The
first command is typed the moment the page says it is ready.
"""
import argparse
import os
import statistics
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from browser_test import CHROMIUM_FLAGS, Site  # noqa: E402

# Runs before the page's own scripts: answers one command as soon as the
# page is ready and notes the time.
FIRST_ANSWER = """
new MutationObserver((changes, observer) => {
    if (document.documentElement?.dataset.ready !== "true") return;
    observer.disconnect();
    const ready = performance.now();
    document.getElementById("command").value = "capacitor_reactance 1k 100n";
    document.getElementById("command-form").requestSubmit();
    const shown = document.querySelector("#log .eng")?.textContent.replaceAll("\u00a0", " ");
    const painted = performance.getEntriesByName("first-contentful-paint")[0]?.startTime ?? NaN;
    window.firstAnswer = { painted, ready, answered: performance.now(), shown };
}).observe(document, { subtree: true, attributes: true, attributeFilter: ["data-ready"] });
"""


def visit(driver, url):
    driver.get(url)
    WebDriverWait(driver, 30).until(lambda d: d.execute_script("return window.firstAnswer"))
    result = driver.execute_script("return window.firstAnswer")
    assert result["shown"] == "Capacitive Reactance = 1.59155 k\u03a9", result
    return result


def one_run(url, chromium, chromedriver):
    with tempfile.TemporaryDirectory(prefix="zorvane-bench-") as profile:
        options = webdriver.ChromeOptions()
        options.binary_location = chromium
        for flag in CHROMIUM_FLAGS + [f"--user-data-dir={profile}"]:
            options.add_argument(flag)
        driver = webdriver.Chrome(service=Service(chromedriver), options=options)
        try:
            driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": FIRST_ANSWER})
            first = visit(driver, url)
            driver.execute_async_script("""
                const done = arguments[arguments.length - 1];
                navigator.serviceWorker.ready.then(() => done());""")
            again = visit(driver, url)
        finally:
            driver.quit()
    return first, again


def describe(name, values):
    return (f"{name:<28} median {statistics.median(values):6.1f} ms   "
            f"min {min(values):6.1f}   max {max(values):6.1f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    parser.add_argument("--site", default=os.path.join(root, "build", "wasm", "site"))
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--chromium", default="/usr/bin/chromium")
    parser.add_argument("--chromedriver", default="/usr/bin/chromedriver")
    args = parser.parse_args()

    site = Site(args.site)
    try:
        runs = [one_run(site.url, args.chromium, args.chromedriver) for _ in range(args.runs)]
    finally:
        site.cleanup()
    print(f"{args.runs} runs, times from the start of navigation")
    for label, index in (("first visit", 0), ("return visit", 1)):
        print(describe(f"{label}: first paint", [r[index]["painted"] for r in runs]))
        print(describe(f"{label}: module ready", [r[index]["ready"] for r in runs]))
        print(describe(f"{label}: first answer", [r[index]["answered"] for r in runs]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
