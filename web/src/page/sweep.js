// The sweep: one value of the current formula varied across a range, the
// results plotted, tabulated and offered as CSV. Points where the module's
// zero guard answered are gaps, and so is the span across a pole.
import uPlot from "uplot";
import { sweepRange } from "../examples.js";
import { $, argumentName, checkField, download, element, markField, unitSuffix } from "./dom.js";

function cssColor(name) {
    return getComputedStyle(document.documentElement).getPropertyValue(name).trim();
}

export function sweepValues(from, to, count, logarithmic) {
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
    return {
        label: label + unitSuffix(unit),
        stroke: cssColor("--muted"),
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

// The results span decades when all are above zero and the largest is at
// least a hundred times the smallest.
function spansDecades(ys) {
    const values = ys.filter((y) => y !== null);
    if (values.length < 2 || values.some((y) => y <= 0)) return false;
    return Math.max(...values) / Math.min(...values) >= 100;
}

// Evaluates the formula at every x. A point is { x, y, guarded }; y is null
// where the module gives no number or its zero guard answered.
// With tolerances on the other values, each point also has the worst-case
// `low` and `high` the module finds for them.
export function evaluatePoints(calc, keyword, values, index, xs, tolerances = []) {
    const banded = tolerances.some((t, i) => i !== index && t);
    // The commands are composed by the module's grammar, as the tool reads them.
    const withTolerances = values.map((v, i) => ({ number: v, tolerance: tolerances[i] && i !== index ? tolerances[i] : null }));
    const point = (x) => {
        values[index] = String(x);
        const command = calc.compose({ keyword, values });
        const answer = calc.evaluate(command);
        if (answer.kind !== "result") return { x, y: null, guarded: false };
        if (answer.guarded) return { x, y: null, guarded: true };
        const y = calc.value(command);
        const found = { x, y: Number.isFinite(y) ? y : null, guarded: false };
        if (banded) {
            withTolerances[index] = { number: String(x) };
            const range = calc.range(calc.compose({ keyword, values: withTolerances }));
            found.low = range.error ? null : range.min;
            found.high = range.error ? null : range.max;
        }
        return found;
    };
    const points = xs.map(point);
    // Between two results of opposite sign the curve either crosses zero or
    // runs off to infinity and back: a pole, when the result halfway is
    // larger than both ends.
    const poles = [];
    for (let i = 1; i < points.length; ++i) {
        const [a, b] = [points[i - 1], points[i]];
        if (a.y === null || b.y === null || !(a.y * b.y < 0)) continue;
        const middle = point((a.x + b.x) / 2);
        if (middle.y === null || Math.abs(middle.y) > Math.max(Math.abs(a.y), Math.abs(b.y))) poles.push(middle.x);
    }
    return { points, poles };
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

    clear() {
        this.plot?.destroy();
        this.plot = null;
        this.last = null;
    }

    draw(sweep) {
        this.last = sweep;
        const { formula, index, points, poles, logarithmic, logarithmicY } = sweep;
        // uPlot takes x ascending; a pole is a gap of its own.
        const drawn = [...points, ...poles.map((x) => ({ x, y: null }))].sort((a, b) => a.x - b.x);
        const xUnit = formula.argumentUnits[index];
        const format = (unit) => (u, v) => (v == null ? "–" : this.calc.format(v, unit));
        const options = {
            ...this.size(),
            scales: { x: { time: false, distr: logarithmic ? 3 : 1 }, y: { distr: logarithmicY ? 3 : 1 } },
            axes: [
                { ...axis(this.calc, argumentName(formula.arguments[index]), xUnit, logarithmic), size: 32, labelSize: 24 },
                { ...axis(this.calc, formula.label, formula.unit, logarithmicY), size: fitWidth },
            ],
            series: [
                { label: argumentName(formula.arguments[index]), value: format(xUnit) },
                {
                    label: formula.label, stroke: cssColor("--plot-line"), width: 2,
                    points: { show: false }, spanGaps: false, value: format(formula.unit),
                },
            ],
            cursor: { drag: { x: true, y: false } },
        };
        this.plot?.destroy();
        const data = [drawn.map((p) => p.x), drawn.map((p) => p.y)];
        if (sweep.banded) {
            for (const [label, key] of [["lowest", "low"], ["highest", "high"]]) {
                options.series.push({
                    label, stroke: cssColor("--muted"), width: 1, dash: [6, 4],
                    points: { show: false }, spanGaps: false, value: format(formula.unit),
                });
                data.push(drawn.map((p) => p[key] ?? null));
            }
        }
        this.plot = new uPlot(options, data, $("plot"));
        this.plot.root.setAttribute("role", "img");
        this.plot.root.setAttribute("aria-label",
            `${formula.label} against ${argumentName(formula.arguments[index])}, ${points.length} points`);
    }
}

function pointText(calc, point, unit) {
    if (point.guarded) return "no result: divides by zero";
    return point.y === null ? "–" : calc.format(point.y, unit);
}

function fillPointsTable(calc, sweep) {
    const { formula, index, points } = sweep;
    $("points-x").textContent = argumentName(formula.arguments[index]) + unitSuffix(formula.argumentUnits[index]);
    $("points-y").textContent = formula.label + unitSuffix(formula.unit);
    $("points").tBodies[0].replaceChildren(...points.map((p) => element("tr", {},
        element("td", { text: calc.format(p.x, formula.argumentUnits[index]) }),
        element("td", { text: pointText(calc, p, formula.unit) }))));
}

function csvField(text) {
    return /[",\n]/.test(text) ? `"${text.replaceAll('"', '""')}"` : text;
}

// The points as CSV: plain numbers to the last digit, no number where
// there is no result.
export function pointsCsv(sweep) {
    const { formula, index, points } = sweep;
    const names = [argumentName(formula.arguments[index]) + unitSuffix(formula.argumentUnits[index]),
        formula.label + unitSuffix(formula.unit)];
    if (sweep.banded) names.push(`lowest${unitSuffix(formula.unit)}`, `highest${unitSuffix(formula.unit)}`);
    const row = (p) => [p.x, p.y, ...(sweep.banded ? [p.low, p.high] : [])].map((v) => v ?? "").join(",");
    return [names.map(csvField).join(","), ...points.map(row)].join("\r\n") + "\r\n";
}

function pointsProblem(input) {
    const count = Number(input.value);
    const ok = Number.isInteger(count) && count >= 2 && count <= 2000;
    markField(input, ok ? "" : "a whole number from 2 to 2000");
    return ok ? count : NaN;
}

function readSweepEnd(calc, input) {
    return checkField(calc, input) ? calc.number(input.value) : NaN;
}

function caption(calc, sweep, yScale) {
    const { formula, index, points, poles, from, to, logarithmic, logarithmicY } = sweep;
    const unit = formula.argumentUnits[index];
    const guarded = points.filter((p) => p.guarded).length;
    const parts = [`${formula.keyword}: ${points.length} points, ${argumentName(formula.arguments[index])} from ` +
        `${calc.format(from, unit)} to ${calc.format(to, unit)}, ${logarithmic ? "logarithmic" : "linear"} steps, ` +
        `${logarithmicY ? "logarithmic" : "linear"} result axis`];
    if (yScale === "log" && !logarithmicY) parts.push("results not all above zero, so a linear result axis");
    if (guarded) parts.push(`no result at ${guarded} ${guarded === 1 ? "point" : "points"}, where the formula divides by zero`);
    if (poles.length) parts.push(`the curve is broken at ${poles.length} ${poles.length === 1 ? "pole" : "poles"}`);
    if (sweep.banded) parts.push("dashed: the lowest and highest results within the tolerances");
    return parts.join("; ") + ".";
}

export function setUpSweep(calc, state) {
    const plot = new SweepPlot(calc);
    let sweep = null;
    const argumentSelect = $("sweep-argument");
    const show = (message) => {
        $("plot-caption").textContent = message;
        $("sweep-csv").disabled = sweep === null;
    };
    const fail = (message) => {
        sweep = null;
        plot.clear();
        $("points").tBodies[0].replaceChildren();
        show(message);
    };

    const run = () => {
        const formula = state.formula;
        const index = Number(argumentSelect.value);
        const logarithmic = document.querySelector('input[name="steps"]:checked').value === "log";
        const yScale = $("sweep-y-scale").value;
        const from = readSweepEnd(calc, $("sweep-from"));
        const to = readSweepEnd(calc, $("sweep-to"));
        const count = pointsProblem($("sweep-points"));
        if ([from, to, count].some(Number.isNaN)) return fail("Correct the marked values of the sweep to plot it.");
        if (from === to) {
            markField($("sweep-to"), "the same as From: give a range to sweep");
            return fail("From and To are equal: there is no range to plot.");
        }
        if (logarithmic && !(from > 0 && to > 0)) {
            markField(from > 0 ? $("sweep-to") : $("sweep-from"), "logarithmic steps need values above zero");
            return fail("Logarithmic steps need a range above zero.");
        }
        if (!state.valid(index)) return fail("Correct the marked values of the formula above to plot it.");
        const values = state.values();
        const tolerances = state.tolerances();
        const { points, poles } = evaluatePoints(calc, formula.keyword, values, index,
            sweepValues(from, to, count, logarithmic), tolerances);
        const banded = tolerances.some((t, i) => i !== index && t);
        const ys = points.map((p) => p.y);
        const logarithmicY = (yScale === "auto" && spansDecades(ys)) ||
            (yScale === "log" && ys.every((y) => y === null || y > 0) && ys.some((y) => y !== null));
        sweep = { formula, index, points, poles, from, to, logarithmic, logarithmicY, banded };
        plot.draw(sweep);
        fillPointsTable(calc, sweep);
        show(caption(calc, sweep, yScale));
    };

    const fillRange = () => {
        const formula = state.formula;
        const index = Number(argumentSelect.value);
        const [from, to, steps] = sweepRange(formula.arguments[index], formula.argumentUnits[index]);
        $("sweep-from").value = from;
        $("sweep-to").value = to;
        document.querySelector(`input[name="steps"][value="${steps}"]`).checked = true;
        for (const id of ["sweep-from", "sweep-to"]) checkField(calc, $(id));
    };
    argumentSelect.addEventListener("change", () => {
        fillRange();
        run();
    });
    for (const id of ["sweep-from", "sweep-to"]) $(id).addEventListener("input", (e) => checkField(calc, e.target));
    $("sweep-points").addEventListener("input", (e) => pointsProblem(e.target));
    $("sweep-form").addEventListener("submit", (event) => {
        event.preventDefault();
        run();
    });
    $("sweep-csv").addEventListener("click", () => {
        if (sweep) download(pointsCsv(sweep), `${sweep.formula.keyword}-sweep.csv`, "text/csv;charset=utf-8");
    });

    state.onFormula((formula) => {
        argumentSelect.replaceChildren(...formula.arguments.map((a, i) =>
            element("option", { value: String(i), text: argumentName(a) + unitSuffix(formula.argumentUnits[i]) })));
        fillRange();
        run();
    });
    // The plot follows the formula's other values as they are typed.
    state.onValues(run);
}
