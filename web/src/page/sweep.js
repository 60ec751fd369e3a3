// The sweep: one value of the current formula varied across a range, the
// results plotted, tabulated and offered as CSV. Points where the module's
// zero guard answered are gaps, and so is the span across a pole.
import { sweepRange } from "../examples.js";
import { announce } from "./announce.js";
import { $, argumentName, checkField, download, element, keepUnits, markField, unitSuffix } from "./dom.js";

// uPlot arrives with the first sweep drawn, not with the page.
let plotLibrary = null;
const loadPlotLibrary = () => (plotLibrary ??= import("uplot").then((m) => m.default));

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
        this.drawing = 0;
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
        ++this.drawing;
    }

    // Draws once the page has painted what it computed (the answer comes
    // first), and only the latest of sweeps asked for meanwhile.
    draw(sweep) {
        this.last = sweep;
        const turn = ++this.drawing;
        $("plot").dataset.drawn = "false";
        requestAnimationFrame(() => setTimeout(() => loadPlotLibrary().then((uPlot) => {
            if (turn !== this.drawing) return;
            this.drawNow(uPlot, sweep);
            $("plot").dataset.drawn = "true";
        })));
    }

    drawNow(uPlot, sweep) {
        const { formula, index, points, poles, logarithmic, logarithmicY, result } = sweep;
        // uPlot takes x ascending; a pole is a gap of its own.
        const drawn = [...points, ...poles.map((x) => ({ x, y: null }))].sort((a, b) => a.x - b.x);
        const xUnit = formula.argumentUnits[index];
        const format = (unit) => (u, v) => (v == null ? "–" : this.calc.format(v, unit));
        const options = {
            ...this.size(),
            scales: { x: { time: false, distr: logarithmic ? 3 : 1 }, y: { distr: logarithmicY ? 3 : 1 } },
            axes: [
                { ...axis(this.calc, argumentName(formula.arguments[index]), xUnit, logarithmic), size: 32, labelSize: 24 },
                { ...axis(this.calc, result.label, result.unit, logarithmicY), size: fitWidth },
            ],
            series: [
                { label: argumentName(formula.arguments[index]), value: format(xUnit) },
                {
                    label: result.label, stroke: cssColor("--plot-line"), width: 2,
                    points: { show: false }, spanGaps: false, value: format(result.unit),
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
                    points: { show: false }, spanGaps: false, value: format(result.unit),
                });
                data.push(drawn.map((p) => p[key] ?? null));
            }
        }
        this.plot = new uPlot(options, data, $("plot"));
        this.plot.root.setAttribute("role", "img");
        this.plot.root.setAttribute("aria-label",
            `${result.label} against ${argumentName(formula.arguments[index])}, ${points.length} points`);
    }
}

// The value being solved for, when the sweep plots what it must be rather
// than the result: one unknown above, another value varied, and asked for.
function requiredOf(state, index) {
    const unknowns = state.unknowns();
    const shown = unknowns.length === 1 && unknowns[0] !== index;
    $("sweep-required-field").hidden = !shown;
    if (shown) {
        $("sweep-required-label").textContent =
            ` plot the ${argumentName(state.formula.arguments[unknowns[0]])} needed, not the result`;
    }
    return shown && $("sweep-required").checked ? unknowns[0] : null;
}

// At each x, the unknown's value that gives the target, solved by the
// module: the smallest solution, or a gap where none does.
function requiredPoints(calc, keyword, values, index, wanted, target, xs) {
    return xs.map((x) => {
        const question = calc.compose({ keyword, target: { number: target },
            values: values.map((v, i) => (i === wanted ? { unknown: true } : i === index ? String(x) : v)) });
        const solved = calc.solve(question);
        const y = solved.kind === "solve" ? solved.solutions[0] : null;
        return { x, y: Number.isFinite(y) ? y : null, guarded: false };
    });
}

function pointText(calc, point, unit) {
    if (point.guarded) return "no result: divides by zero";
    return point.y === null ? "–" : keepUnits(calc.format(point.y, unit));
}

// The table is built when it is opened: 200 rows nobody reads cost the page its speed.
function fillPointsTable(calc, sweep) {
    if (sweep) {
        const { formula, index } = sweep;
        $("points-x").textContent = argumentName(formula.arguments[index]) + unitSuffix(formula.argumentUnits[index]);
        $("points-y").textContent = sweep.result.label + unitSuffix(sweep.result.unit);
    }
    if (!$("points-details").open) {
        $("points").tBodies[0].replaceChildren();
        $("points").dataset.stale = "true";
        return;
    }
    delete $("points").dataset.stale;
    if (!sweep) return $("points").tBodies[0].replaceChildren();
    const { formula, index, points } = sweep;
    $("points").tBodies[0].replaceChildren(...points.map((p) => element("tr", {},
        element("td", { text: keepUnits(calc.format(p.x, formula.argumentUnits[index])) }),
        element("td", { text: pointText(calc, p, sweep.result.unit) }))));
}

function csvField(text) {
    return /[",\n]/.test(text) ? `"${text.replaceAll('"', '""')}"` : text;
}

// The points as CSV: plain numbers to the last digit, no number where
// there is no result.
export function pointsCsv(sweep) {
    const { formula, index, points } = sweep;
    const names = [argumentName(formula.arguments[index]) + unitSuffix(formula.argumentUnits[index]),
        sweep.result.label + unitSuffix(sweep.result.unit)];
    if (sweep.banded) names.push(`lowest${unitSuffix(sweep.result.unit)}`, `highest${unitSuffix(sweep.result.unit)}`);
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
    if (sweep.wanted !== null) {
        const name = argumentName(formula.arguments[sweep.wanted]);
        parts.push(`the ${name} that gives the result wanted at each point (the smallest where several do)`);
        const none = points.filter((p) => p.y === null).length;
        if (none) parts.push(`no ${name} gives it at ${none} ${none === 1 ? "point" : "points"}`);
    }
    return keepUnits(parts.join("; ") + ".");
}

export function setUpSweep(calc, state) {
    const plot = new SweepPlot(calc);
    let sweep = null;
    const argumentSelect = $("sweep-argument");
    const show = (message) => {
        $("plot-caption").textContent = message;
        $("sweep-csv").disabled = sweep === null;
    };
    const failed = (message) => {
        sweep = null;
        plot.clear();
        $("points").tBodies[0].replaceChildren();
        show(message);
    };

    // `spoken`: the caption is announced (a sweep asked for, not one that
    // follows the values typed above).
    const run = ({ spoken = false } = {}) => {
        active = true;
        const say = (text) => spoken && announce(text);
        const fail = (message) => {
            failed(message);
            say(message);
        };
        const formula = state.formula;
        const index = Number(argumentSelect.value);
        const wanted = requiredOf(state, index);
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
        const unsolved = state.unknowns().find((i) => i !== index && !state.solved.has(i));
        if (unsolved !== undefined && wanted === null) {
            return fail(`No ${argumentName(formula.arguments[unsolved])} solves the question above: there is nothing to plot with.`);
        }
        if (!state.fields.every((input, i) => i === index || i === wanted || input.getAttribute("aria-invalid") !== "true")) {
            return fail("Correct the marked values of the formula above to plot it.");
        }
        const values = state.values();
        const tolerances = state.tolerances();
        const xs = sweepValues(from, to, count, logarithmic);
        const { points, poles } = wanted === null ? evaluatePoints(calc, formula.keyword, values, index, xs, tolerances)
            : { points: requiredPoints(calc, formula.keyword, state.typedValues(), index, wanted, state.target(), xs), poles: [] };
        const banded = wanted === null && tolerances.some((t, i) => i !== index && t);
        const result = wanted === null ? { label: formula.label, unit: formula.unit }
            : { label: `${argumentName(formula.arguments[wanted])} needed`, unit: formula.argumentUnits[wanted] };
        const ys = points.map((p) => p.y);
        const logarithmicY = (yScale === "auto" && spansDecades(ys)) ||
            (yScale === "log" && ys.every((y) => y === null || y > 0) && ys.some((y) => y !== null));
        sweep = { formula, index, points, poles, from, to, logarithmic, logarithmicY, banded, result, wanted };
        plot.draw(sweep);
        fillPointsTable(calc, sweep);
        const text = caption(calc, sweep, yScale);
        show(text);
        say(text);
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
        run({ spoken: true });
    });
    for (const id of ["sweep-from", "sweep-to"]) $(id).addEventListener("input", (e) => checkField(calc, e.target));
    $("sweep-points").addEventListener("input", (e) => pointsProblem(e.target));
    $("sweep-required").addEventListener("change", () => run({ spoken: true }));
    $("sweep-form").addEventListener("submit", (event) => {
        event.preventDefault();
        run({ spoken: true });
    });
    $("points-details").addEventListener("toggle", () => {
        if ($("points").dataset.stale === "true") fillPointsTable(calc, sweep);
    });
    $("sweep-csv").addEventListener("click", () => {
        if (sweep) download(pointsCsv(sweep), `${sweep.formula.keyword}-sweep.csv`, "text/csv;charset=utf-8");
    });

    // The sweep is computed once it comes near the screen (or is asked
    // for), not while the page loads; from then on it follows the formula.
    let active = false;
    const follow = () => active && run();
    new IntersectionObserver((entries, observer) => {
        if (!entries.some((e) => e.isIntersecting)) return;
        observer.disconnect();
        active = true;
        if (state.formula) run();
    }, { rootMargin: "200px" }).observe($("sweep-form").closest("section"));

    state.onFormula((formula) => {
        argumentSelect.replaceChildren(...formula.arguments.map((a, i) =>
            element("option", { value: String(i), text: argumentName(a) + unitSuffix(formula.argumentUnits[i]) })));
        fillRange();
        follow();
    });
    // The plot follows the formula's other values as they are typed.
    state.onValues(follow);
}
