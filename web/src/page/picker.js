// The formula picker: formulas listed by what people read and found by
// typing, one field per value with how the value was read beside it, the
// result as the values are typed. A value made the unknown shows its
// solution; standard values come as a table whose rows fill the fields.
import { exampleValue } from "../examples.js";
import { announce } from "./announce.js";
import { $, argumentName, copyText, element, keepUnits, markField, readValue, unitSuffix } from "./dom.js";
import { exactLine } from "./command-line.js";
import { histogramSvg, rangeBar, statisticsView } from "./statistics.js";

// "Capacitive Reactance: Reactance (Xc = 1/2πfC)"; the label alone where the
// description only repeats it.
function title(formula) {
    const same = formula.description.toLowerCase() === formula.label.toLowerCase();
    return same ? formula.label : `${formula.label}: ${formula.description}`;
}

function matches(formula, words) {
    const text = [formula.keyword, formula.label, formula.description, formula.unit, formula.category,
        ...formula.argumentUnits].join(" ").toLowerCase();
    return words.every((word) => text.includes(word));
}

function fillFormulaList(calc, query) {
    const words = query.toLowerCase().split(/\s+/).filter(Boolean);
    const found = calc.formulas.filter((f) => matches(f, words));
    const groups = new Map();
    for (const formula of found) {
        if (!groups.has(formula.category)) groups.set(formula.category, element("optgroup", { label: formula.category }));
        groups.get(formula.category).append(element("option", { value: formula.keyword, text: title(formula) }));
    }
    $("formula").replaceChildren(...groups.values());
    return found;
}

// One field of a value. index.html holds the first formula's fields as this
// writes them, so the page does not move when the module arrives.
export function makeField(formula, index, value, { unknown = false, tolerance = "" } = {}) {
    const argument = formula.arguments[index];
    const unit = formula.argumentUnits[index];
    const name = argumentName(argument);
    const id = `argument-${index}`;
    const input = element("input", {
        id, type: "text", spellcheck: "false", autocapitalize: "off", autocorrect: "off",
        "aria-describedby": `${id}-problem ${id}-reading`, "data-argument": argument,
        value: value ?? exampleValue(argument, unit),
    });
    const toggle = element("input", { type: "checkbox", class: "unknown-toggle", "data-index": String(index) });
    toggle.checked = unknown;
    const toleranceInput = element("input", {
        id: `${id}-tolerance`, type: "text", class: "tolerance", inputmode: "decimal", spellcheck: "false",
        placeholder: "± %", "aria-describedby": `${id}-tolerance-problem`, value: tolerance,
    });
    const field = element("div", { class: "field" },
        element("label", { for: id }, name, element("span", { class: "unit", text: unitSuffix(unit) })),
        input,
        element("p", { id: `${id}-problem`, class: "problem", hidden: "" }),
        element("p", { id: `${id}-reading`, class: "reading" }),
        element("div", { class: "field-extra" },
            element("label", { class: "unknown" }, toggle, ` solve for ${name}`),
            element("label", { for: `${id}-tolerance`, class: "visually-hidden", text: `Tolerance of ${name} in percent` }),
            toleranceInput),
        element("p", { id: `${id}-tolerance-problem`, class: "problem", hidden: "" }));
    if (unknown) setUnknown(field, true);
    return field;
}

// A value made the unknown: its field shows the solution, read-only, and
// keeps what was typed for when it is a value again; its tolerance box is off.
function setUnknown(field, unknown) {
    const input = field.querySelector("input[data-argument]");
    const tolerance = field.querySelector(".tolerance");
    if (unknown && !input.readOnly) {
        input.dataset.typed = input.value;
        input.value = "";
    } else if (!unknown && input.readOnly) {
        input.value = input.dataset.typed ?? "";
        delete input.dataset.typed;
    }
    input.readOnly = unknown;
    input.classList.toggle("solved", unknown);
    tolerance.disabled = unknown;
}

// The units whose values come in standard series (IEC 60063).
const PART_UNITS = ["Ω", "F", "H"];

// A deviation as the tool's lines write it: "+2.03%", "-3.74%".
function percent(deviation) {
    return `${deviation < 0 ? "-" : "+"}${Math.abs(deviation * 100).toFixed(2)}%`;
}

// A standard value as a field takes it: "3.6k" rather than "3600", where
// that reads back as the same number.
function fieldText(calc, value, unit, keyword, index) {
    const shown = calc.format(value, unit);
    const compact = (unit && shown.endsWith(unit) ? shown.slice(0, -unit.length) : shown).replaceAll(" ", "");
    return calc.read(compact, keyword, index).value === value ? compact : String(value);
}

// Puts the answer's parts in the box, unless it shows just that already
// (index.html's first answer stays the same nodes, painted once).
function showIn(box, ...parts) {
    if (parts.map((p) => p.outerHTML).join("") !== box.innerHTML) box.replaceChildren(...parts);
}

export function setUpPicker(calc, state) {
    const select = $("formula");
    const search = $("formula-search");
    const output = $("picker-result");
    let shown = "";
    // The answer is spoken once typing pauses; a formula chosen or opened is spoken at once.
    let speakNow = false;
    let silent = false;

    const fieldBoxes = () => [...$("fields").children];
    const unknowns = () => [...$("fields").querySelectorAll(".unknown-toggle")].filter((t) => t.checked)
        .map((t) => Number(t.dataset.index));
    const tolerances = () => [...$("fields").querySelectorAll(".tolerance")].map((t) => t.value.trim());
    const series = () => $("picker-series").value;

    // What the target field holds, read by the grammar as the text after "="
    // of the formula: { form: "value" | "tolerance" | "limits", ... }, or null.
    const parsedTarget = (text) => (text === "" ? null : calc.parse(calc.compose({ keyword: state.formula.keyword,
        values: state.formula.arguments.map(() => ({ unknown: true })), target: { number: text } })).target);
    const windowed = (text) => ["tolerance", "limits"].includes(parsedTarget(text)?.form);
    const mcOn = () => $("picker-mc").checked;
    // The statistics' options as the grammar takes them: the samples, and the
    // distribution and seed where they are not the defaults.
    const mcOptions = () => {
        if (!mcOn()) return {};
        const options = { mc: $("picker-samples").value.trim() };
        if ($("picker-distribution").value !== "uniform") options.distribution = $("picker-distribution").value;
        if ($("picker-seed").value.trim() !== "1") options.seed = $("picker-seed").value.trim();
        return options;
    };
    // A design's options as the tool's, one text each ("R=E96,C=E12", "1%",
    // "1k..100k", "3"), read by the grammar; the series, else the standard
    // values' above.
    const DESIGN_OPTIONS = ["series", "tolerance", "within", "top"];
    const partOptions = () => {
        const options = series() ? { series: series() } : {};
        for (const name of DESIGN_OPTIONS) {
            const text = $(`design-${name}`).value.trim();
            if (text) options[name] = text;
        }
        return options;
    };

    // What the fields ask: a result, a solve or pair ("solve"), a worst-case
    // range, or, with a window on the result or samples, the statistics.
    const mode = () => {
        if (unknowns().length) return windowed($("picker-target").value.trim()) ? "design" : "solve";
        if (tolerances().every((t) => t === "")) return "forward";
        return windowed($("picker-target").value.trim()) || mcOn() ? "statistics" : "range";
    };

    // A tolerance field's problem, in the grammar's words; none when empty.
    const toleranceProblem = (text) => (text.trim() === "" ? "" : calc.toleranceProblem(text.trim()));

    // The question the fields ask, composed by the module's grammar as the
    // tool takes it ("voltage_divider 12 10k ? = 3.3", "voltage_divider 12
    // 10k±1% 4k7", with the series: "--series E24 voltage_divider 12 ? ? =
    // 3.3"), or null for none. A solve carries no tolerances (the tool
    // refuses them with ?): they give each standard value's worst case.
    // A statistics question ("voltage_divider 12±5% 10k±1% 4k7 = 3.3±3%",
    // with samples "--mc 100000 ...") carries the tolerances and the window;
    // an option that does not read throws the grammar's RangeError.
    const question = ({ withSeries = false } = {}) => {
        const unknown = unknowns();
        const tolerance = state.tolerances();
        if (unknown.length === 0 && tolerances().every((t) => t === "")) return null;
        const kind = mode();
        const target = $("picker-target").value.trim();
        const options = kind === "statistics" ? mcOptions() : kind === "design" ? { ...partOptions(), ...mcOptions() }
            : withSeries && series() && unknown.length ? { series: series() } : {};
        const composed = calc.compose({
            keyword: state.formula.keyword,
            values: state.typedValues().map((v, i) => (unknown.includes(i) ? { unknown: true }
                : { number: v, tolerance: (kind !== "solve" && tolerance[i]) || null })),
            target: unknown.length || (kind === "statistics" && windowed(target)) ? { number: target } : null,
            options,
        });
        // Written back as the grammar writes it: "= 3.3+-3%" is "= 3.3±3%".
        const parsed = calc.parse(composed);
        return parsed.error ? composed : calc.compose(parsed);
    };
    state.tolerances = () => tolerances().map((t, i) => (toleranceProblem(t) || unknowns().includes(i) ? "" : t));
    // (While an option does not read, the address keeps the command.)
    state.question = () => {
        try {
            return question({ withSeries: true });
        } catch {
            return null;
        }
    };
    state.unknowns = unknowns;
    state.target = () => $("picker-target").value.trim();

    // What the module reads in a field, said beside it: "4k7" is 4.7 kΩ.
    const readField = (input, index, unit) => {
        const reading = $(`${input.id}-reading`);
        const { value, problem } = readValue(calc, input.value, state.formula.keyword, index);
        markField(input, problem);
        reading.textContent = problem ? "" : keepUnits(`read as ${calc.format(value, unit)}`);
        return !problem;
    };
    const readFields = () => state.fields.map((input, i) => (unknowns().includes(i)
        ? markField(input, "") : readField(input, i, state.formula.argumentUnits[i])));
    // The result wanted, read by the grammar against the result's unit: "1kHz" is 1 kHz.
    const readTarget = () => {
        const input = $("picker-target");
        const formula = state.formula;
        // A window: 3.3±3% (read as 3.3 V ± 3 %) or 3.2..3.4.
        const target = parsedTarget(input.value.trim());
        if (!unknowns().length || target?.form === "tolerance" || target?.form === "limits") {
            const f = (v) => calc.format(v, formula.unit);
            const reading = target?.form === "limits" && Number.isFinite(target.lowValue) && Number.isFinite(target.highValue)
                ? `${f(target.lowValue)} .. ${f(target.highValue)}`
                : target?.form === "tolerance" && Number.isFinite(target.reading) && target.toleranceValue !== null
                    ? `${f(target.reading)} ± ${target.tolerance} %` : "";
            const problem = reading || !windowed(input.value.trim()) ? "" : `'${input.value.trim()}' is no window on the result`;
            markField(input, problem);
            $("picker-target-reading").textContent = reading ? keepUnits(`read as ${reading}`)
                : problem ? "" : "a window on the result: 3.3±3% or 3.2..3.4";
            return !problem;
        }
        let { problem } = readValue(calc, input.value);
        let value = NaN;
        if (!problem || problem.includes("is not a number")) {
            value = calc.parse(calc.compose({ keyword: formula.keyword, values: formula.arguments.map(() => ({ unknown: true })),
                target: { number: input.value.trim() } })).target?.reading ?? NaN;
            problem = Number.isNaN(value) ? problem || `'${input.value.trim()}' is not a number` +
                (formula.unit ? `: the result is in ${formula.unit}` : "") : "";
        }
        markField(input, problem);
        $("picker-target-reading").textContent = problem ? "" : keepUnits(`read as ${calc.format(value, formula.unit)}`);
        return !problem;
    };

    const speak = (text) => {
        if (!silent) announce(text, { typing: !speakNow });
        speakNow = false;
    };
    const wait = (text) => {
        shown = "";
        showIn(output, element("span", { class: "waiting", text }));
        speak(text);
    };
    const showError = (answer) => {
        shown = answer.eng;
        showIn(output, element("span", { class: "error", text: keepUnits(answer.eng) }),
            ...answer.hints.map((h) => element("span", { class: "hint", text: h })));
        speak([answer.eng, ...answer.hints].join(". "));
    };

    // Each unknown given a standard value: its field takes it, and it is a value again.
    const use = (indices, values) => {
        const formula = state.formula;
        indices.forEach((index, k) => {
            const box = fieldBoxes()[index];
            box.querySelector(".unknown-toggle").checked = false;
            setUnknown(box, false);
            state.fields[index].value = fieldText(calc, values[k], formula.argumentUnits[index], formula.keyword, index);
        });
        speakNow = true;
        changed();
        state.fields[indices[0]].focus();
    };

    // The worst case of the result with a standard value in place of each
    // unknown, over the tolerances typed on the other values; null without any.
    const worstCase = (indices, values) => {
        const tolerance = state.tolerances();
        if (!tolerance.some((t, i) => t && !indices.includes(i))) return null;
        const typed = state.typedValues().map((v, i) => (indices.includes(i) ? String(values[indices.indexOf(i)]) : v));
        const range = calc.range(calc.compose({ keyword: state.formula.keyword,
            values: typed.map((v, i) => ({ number: v, tolerance: tolerance[i] || null })) }));
        return range.error ? "–" : keepUnits(`${calc.format(range.min, state.formula.unit)} .. ${calc.format(range.max, state.formula.unit)}`);
    };

    // Rows of standard values: the values, the result with them, its
    // deviation from the target, the worst case with tolerances, and a
    // button that puts them in the fields.
    // A design's rows bring their own worst case and further columns
    // (`extra`: [{ head, cells: [{ text, sort, node }] }]), and sort by column.
    const standardTable = (caption, indices, rows, extra = []) => {
        const formula = state.formula;
        const worst = rows.map((r) => r.worst ?? worstCase(indices, r.values));
        const banded = worst.some((w) => w !== null);
        const head = [...indices.map((i) => argumentName(formula.arguments[i]) + unitSuffix(formula.argumentUnits[i])),
            formula.label + unitSuffix(formula.unit), "Deviation", ...(banded ? ["Worst case"] : []),
            ...extra.map((c) => c.head), ""];
        const body = rows.map((r, k) => {
            const values = r.values.map((v, j) => keepUnits(calc.format(v, formula.argumentUnits[indices[j]])));
            const names = indices.map((i, j) => `${values[j]} for ${argumentName(formula.arguments[i])}`).join(" and ");
            const label = indices.length > 1 ? "Use these" : "Use this";
            const button = element("button", { type: "button", class: "use", "aria-label": `${label}: ${names}`, text: label });
            button.addEventListener("click", () => use(indices, r.values));
            const cell = (text, sort, node) => element("td", { text, "data-sort": String(sort) }, ...(node ? [node] : []));
            return element("tr", {}, ...values.map((v, j) => cell(v, r.values[j])),
                cell(keepUnits(calc.format(r.result, formula.unit)), r.result),
                cell(percent(r.deviation), Math.abs(r.deviation)),
                ...(banded ? [cell(worst[k] ?? "–", r.low ?? 0, r.bar)] : []),
                ...extra.map((c) => cell(c.cells[k].text, c.cells[k].sort, c.cells[k].node)),
                element("td", {}, button));
        });
        const table = element("table", {},
            element("caption", { text: caption }),
            element("thead", {}, element("tr", {}, ...head.map((h) => (h ? element("th", { scope: "col", text: h }) : element("td"))))),
            element("tbody", {}, ...body));
        // More than one row: each column sorts them, up and down in turn.
        if (rows.length > 1) {
            table.querySelectorAll("th").forEach((th, column) => {
                const sort = element("button", { type: "button", class: "sort", text: th.textContent });
                th.replaceChildren(sort);
                sort.addEventListener("click", () => {
                    const up = th.getAttribute("aria-sort") !== "ascending";
                    for (const other of table.querySelectorAll("th[aria-sort]")) other.removeAttribute("aria-sort");
                    th.setAttribute("aria-sort", up ? "ascending" : "descending");
                    const key = (tr) => Number(tr.cells[column].dataset.sort);
                    table.tBodies[0].append(...[...table.tBodies[0].rows].sort((a, b) => (key(a) - key(b)) * (up ? 1 : -1)));
                    announce(`Sorted by ${th.textContent}, ${up ? "ascending" : "descending"}.`);
                });
            });
        }
        // A narrow screen scrolls the table sideways; the keyboard reaches it too.
        return element("div", { class: "table-wrap standard", tabindex: "0", role: "region", "aria-label": caption }, table);
    };

    const showSolved = (command, unknown) => {
        const solved = calc.solve(command);
        if (!solved.error) state.solved.set(unknown, solved.solutions[0]);
        const field = state.fields[unknown];
        if (solved.error) {
            field.value = "";
            $(`${field.id}-reading`).textContent = "";
            return showError(solved);
        }
        field.value = keepUnits(`= ${solved.eng.slice(solved.argument.length + 3)}`);
        $(`${field.id}-reading`).textContent = "the solution";
        const parts = [element("span", { class: "eng", text: keepUnits(solved.eng) })];
        let line = solved;
        let spoken = solved.eng;
        if (series()) {
            line = calc.solve(command, series());
            const rows = line.standard.map((n) => ({ values: [n.value], result: n.result, deviation: n.deviation }));
            if (rows.length) {
                parts.push(standardTable(`${series()} values next to ${solved.argument}`, [unknown], rows));
                spoken += `; ${rows.length} ${series()} values in the table below`;
            }
        }
        shown = line.eng;
        showIn(output, ...parts, ...exactLine(line, "span"),
            ...line.hints.map((h) => element("span", { class: "hint", text: h })));
        speak(spoken);
    };

    const showPair = (command, unknown) => {
        const paired = calc.pairs(command, series());
        if (paired.error) return showError(paired);
        unknown.forEach((index, k) => {
            state.solved.set(index, paired.values[k]);
            state.fields[index].value = keepUnits(`= ${calc.format(paired.values[k], state.formula.argumentUnits[index])}`);
            $(`${state.fields[index].id}-reading`).textContent = `the ${series()} pair`;
        });
        shown = paired.eng;
        showIn(output, element("span", { class: "eng", text: keepUnits(paired.eng) }),
            standardTable(`The best ${series()} pair`, unknown,
                [{ values: paired.values, result: paired.result, deviation: paired.deviation }]),
            ...exactLine(paired, "span"), ...paired.hints.map((h) => element("span", { class: "hint", text: h })));
        speak(paired.eng);
    };

    const showRange = (command) => {
        const ranged = calc.range(command);
        if (ranged.error) return showError(ranged);
        shown = ranged.eng;
        showIn(output, element("span", { class: "eng", text: keepUnits(ranged.eng) }), ...exactLine(ranged, "span"),
            ...ranged.hints.map((h) => element("span", { class: "hint", text: h })));
        speak(ranged.eng);
    };

    // The Monte Carlo fields marked with an option's error line, by the
    // option it names; "" clears them.
    const markOptions = (line) => {
        const named = ["seed", ...DESIGN_OPTIONS].find((name) => line.includes(`--${name}`));
        for (const name of DESIGN_OPTIONS) markField($(`design-${name}`), named === name ? line : "");
        markField($("picker-seed"), named === "seed" ? line : "");
        markField($("picker-samples"), line && !named ? line : "");
    };

    // Values with tolerances and a window or samples: the statistics, drawn.
    const showStatistics = (command) => {
        let stats;
        try {
            stats = calc.monteCarlo(command, { samples: 0 });
        } catch (error) {
            return wait(error.message);
        }
        if (stats.error) return showError(stats);
        shown = stats.eng;
        showIn(output, element("span", { class: "eng long", text: keepUnits(stats.eng) }),
            ...statisticsView(calc, state.formula, stats, { keyword: state.formula.keyword }),
            ...exactLine(stats, "span"), ...stats.hints.map((h) => element("span", { class: "hint", text: h })));
        const caption = output.querySelector("figcaption");
        speak(caption ? caption.textContent : stats.eng);
    };

    // Unknowns and a window: the candidates that pass the worst case, each
    // drawn against the window, with its own samples' histogram when asked.
    const showDesign = (command, unknown) => {
        const designed = calc.design(command);
        if (designed.error) return showError(designed);
        const formula = state.formula;
        const { window, candidates } = designed;
        const f = (v) => keepUnits(calc.format(v, formula.unit));
        const low = Math.min(window.low, ...candidates.map((c) => c.min));
        const high = Math.max(window.high, ...candidates.map((c) => c.max));
        const sampled = designed.samples > 0;
        const question = calc.parse(command);
        const histogram = (c) => {
            const values = question.values.map((v, i) => (v.unknown ? { number: String(c.values[unknown.indexOf(i)]),
                tolerance: String(+(designed.tolerances[unknown.indexOf(i)] * 100).toPrecision(12)) } : v));
            const stats = calc.monteCarlo(calc.compose({ ...question, values }), { samples: 0 });
            return histogramSvg(calc, formula.unit, stats, { width: 160, compact: true });
        };
        const rows = candidates.map((c) => ({ values: c.values, result: c.nominal, deviation: c.deviation, low: c.min,
            worst: `${f(c.min)} .. ${f(c.max)}`, bar: rangeBar(c, window, low, high) }));
        const extra = [{ head: "Margin", cells: candidates.map((c) => ({ text: percent(c.margin).slice(1), sort: c.margin })) }];
        // The same parts in other decades, alike in every figure: one row names them.
        const decades = (values) => values.map((v, k) => keepUnits(calc.format(v, formula.argumentUnits[unknown[k]])));
        if (candidates.some((c) => c.also.length > 0)) {
            extra.push({ head: "Also", cells: candidates.map((c) => ({ text: c.also.map((vs) => decades(vs).join(" with ")).join(", "),
                sort: c.also.length })) });
        }
        if (sampled) {
            extra.push({ head: "Yield", cells: candidates.map((c) => ({ text: `${(c.yield * 100).toFixed(4)}%`, sort: c.yield, node: histogram(c) })) });
        }
        shown = designed.eng;
        showIn(output, element("span", { class: "eng long", text: keepUnits(designed.engLines[0]) }),
            standardTable(`${designed.passing} of ${designed.tried} candidates (every decade counted) pass, best first`, unknown, rows, extra),
            element("span", { class: "line", text: designed.line }),
            ...designed.hints.map((h) => element("span", { class: "hint", text: h })));
        speak(`${designed.engLines[0]} ${rows.length} in the table below.`);
    };

    // Solving, a standard pair or a worst-case range.
    const showQuestion = () => {
        const unknown = unknowns();
        const marked = readFields();
        const tolerated = [...$("fields").querySelectorAll(".tolerance")].map((t) => markField(t, toleranceProblem(t.value)));
        const targetValid = readTarget();
        for (const i of unknown) {
            state.fields[i].value = "";
            $(`${state.fields[i].id}-reading`).textContent = "";
        }
        if (![...marked, ...tolerated, targetValid].every(Boolean)) return wait("Correct the marked values to see the answer.");
        let command;
        try {
            command = question();
            markOptions("");
        } catch (error) {
            markOptions(error.message);
            return wait("Correct the marked values to see the answer.");
        }
        if (mode() === "statistics") return showStatistics(command);
        if (mode() === "design") return showDesign(command, unknown);
        if (unknown.length > 2 || (unknown.length === 2 && !series())) {
            return wait(unknown.length > 2 ? "Solve for one value, or for two of one kind with a series."
                : "Choose a series to find the best standard pair for the two values.");
        }
        if (unknown.length === 2) return showPair(command, unknown);
        if (unknown.length === 1) return showSolved(command, unknown[0]);
        return showRange(command);
    };

    // A result in ohms, farads or henries, with a series chosen, gains the
    // series' value nearest it.
    const nearestStandard = (command, formula) => {
        if (!series() || !PART_UNITS.includes(formula.unit)) return [];
        const value = calc.value(command);
        const standard = value > 0 ? calc.standardValues(value, series()) : null;
        if (!standard) return [];
        return [element("span", { class: "standard-nearest", text: keepUnits(`Nearest ${series()} value: ` +
            `${calc.format(standard.nearest, formula.unit)} (${percent((standard.nearest - value) / value)})`) })];
    };

    const showResult = () => {
        const asking = unknowns().length > 0;
        state.solved.clear();
        const toleranced = tolerances().some((t) => t !== "");
        $("picker-target-field").hidden = !asking && !toleranced;
        $("picker-target-name").textContent = asking ? "Wanted result" : "Result window";
        const designing = mode() === "design";
        $("picker-mc-field").hidden = asking ? !designing : !toleranced;
        $("design-parts").hidden = !designing;
        if (state.formula) $("picker-target-unit").textContent = unitSuffix(state.formula.unit);
        if (mode() !== "forward") return showQuestion();
        if (!readFields().every(Boolean)) return wait("Correct the marked values to see the result.");
        const answer = calc.evaluate(state.command());
        if (answer.kind !== "result") return showError({ ...answer, eng: answer.line });
        shown = answer.eng;
        const nearest = nearestStandard(state.command(), state.formula);
        showIn(output, element("span", { class: "eng", text: keepUnits(answer.eng) }),
            ...(answer.guarded ? [element("span", { class: "guard", text: answer.note })] : []),
            ...nearest, ...exactLine(answer, "span"));
        speak([answer.eng, ...(answer.guarded ? [answer.note] : []), ...nearest.map((n) => n.textContent)].join(". "));
    };

    // { samples, distribution, seed } as an address gives them; none: the defaults, off.
    const setMonteCarlo = (mc) => {
        $("picker-mc").checked = mc !== undefined;
        $("picker-samples").value = mc?.samples ?? "100000";
        $("picker-distribution").value = mc?.distribution ?? "uniform";
        $("picker-seed").value = mc?.seed ?? "1";
    };

    const showFormula = (keyword, values, asked = {}) => {
        const formula = calc.formulas.find((f) => f.keyword === keyword);
        select.value = keyword;
        $("formula-usage").textContent = formula.usage;
        $("formula-description").textContent = title(formula);
        $("picker-target").value = asked.window ?? asked.target ?? "";
        // An address sets the Monte Carlo fields, its own or the defaults.
        if (asked.unknowns !== undefined) setMonteCarlo(asked.mc);
        for (const name of DESIGN_OPTIONS) $(`design-${name}`).value = asked.design?.[name] ?? "";
        if (asked.series !== undefined) $("picker-series").value = asked.series;
        const fields = formula.arguments.map((_, i) => makeField(formula, i, values?.[i],
            { unknown: asked.unknowns?.includes(i), tolerance: asked.tolerances?.[i] ?? "" }));
        // index.html holds the first formula's fields as makeField writes them
        // (inactive until the module is ready): these take their place
        // exactly, so nothing moves when the module arrives.
        $("fields").replaceChildren(...fields);
        const inputs = fieldBoxes().map((f) => f.querySelector("input"));
        // The answer first, then the parts that follow the formula (the sweep).
        state.formula = formula;
        state.fields = inputs;
        showResult();
        state.setFormula(formula, inputs);
    };

    search.addEventListener("input", () => {
        const found = fillFormulaList(calc, search.value);
        const count = found.length === calc.formulas.length ? ""
            : found.length === 0 ? "No formula matches." : `${found.length} of ${calc.formulas.length} formulas match.`;
        $("formula-search-count").textContent = count;
        if (found.length && !found.includes(state.formula)) showFormula(found[0].keyword);
        else if (found.length) select.value = state.formula.keyword;
        // One announcement: how many match, and the formula now shown.
        if (count) announce(found.length ? `${count} ${title(state.formula)}.` : count, { typing: true });
    });
    select.addEventListener("change", () => {
        speakNow = true;
        showFormula(select.value);
    });
    const changed = () => {
        showResult();
        state.valuesChanged();
    };
    $("fields").addEventListener("input", changed);
    $("fields").addEventListener("change", (event) => {
        if (!event.target.classList.contains("unknown-toggle")) return;
        setUnknown(event.target.closest(".field"), event.target.checked);
        changed();
    });
    $("picker-target").addEventListener("input", changed);
    for (const id of ["picker-mc", "picker-distribution"]) {
        $(id).addEventListener("change", () => {
            speakNow = true;
            changed();
        });
    }
    for (const id of ["picker-samples", "picker-seed"]) $(id).addEventListener("input", changed);
    $("design-parts").addEventListener("input", changed);
    $("picker-series").addEventListener("change", () => {
        speakNow = true;
        changed();
    });
    $("copy-result").addEventListener("click", () => {
        if (shown) copyText(shown, $("copy-status"), "The result");
    });

    fillFormulaList(calc, "");
    return {
        // Shows a formula, with values or its examples, and what is asked of
        // it ({ unknowns, tolerances, target, series }); false for no formula.
        // `quietly`: the answer is shown, not spoken (the page's first formula).
        show(keyword, values, asked, { quietly = false } = {}) {
            if (!calc.formulas.some((f) => f.keyword === keyword)) return false;
            if (search.value) {
                search.value = "";
                fillFormulaList(calc, "");
                $("formula-search-count").textContent = "";
            }
            speakNow = true;
            silent = quietly;
            try {
                showFormula(keyword, values, asked);
            } finally {
                silent = false;
            }
            return true;
        },
        // The answer box, to bring into view.
        answer: output,
    };
}
