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

const STATISTICS_OPTIONS = ["mc", "seed", "distribution"];

// What the picker shows for `command`, read by the module's grammar:
// { keyword, values, asked } when it is one formula with one value per
// argument, each a value, a value with a tolerance or ? (then the result
// wanted after =); of the options at most a series for every kind along
// with a ?; or values with tolerances and a window after = or samples (the
// statistics, with their options). Else null, and the command line answers it.
export function pickerCommand(calc, command) {
    const question = calc.parse(command);
    const formula = calc.formulas.find((f) => f.keyword === question.formula);
    if (question.error || !formula || question.values.length !== formula.arguments.length) return null;
    const unknowns = question.values.flatMap((v, i) => (v.unknown ? [i] : []));
    const tolerances = question.values.map((v) => v.tolerance ?? "");
    const { target } = question;
    const names = Object.keys(question.options);
    const windowed = target !== null && target.form !== "value";
    if (unknowns.length === 0 && tolerances.some(Boolean) && (windowed || names.includes("mc"))) {
        if (names.some((name) => !STATISTICS_OPTIONS.includes(name))) return null;
        const { mc, seed, distribution } = question.options;
        return {
            keyword: formula.keyword,
            values: question.values.map((v) => v.number),
            asked: { unknowns, tolerances, window: windowed ? target.text : undefined, series: "",
                mc: mc === undefined ? undefined : { samples: mc, seed: seed ?? "1", distribution: distribution ?? "uniform" } },
        };
    }
    // Unknowns and a window: a design, with its parts' options and samples.
    if (windowed) {
        if (!unknowns.length || names.some((name) => !["series", "tolerance", "within", "top", ...STATISTICS_OPTIONS].includes(name))) return null;
        const { mc, seed, distribution } = question.options;
        return {
            keyword: formula.keyword,
            values: question.values.map((v) => (v.unknown ? undefined : v.number)),
            // A series for every kind is the picker's; per kind (R=E96,C=E12), the design's own.
            asked: { unknowns, tolerances, window: target.text, series: question.series ?? "",
                design: { ...question.options, series: question.series ? undefined : question.options.series },
                mc: mc === undefined ? undefined : { samples: mc, seed: seed ?? "1", distribution: distribution ?? "uniform" } },
        };
    }
    const others = names.filter((name) => name !== "series");
    const series = question.series ?? "";
    if (others.length || (question.options.series && !series)) return null;
    if ((unknowns.length > 0) !== (target !== null) || (series && unknowns.length === 0)) return null;
    return {
        keyword: formula.keyword,
        values: question.values.map((v) => (v.unknown ? undefined : v.number)),
        asked: { unknowns, tolerances, target: target?.number, series },
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
    // An address's answer is spoken and brought into view; true when there
    // was one.
    const open = () => {
        const command = fragmentCommand(location.hash);
        const picked = command === null ? null : pickerCommand(calc, command);
        if (picked && picker.show(picked.keyword, picked.values, picked.asked)) {
            picker.answer.scrollIntoView({ block: "nearest" });
            return true;
        }
        holding = command !== null;
        if (!state.formula) picker.show(start, undefined, undefined, { quietly: true });
        holding = false;
        if (command === null) return false;
        commandLine.run(command)?.scrollIntoView({ block: "nearest" });
        return true;
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
