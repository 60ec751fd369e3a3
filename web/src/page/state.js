// The current formula and its values: the picker changes them, the sweep
// and the address follow. The one place the page holds them.
export class FormulaState {
    constructor() {
        this.formula = null;
        this.fields = [];
        this.formulaListeners = [];
        this.valueListeners = [];
        // The question the picker asks, as the tool takes it, or null (the picker sets it).
        this.question = () => null;
        // Each value's tolerance in percent, "" for none (the picker sets it).
        this.tolerances = () => this.fields.map(() => "");
        // The indices of the values being solved for (the picker sets it).
        this.unknowns = () => [];
        // The result wanted after "=", as typed (the picker sets it).
        this.target = () => "";
        // Each unknown's solution (a standard pair's value), by index (the picker sets it).
        this.solved = new Map();
    }

    onFormula(listener) {
        this.formulaListeners.push(listener);
    }

    onValues(listener) {
        this.valueListeners.push(listener);
    }

    // A new formula with its fields (the inputs of its values, in order).
    setFormula(formula, fields) {
        this.formula = formula;
        this.fields = fields;
        for (const listener of this.formulaListeners) listener(formula);
    }

    valuesChanged() {
        for (const listener of this.valueListeners) listener();
    }

    // The values as typed; an unknown's as typed before it became one.
    typedValues() {
        return this.fields.map((input) => (input.readOnly ? input.dataset.typed ?? "" : input.value).trim());
    }

    // The values to compute with: an unknown's is its solution.
    values() {
        return this.typedValues().map((v, i) => (this.solved.has(i) ? String(this.solved.get(i)) : v));
    }

    // True when every value but the one at `except` is valid, and an
    // unknown has its solution.
    valid(except = -1) {
        return this.fields.every((input, i) => i === except ||
            (input.readOnly ? this.solved.has(i) : input.getAttribute("aria-invalid") !== "true"));
    }

    // The formula with its values, as the tool takes it.
    command() {
        return [this.formula.keyword, ...this.typedValues()].join(" ");
    }

    // What the picker shows, as the tool takes it: its question, or the command.
    shown() {
        return this.question() ?? this.command();
    }
}
