// The address holds the state: its fragment is the command line as the
// tool takes it, URI-encoded ("#power_vi%2012%200.5"). It follows the picker
// in place, without a history entry per keystroke; opening such an address
// shows that command again.
import { $, copyText } from "./dom.js";

// The command a fragment holds, or null for none (or one that is no text).
export function fragmentCommand(hash) {
    if (hash.length <= 1) return null;
    try {
        return decodeURIComponent(hash.slice(1));
    } catch {
        return null;
    }
}

export function commandFragment(command) {
    return `#${encodeURIComponent(command)}`;
}

// What the picker shows for `command`, read by the module's grammar:
// { keyword, values, asked } when it is one formula with one value per
// argument, each a value, a value with a tolerance or ? (then the result
// wanted after =), and of the options at most a series for every kind along
// with a ?; else null, and the command line answers it.
export function pickerCommand(calc, command) {
    const question = calc.parse(command);
    const formula = calc.formulas.find((f) => f.keyword === question.formula);
    if (question.error || !formula || question.values.length !== formula.arguments.length) return null;
    const unknowns = question.values.flatMap((v, i) => (v.unknown ? [i] : []));
    const { target } = question;
    if (target?.form !== undefined && target.form !== "value") return null;
    const others = Object.keys(question.options).filter((name) => name !== "series");
    const series = question.series ?? "";
    if (others.length || (question.options.series && !series)) return null;
    if ((unknowns.length > 0) !== (target !== null) || (series && unknowns.length === 0)) return null;
    return {
        keyword: formula.keyword,
        values: question.values.map((v) => (v.unknown ? undefined : v.number)),
        asked: { unknowns, tolerances: question.values.map((v) => v.tolerance ?? ""), target: target?.number, series },
    };
}

export function setUpAddress(calc, state, { picker, commandLine, start }) {
    let written = location.hash;
    let holding = false;
    const follow = () => {
        if (holding || !state.formula) return;
        const fragment = commandFragment(state.shown());
        if (fragment === location.hash) return;
        history.replaceState(history.state, "", fragment);
        written = fragment;
    };
    // What the address asks for: a formula with its values in the picker,
    // anything else (options, a solve, a range) on the command line, where
    // the address keeps it until the picker changes.
    const open = () => {
        const command = fragmentCommand(location.hash);
        const picked = command === null ? null : pickerCommand(calc, command);
        if (picked) return picker.show(picked.keyword, picked.values, picked.asked);
        holding = command !== null;
        if (!state.formula) picker.show(start);
        holding = false;
        if (command !== null) commandLine.run(command);
    };
    addEventListener("hashchange", () => {
        if (location.hash !== written) open();
    });
    $("copy-link").addEventListener("click", () => {
        follow();
        copyText(location.href, $("copy-status"), "The link");
    });
    state.onFormula(follow);
    state.onValues(follow);
    return { open };
}
