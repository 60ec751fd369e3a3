// Small DOM helpers the parts of the page share.
import { announce } from "./announce.js";

export const $ = (id) => document.getElementById(id);

export function element(tag, attributes = {}, ...children) {
    const node = document.createElement(tag);
    for (const [name, value] of Object.entries(attributes)) {
        if (name === "text") node.textContent = value;
        else node.setAttribute(name, value);
    }
    node.append(...children);
    return node;
}

// "<inner_diameter>" as a label: "inner diameter".
export function argumentName(argument) {
    return argument.replace(/^<|>$/g, "").replaceAll("_", " ");
}

export function unitSuffix(unit) {
    return unit ? ` (${unit})` : "";
}

// Marks a field with what is wrong with its value (its element
// "<id>-problem" says it), or clears the mark for "". True when valid.
export function markField(input, problem) {
    const message = document.getElementById(`${input.id}-problem`);
    input.setAttribute("aria-invalid", problem ? "true" : "false");
    message.textContent = problem;
    message.hidden = !problem;
    return !problem;
}

// A number and its unit stay on one line: the space between them becomes
// a no-break space. The units are the module's own (every result's and
// argument's), each with an optional SI prefix.
let unitPattern = null;

export function learnUnits(formulas) {
    const units = new Set(formulas.flatMap((f) => [f.unit, ...f.argumentUnits]).filter(Boolean));
    const escaped = [...units].sort((a, b) => b.length - a.length).map((u) => u.replace(/[.*+?^${}()|[\]\\/]/g, "\\$&"));
    unitPattern = new RegExp(`(\\d) (?=[pnµmkMGT]?(?:${escaped.join("|")})(?![\\p{L}\\d]))`, "gu");
}

export function keepUnits(text) {
    return unitPattern ? text.replace(unitPattern, "$1\u00a0") : text;
}

// Text crosses into the module zero-terminated, so a control character
// would cut a value short or hide in it: no value holds one.
const CONTROL = /[\u0000-\u001f\u007f-\u009f]/u;

// One value as the module reads it in a field: { value, problem }.
export function readValue(calc, text, keyword = "", argument = -1) {
    const control = CONTROL.exec(text);
    if (control) {
        const code = control[0].codePointAt(0).toString(16).toUpperCase().padStart(4, "0");
        return { value: NaN, problem: `a control character (U+${code}) is not part of a value` };
    }
    return calc.read(text, keyword, argument);
}

export function valueProblem(calc, text, keyword = "", argument = -1) {
    return readValue(calc, text, keyword, argument).problem;
}

// Checks a field as one value of a command; true when valid.
export function checkField(calc, input, keyword = "", argument = -1) {
    return markField(input, valueProblem(calc, input.value, keyword, argument));
}

// A link offering bytes as a file. Its object URL holds the bytes until
// revokeLinks() releases it.
export function downloadLink(bytes, name, type, text) {
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    return element("a", { href: url, download: name, class: "download", text });
}

// Releases the object URLs of the download links within `root`.
export function revokeLinks(root) {
    for (const link of root.querySelectorAll("a[download]")) {
        if (link.href.startsWith("blob:")) URL.revokeObjectURL(link.href);
    }
}

// Saves bytes as a file at once, and releases them.
export function download(bytes, name, type) {
    const link = downloadLink(bytes, name, type, name);
    link.hidden = true;
    document.body.append(link);
    link.click();
    link.remove();
    // The download has its own copy once started.
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// Copies text, saying so in `status` and to a screen reader.
export async function copyText(text, status, what) {
    try {
        await navigator.clipboard.writeText(text);
        status.textContent = `${what} copied.`;
    } catch {
        status.textContent = `${what} could not be copied: select it and copy it by hand.`;
    }
    announce(status.textContent);
}
