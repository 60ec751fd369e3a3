// The page: a command line, a formula picker and a sweep plot around the
// calculator module. Every answer, rendering and hint comes from the module
// (zorvane-calc.mjs); this script only arranges them on the page.
import uPlot from "uplot";
import { createCalculator } from "./zorvane-calc.mjs";
import { exampleValue, sweepRange } from "./examples.js";

const $ = (id) => document.getElementById(id);

function element(tag, attributes = {}, ...children) {
    const node = document.createElement(tag);
    for (const [name, value] of Object.entries(attributes)) {
        if (name === "text") node.textContent = value;
        else node.setAttribute(name, value);
    }
    node.append(...children);
    return node;
}

// ---------------------------------------------------------------- command line

const HISTORY_KEY = "zorvane-calc-history";
const HISTORY_LIMIT = 200;

function loadHistory() {
    try {
        const saved = JSON.parse(localStorage.getItem(HISTORY_KEY) ?? "[]");
        return Array.isArray(saved) ? saved.filter((c) => typeof c === "string") : [];
    } catch {
        return [];
    }
}

function saveHistory(history) {
    try {
        localStorage.setItem(HISTORY_KEY, JSON.stringify(history.slice(-HISTORY_LIMIT)));
    } catch {
        // Private browsing or a full store: history lasts for this visit only.
    }
}

// Up and Down walk through earlier commands as a terminal does; the line
// being typed is kept and comes back below the newest one.
function attachHistory(input, history) {
    let position = history.length;
    let draft = "";
    input.addEventListener("keydown", (event) => {
        if (event.key !== "ArrowUp" && event.key !== "ArrowDown") return;
        if (event.altKey || event.ctrlKey || event.metaKey || event.shiftKey) return;
        event.preventDefault();
        if (position === history.length) draft = input.value;
        position = event.key === "ArrowUp" ? Math.max(0, position - 1) : Math.min(history.length, position + 1);
        input.value = position === history.length ? draft : history[position];
        input.setSelectionRange(input.value.length, input.value.length);
    });
    return {
        remember(command) {
            if (command.trim() !== "" && history.at(-1) !== command) history.push(command);
            if (history.length > HISTORY_LIMIT) history.splice(0, history.length - HISTORY_LIMIT);
            saveHistory(history);
            position = history.length;
            draft = "";
        },
    };
}

// The prompt's words are zorvane-calc's (calc.promptWord); "clear" is the
// page's own. Anything else, "/help" included, is a command for the module.
function pageWord(calc, command) {
    if (/^clear$/i.test(command.trim())) return { word: "clear" };
    return calc.promptWord(command);
}

function referenceDownload(calc) {
    const bytes = calc.reference();
    const blob = new Blob([bytes], { type: "text/plain;charset=windows-1252" });
    const link = element("a", { href: URL.createObjectURL(blob), download: calc.referenceFileName, class: "download" });
    link.textContent = `Download ${calc.referenceFileName} (${bytes.length.toLocaleString("en")} bytes)`;
    return link;
}

function entry(command, kind) {
    return element("li", { class: `entry ${kind}` },
        element("p", { class: "typed" }, element("span", { class: "caret", "aria-hidden": "true", text: "> " }), command));
}

const SUCCESSES = new Set(["result", "empty", "reference_written"]);

function answerEntry(calc, command, answer) {
    const item = entry(command, SUCCESSES.has(answer.kind) ? "result" : "error");
    item.append(element("p", { class: "line" }, element("samp", { text: answer.line })));
    if (answer.kind === "result") item.append(element("p", { class: "eng", text: answer.eng }));
    // "/help": the module wrote the file into its in-memory file system; the
    // page offers the same bytes as a download.
    if (answer.kind === "reference_written") item.append(element("p", {}, referenceDownload(calc)));
    if (answer.hints.length) {
        item.append(element("ul", { class: "hints" }, ...answer.hints.map((h) => element("li", { text: h }))));
    }
    return item;
}

function pageWordEntry(calc, command, request) {
    const formula = calc.formulas.find((f) => f.keyword === request.name);
    // "help NAME" for a name that is no formula answers as zorvane-calc does:
    // the module's line for the name, with its hints ("did you mean ...?").
    if (request.word === "help_name" && !formula) return answerEntry(calc, command, calc.evaluate(request.name));
    const [kind, content] =
        request.word === "quit" ? ["result", element("p", { text: "The page stays open; close its tab to leave." })]
        : request.word === "help" ? ["result", element("pre", { text: calc.helpSummary().trim() })]
        : ["result", element("pre", { text: formula.reference })];
    const item = entry(command, kind);
    item.append(content);
    return item;
}

function setUpCommandLine(calc) {
    const input = $("command");
    const log = $("log");
    const history = attachHistory(input, loadHistory());
    // The newest answer stays in view when the page's width changes.
    new ResizeObserver(() => (log.scrollTop = log.scrollHeight)).observe(log);

    $("command-form").addEventListener("submit", (event) => {
        event.preventDefault();
        const command = input.value;
        history.remember(command);
        input.value = "";
        const request = pageWord(calc, command);
        if (request.word === "clear") {
            log.replaceChildren();
            return;
        }
        const item = request.word === "none" ? answerEntry(calc, command, calc.evaluate(command))
            : pageWordEntry(calc, command, request);
        log.append(item);
        log.scrollTop = log.scrollHeight;
    });
    input.disabled = false;
}

// ---------------------------------------------------------------- picker

function categories(calc) {
    return [...new Set(calc.formulas.map((f) => f.category))];
}

function fillFormulaSelect(calc, category) {
    const select = $("formula");
    select.replaceChildren(...calc.formulas
        .filter((f) => f.category === category)
        .map((f) => element("option", { value: f.keyword, text: f.keyword })));
}

function argumentName(argument) {
    return argument.replace(/^<|>$/g, "").replaceAll("_", " ");
}

function unitSuffix(unit) {
    return unit ? ` (${unit})` : "";
}

function makeField(formula, index) {
    const argument = formula.arguments[index];
    const unit = formula.argumentUnits[index];
    const id = `argument-${index}`;
    const problemId = `${id}-problem`;
    const input = element("input", {
        id, type: "text", spellcheck: "false", autocapitalize: "off", autocorrect: "off",
        "aria-describedby": problemId, "data-argument": argument,
    });
    input.value = exampleValue(argument, unit);
    return element("div", { class: "field" },
        element("label", { for: id }, argumentName(argument), element("span", { class: "unit", text: unitSuffix(unit) })),
        input,
        element("p", { id: problemId, class: "problem", hidden: "" }));
}

// Marks a field that cannot stand as a value and says why; true when valid.
function checkField(calc, input) {
    const problem = calc.valueProblem(input.value);
    const message = document.getElementById(input.getAttribute("aria-describedby"));
    input.setAttribute("aria-invalid", problem ? "true" : "false");
    message.textContent = problem;
    message.hidden = !problem;
    return !problem;
}

function showPickerResult(calc, formula) {
    const inputs = [...$("fields").querySelectorAll("input")];
    const valid = inputs.map((input) => checkField(calc, input)).every(Boolean);
    const output = $("picker-result");
    if (!valid) {
        output.replaceChildren(element("span", { class: "waiting", text: "Correct the marked values to see the result." }));
        return;
    }
    const answer = calc.evaluate([formula.keyword, ...inputs.map((i) => i.value.trim())].join(" "));
    if (answer.kind !== "result") {
        output.replaceChildren(element("span", { class: "error", text: answer.line }),
            ...answer.hints.map((h) => element("span", { class: "line", text: h })));
        return;
    }
    output.replaceChildren(element("span", { class: "eng", text: answer.eng }),
        element("span", { class: "line", text: answer.line }));
}

function showFormula(calc, keyword, onChange) {
    const formula = calc.formulas.find((f) => f.keyword === keyword);
    $("formula-reference").textContent = formula.reference;
    const fields = $("fields");
    fields.replaceChildren(...formula.arguments.map((_, i) => makeField(formula, i)));
    showPickerResult(calc, formula);
    onChange(formula);
}

function setUpPicker(calc, onChange, onValues) {
    const categorySelect = $("category");
    const formulaSelect = $("formula");
    let formula = null;
    const show = () => showFormula(calc, formulaSelect.value, (f) => onChange((formula = f)));
    categorySelect.replaceChildren(...categories(calc).map((c) => element("option", { value: c, text: c })));
    categorySelect.addEventListener("change", () => {
        fillFormulaSelect(calc, categorySelect.value);
        show();
    });
    formulaSelect.addEventListener("change", show);
    $("fields").addEventListener("input", () => {
        showPickerResult(calc, formula);
        onValues();
    });

    const start = calc.formulas.find((f) => f.keyword === "capacitor_reactance") ?? calc.formulas[0];
    categorySelect.value = start.category;
    fillFormulaSelect(calc, start.category);
    formulaSelect.value = start.keyword;
    show();
}

// ---------------------------------------------------------------- sweep

function cssColor(name) {
    return getComputedStyle(document.documentElement).getPropertyValue(name).trim();
}

function sweepValues(from, to, count, logarithmic) {
    const values = [];
    for (let i = 0; i < count; ++i) {
        const t = i / (count - 1);
        values.push(logarithmic ? from * (to / from) ** t : from + (to - from) * t);
    }
    values[count - 1] = to;
    return values;
}

// Tick labels on a logarithmic axis: every decade, and 2 and 5 within it
// when the range spans few decades.
function logTickShown(value, decades) {
    const mantissa = Math.round(value / 10 ** Math.floor(Math.log10(value) + 1e-9));
    return mantissa === 1 || (decades <= 3 && (mantissa === 2 || mantissa === 5));
}

function axis(calc, label, unit, logarithmic) {
    const stroke = cssColor("--muted");
    return {
        label: label + unitSuffix(unit),
        stroke,
        labelFont: "600 13px system-ui, sans-serif",
        font: "12px system-ui, sans-serif",
        grid: { stroke: cssColor("--plot-grid"), width: 1 },
        ticks: { stroke: cssColor("--plot-grid"), width: 1 },
        values: (u, splits) => {
            const decades = splits.length ? Math.log10(splits.at(-1) / splits[0]) : 0;
            return splits.map((v) => (logarithmic && !logTickShown(v, decades) ? "" : calc.format(v, unit)));
        },
    };
}

// A vertical axis as wide as its widest tick label.
function fitWidth(u, values) {
    if (!values) return 50;
    u.ctx.font = `${12 * devicePixelRatio}px system-ui, sans-serif`;
    const widest = Math.max(0, ...values.map((v) => u.ctx.measureText(v).width));
    return Math.ceil(widest / devicePixelRatio) + 34;
}

function readSweepEnd(calc, input) {
    return checkField(calc, input) ? calc.number(input.value) : NaN;
}

class SweepPlot {
    constructor(calc) {
        this.calc = calc;
        this.plot = null;
        this.last = null;
        new ResizeObserver(() => this.plot?.setSize(this.size())).observe($("plot"));
        matchMedia("(prefers-color-scheme: dark)").addEventListener("change", () => this.last && this.draw(this.last));
    }

    size() {
        const width = $("plot").clientWidth;
        return { width, height: Math.round(Math.min(420, Math.max(240, width * 0.55))) };
    }

    draw(sweep) {
        this.last = sweep;
        const { formula, index, xs, ys, logarithmic, logarithmicY } = sweep;
        const xUnit = formula.argumentUnits[index];
        const options = {
            ...this.size(),
            scales: { x: { time: false, distr: logarithmic ? 3 : 1 }, y: { distr: logarithmicY ? 3 : 1 } },
            axes: [
                { ...axis(this.calc, argumentName(formula.arguments[index]), xUnit, logarithmic), size: 32, labelSize: 24 },
                { ...axis(this.calc, formula.label, formula.unit, logarithmicY), size: fitWidth },
            ],
            series: [
                { label: argumentName(formula.arguments[index]), value: (u, v) => (v == null ? "–" : this.calc.format(v, xUnit)) },
                {
                    label: formula.label,
                    stroke: cssColor("--plot-line"),
                    width: 2,
                    points: { show: false },
                    value: (u, v) => (v == null ? "–" : this.calc.format(v, formula.unit)),
                },
            ],
            cursor: { drag: { x: true, y: false } },
        };
        this.plot?.destroy();
        this.plot = new uPlot(options, [xs, ys], $("plot"));
        this.plot.root.setAttribute("role", "img");
        this.plot.root.setAttribute("aria-label",
            `${formula.label} against ${argumentName(formula.arguments[index])}, ${xs.length} points`);
        return this.plot;
    }
}

function fillPointsTable(calc, sweep) {
    const { formula, index, xs, ys } = sweep;
    $("points-x").textContent = argumentName(formula.arguments[index]) + unitSuffix(formula.argumentUnits[index]);
    $("points-y").textContent = formula.label + unitSuffix(formula.unit);
    $("points").tBodies[0].replaceChildren(...xs.map((x, i) => element("tr", {},
        element("td", { text: calc.format(x, formula.argumentUnits[index]) }),
        element("td", { text: ys[i] === null ? "–" : calc.format(ys[i], formula.unit) }))));
}

function pointsProblem(input) {
    const count = Number(input.value);
    const problem = Number.isInteger(count) && count >= 2 && count <= 2000 ? "" : "a whole number from 2 to 2000";
    const message = $("sweep-points-problem");
    input.setAttribute("aria-invalid", problem ? "true" : "false");
    message.textContent = problem;
    message.hidden = !problem;
    return problem ? NaN : count;
}

function rangeProblem(input, message) {
    input.setAttribute("aria-invalid", "true");
    const problem = document.getElementById(input.getAttribute("aria-describedby"));
    problem.textContent = message;
    problem.hidden = false;
}

function runSweep(calc, plot, formula) {
    const index = Number($("sweep-argument").value);
    const logarithmic = document.querySelector('input[name="steps"]:checked').value === "log";
    const from = readSweepEnd(calc, $("sweep-from"));
    const to = readSweepEnd(calc, $("sweep-to"));
    const count = pointsProblem($("sweep-points"));
    if ([from, to, count].some(Number.isNaN)) return null;
    if (logarithmic && !(from > 0 && to > 0)) {
        rangeProblem(from > 0 ? $("sweep-to") : $("sweep-from"), "logarithmic steps need values above zero");
        return null;
    }
    const fields = [...$("fields").querySelectorAll("input")];
    if (!fields.every((input, i) => i === index || checkField(calc, input))) {
        $("plot-caption").textContent = "Correct the marked values of the formula above to plot it.";
        return null;
    }
    const others = fields.map((i) => i.value.trim());
    const xs = sweepValues(from, to, count, logarithmic);
    const ys = xs.map((x) => {
        others[index] = String(x);
        const y = calc.value([formula.keyword, ...others].join(" "));
        return Number.isFinite(y) ? y : null;
    });
    // A logarithmic axis shows results above zero only.
    const positive = ys.every((y) => y === null || y > 0) && ys.some((y) => y !== null);
    const logarithmicY = $("sweep-log-y").checked && positive;
    const sweep = { formula, index, xs, ys, logarithmic, logarithmicY };
    plot.draw(sweep);
    fillPointsTable(calc, sweep);
    $("plot-caption").textContent = `${formula.keyword}: ${xs.length} points, ` +
        `${argumentName(formula.arguments[index])} from ${calc.format(from, formula.argumentUnits[index])} ` +
        `to ${calc.format(to, formula.argumentUnits[index])}, ${logarithmic ? "logarithmic" : "linear"} steps` +
        ($("sweep-log-y").checked && !positive ? "; results not all above zero, so a linear result axis." : ".");
    return sweep;
}

function setUpSweep(calc) {
    const plot = new SweepPlot(calc);
    let formula = null;
    const argumentSelect = $("sweep-argument");
    const fillRange = () => {
        const index = Number(argumentSelect.value);
        const [from, to, steps] = sweepRange(formula.arguments[index], formula.argumentUnits[index]);
        $("sweep-from").value = from;
        $("sweep-to").value = to;
        document.querySelector(`input[name="steps"][value="${steps}"]`).checked = true;
        for (const id of ["sweep-from", "sweep-to"]) checkField(calc, $(id));
    };
    argumentSelect.addEventListener("change", fillRange);
    for (const id of ["sweep-from", "sweep-to"]) $(id).addEventListener("input", (e) => checkField(calc, e.target));
    $("sweep-points").addEventListener("input", (e) => pointsProblem(e.target));
    $("sweep-form").addEventListener("submit", (event) => {
        event.preventDefault();
        runSweep(calc, plot, formula);
    });
    return {
        plot,
        formulaChanged(next) {
            formula = next;
            argumentSelect.replaceChildren(...formula.arguments.map((a, i) =>
                element("option", { value: String(i), text: argumentName(a) + unitSuffix(formula.argumentUnits[i]) })));
            fillRange();
            runSweep(calc, plot, formula);
        },
        // The plot follows the formula's other values as they are typed.
        valuesChanged() {
            runSweep(calc, plot, formula);
        },
    };
}

// ---------------------------------------------------------------- start

function setUpReferenceButton(calc) {
    const button = $("reference-button");
    button.addEventListener("click", () => {
        const link = referenceDownload(calc);
        document.body.append(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    });
    button.disabled = false;
}

function registerServiceWorker() {
    if (!("serviceWorker" in navigator) || location.protocol === "file:") return;
    navigator.serviceWorker.register("sw.js").catch((error) => {
        console.warn("offline use unavailable:", error);
    });
}

async function start() {
    const status = $("status");
    registerServiceWorker();
    try {
        const calc = await createCalculator();
        globalThis.zorvaneCalculator = calc;
        const sweep = setUpSweep(calc);
        globalThis.zorvaneSweep = sweep;
        setUpPicker(calc, (formula) => sweep.formulaChanged(formula), () => sweep.valuesChanged());
        setUpCommandLine(calc);
        setUpReferenceButton(calc);
        status.textContent = "Ready";
        status.classList.add("ready");
        performance.mark("calculator-ready");
        document.documentElement.dataset.ready = "true";
    } catch (error) {
        status.textContent = `The calculator could not start: ${error.message}`;
        status.classList.add("failed");
        throw error;
    }
}

start();
