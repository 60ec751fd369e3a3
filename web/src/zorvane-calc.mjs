// The electronics calculator for JavaScript programs, in node 18+ and in
// browsers: the module's C++ compiled to WebAssembly (zorvane-calc.wasm,
// beside this file).
//
//   import { createCalculator } from "./zorvane-calc.mjs";
//   const calc = await createCalculator();
//   calc.line("power_vi 12 0.5");                    // "Power = 6.000000 W"
//   calc.eng("capacitor_time_constant_rc 1k 100p");  // "RC Time Constant = 100 ns"
//   calc.formulas;                                   // [{ keyword, category, arguments, unit, ... }]
//   calc.command("-e capacitor_reactance 1k 1u").shown;  // "Capacitive Reactance = 159.155 Ω"
//   calc.solve("voltage_divider 12 10k ? = 3.3");    // { argument: "r2", solutions: [3793.103448275862], ... }
//   calc.standardValues(3793, "E24");                // { below: 3600, above: 3900, nearest: 3900 }
//   calc.range("voltage_divider 12 10k±1% 4.7k");    // { value, min, max, line, eng }
//   calc.pairs("voltage_divider 12 ? ? = 3.3", "E24"); // { arguments: ["r1", "r2"], values: [24000, 9100], ... }
//   calc.design("voltage_divider 12±1% ? ? = 3.3±3%", { series: "E96" });  // { candidates: [{ values, nominal, min, max, margin }], ... }
//   calc.parse("--series E24 voltage_divider 12 10k+-1% ? = 3.3");  // { keyword, values, target, options, ... }
//   calc.compose(calc.parse("voltage_divider 12 10k ?=3.3"));       // "voltage_divider 12 10k ? = 3.3"
//
// This file only moves text in and out of the module's memory: every
// answer, rendering and hint is computed by the C++ behind it.
import createModule from "zorvane-calc-emscripten";
import { readWasmFile } from "./wasm-file.mjs";

const wasmUrl = new URL("./zorvane-calc.wasm", import.meta.url);

function isNode() {
    return typeof process === "object" && typeof process.versions?.node === "string";
}

async function compileWasm() {
    if (isNode()) return WebAssembly.compile(await readWasmFile(wasmUrl));
    try {
        return await WebAssembly.compileStreaming(fetch(wasmUrl));
    } catch {
        // A server that sends .wasm without its media type.
        const response = await fetch(wasmUrl);
        if (!response.ok) throw new Error(`${wasmUrl}: ${response.status} ${response.statusText}`);
        return WebAssembly.compile(await response.arrayBuffer());
    }
}

// Text in and out of the module's memory through one scratch buffer that
// grows as needed.
class ModuleText {
    constructor(module) {
        this.module = module;
        this.encoder = new TextEncoder();
        this.decoder = new TextDecoder();
        this.buffer = 0;
        this.capacity = 0;
    }

    reserve(bytes) {
        if (bytes > this.capacity) {
            if (this.buffer) this.module._free(this.buffer);
            this.capacity = Math.max(bytes, 2 * this.capacity, 1024);
            this.buffer = this.module._malloc(this.capacity);
            if (!this.buffer) throw new RangeError("out of memory in the calculator module");
        }
        return this.buffer;
    }

    // Zero-terminated UTF-16 code units, exactly the string's own (lone
    // surrogates included), as a native host passes them.
    utf16(text) {
        const at = this.reserve(2 * (text.length + 1));
        const units = this.module.HEAPU16;
        const first = at >> 1;
        for (let i = 0; i < text.length; ++i) units[first + i] = text.charCodeAt(i);
        units[first + text.length] = 0;
        return at;
    }

    readUtf16(at) {
        const units = this.module.HEAPU16;
        let end = at >> 1;
        while (units[end] !== 0) ++end;
        return String.fromCharCode(...units.subarray(at >> 1, end));
    }

    utf8(text) {
        const bytes = this.encoder.encode(text);
        const at = this.reserve(bytes.length + 1);
        this.module.HEAPU8.set(bytes, at);
        this.module.HEAPU8[at + bytes.length] = 0;
        return at;
    }

    readUtf8(at) {
        const bytes = this.module.HEAPU8;
        const end = bytes.indexOf(0, at);
        return this.decoder.decode(bytes.subarray(at, end));
    }
}

function makeCalculator(module) {
    const text = new ModuleText(module);
    const call = (name, ...args) => text.readUtf8(module[name](...args));
    const formulas = Object.freeze(JSON.parse(call("_zc_formulas")).map((f) => Object.freeze(f)));
    // One value as a field holds it, read by the C++: { value, problem }.
    const readValue = (value, keyword, argument) => {
        const row = formulas.findIndex((f) => f.keyword === keyword);
        const reading = JSON.parse(
            call("_zc_read_value", text.utf8(String(value)), row, row < 0 ? -1 : argument));
        return { value: reading.value ?? NaN, problem: reading.problem };
    };
    const seriesNames = Object.freeze(JSON.parse(call("_zc_series_names")));
    // Every command is answered once, by the C++ that answers zorvane-calc
    // --json: its answer of its own kind. `kind` asks for that kind's own
    // answer where the command asks another (solve() of a range question
    // says why it is no solve). An option that does not read throws.
    const ask = (command, { options = {}, kind = "", expand = true } = {}) => {
        const request = JSON.stringify({ command: String(command), options, kind, expand });
        const answer = JSON.parse(call("_zc_answer", text.utf8(request)));
        if (answer.optionError !== undefined) throw new RangeError(answer.optionError);
        return answer;
    };
    // The index the module gives a series name; a name it does not know is
    // the caller's mistake.
    const seriesIndex = (series) => {
        const index = module._zc_series(text.utf8(String(series)));
        if (index < 0) {
            throw new RangeError(`unknown series ${JSON.stringify(series)}: ${seriesNames.join(", ")}`);
        }
        return index;
    };

    return Object.freeze({
        // The module's own line for one command: ElectronicsCalc, nothing added.
        line(command) {
            return text.readUtf16(module._ElectronicsCalc(text.utf16(String(command))));
        },
        // The command with SI prefixes and IEC 60062 codes expanded, its value
        // in engineering notation: zorvane-calc --eng's line.
        eng(command) {
            return this.evaluate(command).eng;
        },
        // Everything one command gives a person: { kind, line, eng, hints, ... }.
        // kind is "result", "empty", "invalid_number", "unknown_formula" or "too_long";
        // a question (a value written ?, a target after =, a tolerance) is
        // answered as zorvane-calc --json answers it, of its own kind: "solve",
        // "range", "pair", "statistics", "design", or "error".
        evaluate(command) {
            return ask(command);
        },
        // Any command answered as zorvane-calc --json answers it, with the
        // tool's options beside it ({ series: "E24", mc: 1000, seed: "7" },
        // each a text or a whole number): one object of the command's own
        // kind. An option that does not read throws a RangeError with its
        // error line.
        answer(command, options = {}) {
            return ask(command, { options: options ?? {} });
        },
        // A command line as zorvane-calc's words: leading -e (--eng) and
        // --plain are the tool's options, read by its own option table, and
        // the rest is answered as the tool answers it with them: evaluate()'s
        // reply with `command` (the rest), `engineering`, `plain` and
        // `shown`, the line zorvane-calc prints (the ohm sign where the
        // module's line has its "?").
        command(line) {
            return JSON.parse(call("_zc_command", text.utf8(String(line))));
        },
        // What a line typed at a prompt asks for, as zorvane-calc's prompt
        // reads it: { word, name } with word "quit" ("quit", "exit"), "help"
        // ("help", "?"), "help_name" ("help NAME", name lower-cased) or "none"
        // for a command, in any case.
        promptWord(line) {
            return JSON.parse(call("_zc_prompt_word", text.utf8(String(line))));
        },
        // The result of a command with the input notation as a number, NaN
        // when the command gives no result.
        value(command) {
            return module._zc_value(text.utf8(String(command)));
        },
        // Why a text cannot stand as one value ("'1,5' is not a number: write
        // 1.5"), or "" when it can. With a keyword and an argument's place
        // (0 for the first), the value may carry that argument's unit.
        valueProblem(value, keyword = "", argument = -1) {
            return readValue(value, keyword, argument).problem;
        },
        // One value as typed into a field: { value, problem }, value NaN and
        // problem saying why where the text is no value, problem "" where it
        // is. With a keyword and an argument's place (0 for the first), the
        // value may carry that argument's unit.
        read(value, keyword = "", argument = -1) {
            return readValue(value, keyword, argument);
        },
        // A command as the module receives it from eng() and evaluate():
        // expand("ohms_current 12 4k7") is "ohms_current 12 4700".
        expand(command) {
            return call("_zc_expand", text.utf8(String(command)));
        },
        // One value as a number, SI prefixes and resistor codes read exactly
        // as in a command: number("4k7") is 4700. NaN where valueProblem()
        // has something to say. (The same reading as the hints', in C++.)
        number(value, keyword = "", argument = -1) {
            const reading = readValue(value, keyword, argument);
            return reading.problem === "" ? reading.value : NaN;
        },
        // A number in engineering notation with a unit: format(1500, "Hz") is "1.5 kHz".
        format(value, unit = "") {
            return call("_zc_format", Number(value), text.utf8(String(unit)));
        },
        // Solves for the value written ? so that the formula gives the result
        // after =: { kind: "solve", error: false, argument ("r2"), index, unit, target,
        // solutions (increasing), line, eng, hints, evaluations, standard }, or
        // { kind: "error", error: true, line, eng, hints }. With a series ("E24"), `standard`
        // lists each solution's standard neighbours { value, result, deviation }
        // (deviation relative to the target) and the line names them.
        solve(command, series) {
            const none = series === undefined || series === null || series === "";
            const options = none ? {} : { series: seriesNames[seriesIndex(series)] };
            return ask(command, { options, kind: "solve" });
        },
        // The IEC 60063 values of a series next to a positive value:
        // { below, above, nearest }, or null for a value that has none.
        standardValues(value, series) {
            return JSON.parse(call("_zc_standard_values", Number(value), seriesIndex(series)));
        },
        // The worst-case range of a command whose values carry tolerances
        // (10k±1%, 10k+-1%): { kind: "range", error: false, value, min, max, line, eng, hints,
        // evaluations }, or { kind: "error", error: true, line, eng, hints }.
        range(command) {
            return ask(command, { kind: "range" });
        },
        // Two values of one kind written ?: the pair of standard values of the
        // series whose result is nearest the target: { kind: "pair", error: false, arguments
        // (["r1", "r2"]), indices, unit, values, result, target, deviation,
        // line, eng, hints, evaluations }, or { kind: "error", error: true, line, eng, hints }.
        pairs(command, series) {
            return ask(command, { options: { series: seriesNames[seriesIndex(series)] }, kind: "pair" });
        },
        // A design: the standard parts whose worst case lies inside the window
        // after "=" ("--series E96 voltage_divider 12±5% ? ? = 3.3±3%"), ranked.
        // `options` as the tool's: { series, tolerance, within, top }, each a
        // text ("E96", "1%", "1k..100k") or per kind ({ R: "E96", C: "E12" });
        // top a number. An option that does not read throws a RangeError
        // with its error line.
        design(command, options = {}) {
            const words = {};
            for (const [name, value] of Object.entries(options ?? {})) {
                if (value === undefined || value === null) continue;
                words[name] = typeof value === "object"
                    ? Object.entries(value).map(([kind, one]) => `${kind}=${one}`).join(",")
                    : String(value);
            }
            return ask(command, { options: words, kind: "design" });
        },
        // A question read by the module's grammar, as the tool reads it:
        // { error, hints, keyword, formula, values: [{ number, unknown,
        // reading, tolerance, toleranceValue, toleranceProblem }], target,
        // options: { series: "E24", ... }, series }. error is "" when it reads.
        parse(command) {
            return JSON.parse(call("_zc_parse", text.utf8(String(command))));
        },
        // The canonical command of a question given as parts, the shape parse()
        // gives (texts only; a value may be a string): compose({ keyword:
        // "voltage_divider", values: ["12", { number: "10k", tolerance: "1" },
        // { unknown: true }], target: { number: "3.3" }, options: { series:
        // "E24" } }) is "--series E24 voltage_divider 12 10k±1% ? = 3.3". An
        // option that does not read throws a RangeError with its error line.
        compose(question) {
            const composed = JSON.parse(call("_zc_compose", text.utf8(JSON.stringify(question))));
            if (composed.error) throw new RangeError(composed.error);
            return composed.command;
        },
        // Why a tolerance's text (what stands between ± and %) is no
        // percentage, or "" when it is one.
        toleranceProblem(percent) {
            return call("_zc_tolerance_problem", text.utf8(String(percent)));
        },
        // Values with tolerances and a result window (= 3.3±3% or = 3.2..3.4), or
        // samples asked for: the worst case, the window's verdict, each
        // value's share of the variance and, with samples, a Monte Carlo run:
        // { kind: "statistics", value, worst, window, contributions, samples,
        // seed, distribution, mean, sd, min, max, percentiles, yield, ppm, cpk,
        // histogram: { edges, counts }, line, eng, hints }, or an error reply;
        // seed as its digits ("6131790410650751224"), exact past 2^53.
        // samples 0 runs none; the same seed gives the same numbers as
        // zorvane-calc --json on every platform.
        monteCarlo(command, { samples = 100000, distribution = "uniform", seed = 1 } = {}) {
            // The options are read by the question grammar, as the tool's are.
            const options = { seed: String(seed), distribution: String(distribution) };
            const count = Number(samples);
            if (count !== 0) options.mc = Number.isFinite(count) ? count : String(samples);
            return ask(command, { options, kind: "statistics" });
        },
        // A statistics answer's histogram as every host draws it (the tool's
        // text bars, a notebook's SVG): { bars: [{ left, right, count, height,
        // window }], worst: { left, right }, window: null or { left, right,
        // edges } }, places fractions of the drawing's width, heights of the
        // tallest bar; no bars without samples.
        histogramFigure(statistics) {
            const { histogram = null, window = null } = statistics ?? {};
            return JSON.parse(call("_zc_histogram_figure", text.utf8(JSON.stringify({ histogram, window }))));
        },
        helpSummary() {
            return call("_zc_help_summary");
        },
        // The reference file electronics_formulas.txt, its exact bytes (Windows-1252).
        reference() {
            const at = module._zc_reference();
            return module.HEAPU8.slice(at, at + module._zc_reference_size());
        },
        referenceFileName: "electronics_formulas.txt",
        formulas,
        // The IEC 60063 series the questions take: ["E3", "E6", ... "E192"].
        seriesNames,
    });
}

export async function createCalculator() {
    const wasm = await compileWasm();
    let fail;
    const failure = new Promise((resolve, reject) => (fail = reject));
    const module = await Promise.race([
        createModule({
            instantiateWasm(imports, receive) {
                WebAssembly.instantiate(wasm, imports).then((instance) => receive(instance, wasm), fail);
                return {};
            },
            onAbort: (what) => fail(new Error(`calculator module aborted: ${what}`)),
        }),
        failure,
    ]);
    return makeCalculator(module);
}
