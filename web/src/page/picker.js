// The formula picker: formulas listed by what people read and found by
// typing, one field per value, the result as the values are typed.
import { exampleValue } from "../examples.js";
import { $, argumentName, checkField, copyText, element, unitSuffix } from "./dom.js";
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

function makeField(formula, index, value) {
    const argument = formula.arguments[index];
    const unit = formula.argumentUnits[index];
    const id = `argument-${index}`;
    const problemId = `${id}-problem`;
    const input = element("input", {
        id, type: "text", spellcheck: "false", autocapitalize: "off", autocorrect: "off",
        "aria-describedby": problemId, "data-argument": argument,
    });
    input.value = value ?? exampleValue(argument, unit);
    return element("div", { class: "field" },
        element("label", { for: id }, argumentName(argument), element("span", { class: "unit", text: unitSuffix(unit) })),
        input,
        element("p", { id: problemId, class: "problem", hidden: "" }));
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

    const showResult = () => {
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

    const showFormula = (keyword, values) => {
        const formula = calc.formulas.find((f) => f.keyword === keyword);
        select.value = keyword;
        $("formula-usage").textContent = formula.usage;
        $("formula-description").textContent = title(formula);
        const fields = formula.arguments.map((_, i) => makeField(formula, i, values?.[i]));
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
    $("fields").addEventListener("input", () => {
        showResult();
        state.valuesChanged();
    });
    $("copy-result").addEventListener("click", () => {
        if (shown) copyText(shown, $("copy-status"), "The result");
    });

    fillFormulaList(calc, "");
    return {
        // Shows a formula, with values or its examples; false for no formula.
        show(keyword, values) {
            if (!calc.formulas.some((f) => f.keyword === keyword)) return false;
            if (search.value) {
                search.value = "";
                fillFormulaList(calc, "");
                $("formula-search-count").textContent = "";
            }
            showFormula(keyword, values);
            return true;
        },
    };
}
