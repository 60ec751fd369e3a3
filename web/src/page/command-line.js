// The command line: commands typed as at zorvane-calc's prompt, answers in a
// log that keeps the latest LOG_LIMIT entries, earlier commands recalled
// with Up and Down.
import { announce } from "./announce.js";
import { $, downloadLink, element, keepUnits, revokeLinks } from "./dom.js";
import { LIMIT, loadHistory, saveHistory } from "./history.js";

export const LOG_LIMIT = 200;

// Up and Down walk through earlier commands as a terminal does; the line
// being typed is kept and comes back below the newest one.
function attachHistory(input, history, onStoreFull) {
    let position = history.length;
    let draft = "";
    input.addEventListener("keydown", (event) => {
        if (event.key !== "ArrowUp" && event.key !== "ArrowDown") return;
        if (event.altKey || event.ctrlKey || event.metaKey || event.shiftKey) return;
        event.preventDefault();
        if (position === history.length) draft = input.value;
        position = event.key === "ArrowUp" ? Math.max(0, position - 1) : Math.min(history.length, position + 1);
        input.value = position === history.length ? draft : history[position];
        input.setSelectionRange(input.value.length, input.value.length);
    });
    return {
        remember(command) {
            if (command.trim() !== "" && history.at(-1) !== command) history.push(command);
            if (history.length > LIMIT) history.splice(0, history.length - LIMIT);
            const saved = saveHistory(history);
            if (saved < history.length) onStoreFull(saved);
            position = history.length;
            draft = "";
        },
    };
}

export function referenceLink(calc) {
    const bytes = calc.reference();
    return downloadLink(bytes, calc.referenceFileName, "text/plain;charset=windows-1252",
        `Download ${calc.referenceFileName} (${bytes.length.toLocaleString("en")} bytes)`);
}

// The module's own line, said to be that, with what a reader needs told
// about it (its "?" for the ohm sign).
export function exactLine(answer, tag = "p") {
    const line = element(tag, { class: "line" },
        element("span", { class: "visually-hidden", text: "The module's exact line: " }),
        element("samp", { text: answer.line }));
    if (!answer.lineNote) return [line];
    return [line, element(tag, { class: "line-note", text: `In the exact line, ${answer.lineNote}.` })];
}

function entry(command, kind) {
    return element("li", { class: `entry ${kind}` },
        element("p", { class: "typed" }, element("span", { class: "caret", "aria-hidden": "true", text: "> " }), command));
}

// With -e (answer.engineering) the tool prints the engineering line alone,
// and so does the log; an error line is the same either way.
function answerEntry(calc, command, answer) {
    const item = entry(command, answer.error ? "error" : "result");
    // A result and a question's answer of any kind: not an error, an empty
    // command or the reference written.
    const reading = !answer.error && answer.kind !== "empty" && answer.kind !== "reference_written";
    if (!answer.engineering || !reading) item.append(...exactLine(answer));
    // A result and a question's answer alike: the engineering reading.
    if (reading) item.append(element("p", { class: "eng", text: keepUnits(answer.eng) }));
    if (answer.guarded) item.append(element("p", { class: "guard", text: answer.note }));
    // "/help": the module wrote the file into its in-memory file system; the
    // page offers the same bytes as a download.
    if (answer.kind === "reference_written") item.append(element("p", {}, referenceLink(calc)));
    if (answer.hints.length) {
        item.append(element("ul", { class: "hints" }, ...answer.hints.map((h) => element("li", { text: h }))));
    }
    return item;
}

// What a screen reader says of a log entry: the answer without the command
// typed and without the module's exact line (the engineering reading says
// the same), or that a comment answers nothing.
function spoken(item) {
    const parts = [...item.children].filter((p) => !p.classList.contains("typed") &&
        !(p.classList.contains("line") && item.querySelector(".eng")));
    const text = parts.map((p) => p.textContent.trim()).filter(Boolean).join(". ");
    return text || "No answer: a comment.";
}

// Wide text scrolls sideways within the log; the keyboard reaches it too.
function scrollingText(text) {
    return element("pre", { tabindex: "0", text });
}

function promptWordEntry(calc, command, request) {
    const formula = calc.formulas.find((f) => f.keyword === request.name);
    // "help NAME" for a name that is no formula answers as zorvane-calc does:
    // the module's line for the name, with its hints ("did you mean ...?").
    if (request.word === "help_name" && !formula) return answerEntry(calc, command, calc.evaluate(request.name));
    const item = entry(command, "result");
    if (request.word === "quit") item.append(element("p", { text: "The page stays open; close its tab to leave." }));
    else if (request.word === "help") item.append(scrollingText(calc.helpSummary().trim()));
    else if (request.word === "help_name") item.append(scrollingText(formula.reference));
    // A comment answers with an empty line, as at zorvane-calc's prompt.
    return item;
}

// The prompt's words are zorvane-calc's (calc.promptWord); "clear" is the
// page's own. Anything else, "/help" included, is a command for the module.
function pageWord(calc, command) {
    if (/^\s*clear\s*$/i.test(command)) return { word: "clear" };
    return calc.promptWord(command);
}

export function setUpCommandLine(calc, { notice }) {
    const input = $("command");
    const log = $("log");
    const history = attachHistory(input, loadHistory(), (saved) => notice(saved === 0
        ? "Commands cannot be stored in this browser: the history lasts for this visit only."
        : `The browser's store is full: only the latest ${saved} commands are kept for next time.`));
    // The newest answer stays in view when the page's width changes.
    new ResizeObserver(() => (log.scrollTop = log.scrollHeight)).observe(log);

    const clear = () => {
        revokeLinks(log);
        log.replaceChildren();
    };
    const show = (item) => {
        log.append(item);
        while (log.children.length > LOG_LIMIT) {
            revokeLinks(log.firstElementChild);
            log.firstElementChild.remove();
        }
        log.scrollTop = log.scrollHeight;
    };
    const run = (command) => {
        history.remember(command);
        const request = pageWord(calc, command);
        if (request.word === "clear") {
            clear();
            announce("The answers are cleared.");
            return null;
        }
        // The tool's display options (-e, --plain) before a command are read as the tool reads them.
        const item = request.word === "none" ? answerEntry(calc, command, calc.command(command))
            : promptWordEntry(calc, command, request);
        show(item);
        announce(spoken(item));
        return item;
    };
    $("command-form").addEventListener("submit", (event) => {
        event.preventDefault();
        const command = input.value;
        input.value = "";
        run(command);
    });
    return { run };
}
