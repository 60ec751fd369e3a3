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

// What the picker shows for `command`: { keyword, values, asked } when it
// is one formula with one value per argument, each a value, a value with a
// tolerance ("10k±1%") or "?" (then "= target" at the end, and optionally
// "--series E24" before it); else null.
export function pickerCommand(calc, command) {
    let tokens = command.trim().split(/ +/);
    let series = "";
    if (tokens[0] === "--series" && tokens.length > 1) {
        series = tokens[1].toUpperCase();
        tokens = tokens.slice(2);
    }
    const [name, ...rest] = tokens;
    const formula = calc.formulas.find((f) => f.keyword === name?.toLowerCase());
    if (!formula) return null;
    const equals = rest.indexOf("=");
    const values = equals < 0 ? rest : rest.slice(0, equals);
    const target = equals < 0 ? undefined : rest.slice(equals + 1).join(" ");
    if (values.length !== formula.arguments.length) return null;
    const unknowns = values.flatMap((v, i) => (v === "?" ? [i] : []));
    if ((unknowns.length > 0) !== (target !== undefined) || (series && unknowns.length === 0)) return null;
    const tolerances = values.map((v) => /^(.+)\u00b1(\d+(?:\.\d+)?)%$/.exec(v)?.[2] ?? "");
    return {
        keyword: formula.keyword,
        values: values.map((v, i) => (v === "?" ? undefined : tolerances[i] ? v.slice(0, v.lastIndexOf("\u00b1")) : v)),
        asked: { unknowns, tolerances, target, series },
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
