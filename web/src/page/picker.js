// The formula picker: formulas listed by what people read and found by
// typing, one field per value, the result as the values are typed.
import { exampleValue } from "../examples.js";
import { $, argumentName, checkField, copyText, element, markField, unitSuffix } from "./dom.js";
import { exactLine } from "./command-line.js";

// The screen reader hears the result once typing pauses, not per keystroke.
const ANNOUNCE_AFTER_MS = 700;

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

function makeField(formula, index, value, { unknown = false, tolerance = "" } = {}) {
    const argument = formula.arguments[index];
    const unit = formula.argumentUnits[index];
    const name = argumentName(argument);
    const id = `argument-${index}`;
    const problemId = `${id}-problem`;
    const input = element("input", {
        id, type: "text", spellcheck: "false", autocapitalize: "off", autocorrect: "off",
        "aria-describedby": problemId, "data-argument": argument,
    });
    input.value = value ?? exampleValue(argument, unit);
    input.disabled = unknown;
    const toggle = element("input", { type: "checkbox", class: "unknown-toggle", "data-index": String(index) });
    toggle.checked = unknown;
    const toleranceInput = element("input", {
        id: `${id}-tolerance`, type: "text", class: "tolerance", inputmode: "decimal", spellcheck: "false",
        placeholder: "± %", "aria-describedby": `${id}-tolerance-problem`,
    });
    toleranceInput.value = tolerance;
    return element("div", { class: "field" },
        element("label", { for: id }, name, element("span", { class: "unit", text: unitSuffix(unit) })),
        input,
        element("p", { id: problemId, class: "problem", hidden: "" }),
        element("div", { class: "field-extra" },
            element("label", { class: "unknown" }, toggle, ` solve for ${name}`),
            element("label", { for: `${id}-tolerance`, class: "visually-hidden", text: `Tolerance of ${name} in percent` }),
            toleranceInput),
        element("p", { id: `${id}-tolerance-problem`, class: "problem", hidden: "" }));
}

export function setUpPicker(calc, state) {
    const select = $("formula");
    const search = $("formula-search");
    const output = $("picker-result");
    const announcer = $("picker-announce");
    let announceTimer = 0;
    let shown = "";

    const announce = (text) => {
        clearTimeout(announceTimer);
        announceTimer = setTimeout(() => (announcer.textContent = text), ANNOUNCE_AFTER_MS);
    };

    const unknowns = () => [...$("fields").querySelectorAll(".unknown-toggle")].filter((t) => t.checked)
        .map((t) => Number(t.dataset.index));
    const tolerances = () => [...$("fields").querySelectorAll(".tolerance")].map((t) => t.value.trim());

    // A tolerance field's problem, in the grammar's words; none when empty.
    const toleranceProblem = (text) => (text.trim() === "" ? "" : calc.toleranceProblem(text.trim()));

    // The question the fields ask, composed by the module's grammar as the
    // tool takes it ("voltage_divider 12 10k ? = 3.3", "voltage_divider 12
    // 10k±1% 4k7", with the series: "--series E24 voltage_divider 12 ? ? =
    // 3.3"), or null for none.
    const question = ({ withSeries = false } = {}) => {
        const unknown = unknowns();
        const tolerance = tolerances();
        if (unknown.length === 0 && tolerance.every((t) => t === "")) return null;
        const series = $("picker-series").value;
        return calc.compose({
            keyword: state.formula.keyword,
            values: state.values().map((v, i) => (unknown.includes(i) ? { unknown: true }
                : { number: v, tolerance: tolerance[i] || null })),
            target: unknown.length ? { number: $("picker-target").value.trim() } : null,
            options: withSeries && series && unknown.length ? { series } : {},
        });
    };
    state.tolerances = () => tolerances().map((t, i) => (toleranceProblem(t) || unknowns().includes(i) ? "" : t));
    state.question = () => question({ withSeries: true });

    const showAnswer = (answer) => {
        shown = answer.eng;
        if (answer.error) {
            output.replaceChildren(element("span", { class: "error", text: answer.eng }),
                ...answer.hints.map((h) => element("span", { class: "hint", text: h })));
            announce([answer.eng, ...answer.hints].join(". "));
            return;
        }
        output.replaceChildren(element("span", { class: "eng", text: answer.eng }), ...exactLine(answer, "span"),
            ...answer.hints.map((h) => element("span", { class: "hint", text: h })));
        announce(answer.eng);
    };

    // Solving, a standard pair or a worst-case range.
    const showQuestion = () => {
        const unknown = unknowns();
        const target = $("picker-target");
        const series = $("picker-series").value;
        const marked = state.fields.map((input, i) => unknown.includes(i) ? markField(input, "") : checkField(calc, input));
        const tolerated = [...$("fields").querySelectorAll(".tolerance")].map((t) => markField(t, toleranceProblem(t.value)));
        const targetValid = unknown.length === 0 || checkField(calc, target);
        if (![...marked, ...tolerated, targetValid].every(Boolean)) {
            shown = "";
            output.replaceChildren(element("span", { class: "waiting", text: "Correct the marked values to see the answer." }));
            announce("Correct the marked values to see the answer.");
            return;
        }
        const command = question();
        if (unknown.length > 2 || (unknown.length === 2 && !series)) {
            shown = "";
            const text = unknown.length > 2 ? "Solve for one value, or for two of one kind with a series."
                : "Choose a series to find the best standard pair for the two values.";
            output.replaceChildren(element("span", { class: "waiting", text }));
            announce(text);
            return;
        }
        showAnswer(unknown.length === 2 ? calc.pairs(command, series)
            : unknown.length === 1 ? calc.solve(command, series || undefined)
            : calc.range(command));
    };

    const showResult = () => {
        const asking = unknowns().length > 0;
        $("picker-target-field").hidden = !asking;
        if (state.formula) $("picker-target-unit").textContent = unitSuffix(state.formula.unit);
        if (question() !== null) return showQuestion();
        const valid = state.fields.map((input) => checkField(calc, input)).every(Boolean);
        if (!valid) {
            shown = "";
            output.replaceChildren(element("span", { class: "waiting", text: "Correct the marked values to see the result." }));
            announce("Correct the marked values to see the result.");
            return;
        }
        const answer = calc.evaluate(state.command());
        if (answer.kind !== "result") {
            shown = answer.line;
            output.replaceChildren(element("span", { class: "error", text: answer.line }),
                ...answer.hints.map((h) => element("span", { class: "hint", text: h })));
            announce([answer.line, ...answer.hints].join(". "));
            return;
        }
        shown = answer.eng;
        output.replaceChildren(element("span", { class: "eng", text: answer.eng }),
            ...(answer.guarded ? [element("span", { class: "guard", text: answer.note })] : []),
            ...exactLine(answer, "span"));
        announce(answer.guarded ? `${answer.eng}. ${answer.note}` : answer.eng);
    };

    const showFormula = (keyword, values, asked = {}) => {
        const formula = calc.formulas.find((f) => f.keyword === keyword);
        select.value = keyword;
        $("formula-usage").textContent = formula.usage;
        $("formula-description").textContent = title(formula);
        $("picker-target").value = asked.target ?? "";
        if (asked.series !== undefined) $("picker-series").value = asked.series;
        const fields = formula.arguments.map((_, i) => makeField(formula, i, values?.[i],
            { unknown: asked.unknowns?.includes(i), tolerance: asked.tolerances?.[i] ?? "" }));
        $("fields").replaceChildren(...fields);
        const inputs = fields.map((f) => f.querySelector("input"));
        for (const input of inputs) checkField(calc, input);
        state.setFormula(formula, inputs);
        showResult();
    };

    search.addEventListener("input", () => {
        const found = fillFormulaList(calc, search.value);
        $("formula-search-count").textContent = found.length === calc.formulas.length ? ""
            : found.length === 0 ? "No formula matches." : `${found.length} of ${calc.formulas.length} formulas match.`;
        if (found.length === 0) return;
        if (found.includes(state.formula)) select.value = state.formula.keyword;
        else showFormula(found[0].keyword);
    });
    select.addEventListener("change", () => showFormula(select.value));
    const changed = () => {
        showResult();
        state.valuesChanged();
    };
    $("fields").addEventListener("input", changed);
    $("fields").addEventListener("change", (event) => {
        if (!event.target.classList.contains("unknown-toggle")) return;
        const input = state.fields[Number(event.target.dataset.index)];
        input.disabled = event.target.checked;
        changed();
    });
    $("picker-target").addEventListener("input", changed);
    $("picker-series").addEventListener("change", changed);
    $("copy-result").addEventListener("click", () => {
        if (shown) copyText(shown, $("copy-status"), "The result");
    });

    fillFormulaList(calc, "");
    return {
        // Shows a formula, with values or its examples, and what is asked of
        // it ({ unknowns, tolerances, target, series }); false for no formula.
        show(keyword, values, asked) {
            if (!calc.formulas.some((f) => f.keyword === keyword)) return false;
            if (search.value) {
                search.value = "";
                fillFormulaList(calc, "");
                $("formula-search-count").textContent = "";
            }
            showFormula(keyword, values, asked);
            return true;
        },
    };
}
