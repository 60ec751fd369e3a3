// The page: a command line, a formula picker and a sweep plot around the
// calculator module. Every answer, rendering and hint comes from the module
// (zorvane-calc.mjs); the parts in page/ only arrange them on the page.
import { createCalculator } from "./zorvane-calc.mjs";
import { FIRST_FORMULA } from "./examples.js";
import { setUpAddress } from "./page/address.js";
import { announce } from "./page/announce.js";
import { setUpCommandLine } from "./page/command-line.js";
import { $, download, learnUnits } from "./page/dom.js";
import { setUpPicker } from "./page/picker.js";
import { FormulaState } from "./page/state.js";
import { setUpSweep } from "./page/sweep.js";

// The notice is in the page from the start, empty and taking no room, and
// speaks through the page's one announcer.
function notice(text, action) {
    const box = $("notice");
    box.replaceChildren(text);
    if (action) box.append(" ", action);
    announce(text);
}

// A new version of the site waits until every tab of the old one closes;
// the page says so and offers to switch now.
let updateAsked = false;

function offerUpdate(worker) {
    const button = document.createElement("button");
    button.type = "button";
    button.textContent = "Reload";
    button.addEventListener("click", () => {
        updateAsked = true;
        worker.postMessage("activate");
    });
    notice("A new version of the calculator is ready.", button);
}

// After the page has loaded: the worker's installation then finds every
// file the page used in the browser's cache and competes with nothing.
function registerServiceWorker() {
    if (!("serviceWorker" in navigator) || location.protocol === "file:") return;
    if (document.readyState !== "complete") {
        addEventListener("load", registerServiceWorker, { once: true });
        return;
    }
    // The first worker taking over an open page changes nothing it shows;
    // a new version asked for reloads the page with it.
    navigator.serviceWorker.addEventListener("controllerchange", () => {
        if (updateAsked) location.reload();
    });
    navigator.serviceWorker.register("sw.js").then((registration) => {
        const watch = (worker) => worker.addEventListener("statechange", () => {
            if (worker.state === "installed" && navigator.serviceWorker.controller) offerUpdate(worker);
        });
        if (registration.waiting && navigator.serviceWorker.controller) offerUpdate(registration.waiting);
        if (registration.installing) watch(registration.installing);
        registration.addEventListener("updatefound", () => watch(registration.installing));
    }).catch((error) => {
        console.warn("offline use unavailable:", error);
    });
}

function setUpReferenceButton(calc) {
    $("reference-button").addEventListener("click", () =>
        download(calc.reference(), calc.referenceFileName, "text/plain;charset=windows-1252"));
}

// Lets the browser paint and handle input between the steps of starting,
// so none of them holds the page for long.
const breathe = () => new Promise((resolve) => setTimeout(resolve, 0));

async function start() {
    const status = $("status");
    registerServiceWorker();
    try {
        const calc = await createCalculator();
        learnUnits(calc.formulas);
        await breathe();
        const state = new FormulaState();
        setUpSweep(calc, state);
        const picker = setUpPicker(calc, state);
        await breathe();
        const commandLine = setUpCommandLine(calc, { notice });
        const address = setUpAddress(calc, state, { picker, commandLine, start: FIRST_FORMULA });
        setUpReferenceButton(calc);
        // Controls wait for the module: none of them acts before it is ready.
        for (const control of document.querySelectorAll("[data-needs-module]")) control.disabled = false;
        await breathe();
        // One announcement: an address's answer, or that the calculator is ready.
        if (!address.open()) announce("The calculator is ready.");
        status.textContent = "Ready";
        status.classList.add("ready");
        document.documentElement.dataset.ready = "true";
    } catch (error) {
        status.textContent = `The calculator could not start: ${error.message}`;
        announce(status.textContent);
        status.classList.add("failed");
        throw error;
    }
}

start();
