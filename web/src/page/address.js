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

// A formula's keyword and values when `command` is exactly that (any case,
// one value per argument), else null.
function pickerCommand(calc, command) {
    const [name, ...values] = command.trim().split(/ +/);
    const formula = calc.formulas.find((f) => f.keyword === name?.toLowerCase());
    return formula && values.length === formula.arguments.length ? { keyword: formula.keyword, values } : null;
}

export function setUpAddress(calc, state, { picker, commandLine, start }) {
    let written = location.hash;
    let holding = false;
    const follow = () => {
        if (holding || !state.formula) return;
        const fragment = commandFragment(state.command());
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
        if (picked) return picker.show(picked.keyword, picked.values);
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
