// Small DOM helpers the parts of the page share.

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

// Marks a field with what is wrong with its value (its aria-describedby
// element says it), or clears the mark for "". True when valid.
export function markField(input, problem) {
    const message = document.getElementById(input.getAttribute("aria-describedby"));
    input.setAttribute("aria-invalid", problem ? "true" : "false");
    message.textContent = problem;
    message.hidden = !problem;
    return !problem;
}

// Text crosses into the module zero-terminated, so a control character
// would cut a value short or hide in it: no value holds one.
const CONTROL = /[\u0000-\u001f\u007f-\u009f]/u;

export function valueProblem(calc, text) {
    const control = CONTROL.exec(text);
    if (control) {
        const code = control[0].codePointAt(0).toString(16).toUpperCase().padStart(4, "0");
        return `a control character (U+${code}) is not part of a value`;
    }
    return calc.valueProblem(text);
}

// Checks a field as one value of a command; true when valid.
export function checkField(calc, input) {
    return markField(input, valueProblem(calc, input.value));
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

// Copies text, saying so in `status` (a live element).
export async function copyText(text, status, what) {
    try {
        await navigator.clipboard.writeText(text);
        status.textContent = `${what} copied.`;
    } catch {
        status.textContent = `${what} could not be copied: select it and copy it by hand.`;
    }
}
