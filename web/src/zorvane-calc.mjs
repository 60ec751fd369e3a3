// The electronics calculator for JavaScript programs, in node 18+ and in
// browsers: the module's C++ compiled to WebAssembly (zorvane-calc.wasm,
// beside this file).
//
//   import { createCalculator } from "./zorvane-calc.mjs";
//   const calc = await createCalculator();
//   calc.line("power_vi 12 0.5");                    // "Power = 6.000000 W"
//   calc.eng("capacitor_time_constant_rc 1k 100p");  // "RC Time Constant = 100 ns"
//   calc.formulas;                                   // [{ keyword, category, arguments, unit, ... }]
//   calc.solve("voltage_divider 12 10k ? = 3.3");    // { argument: "r2", solutions: [3793.103448275862], ... }
//   calc.standardValues(3793, "E24");                // { below: 3600, above: 3900, nearest: 3900 }
//   calc.range("voltage_divider 12 10k±1% 4.7k");    // { value, min, max, line, eng }
//   calc.pairs("voltage_divider 12 ? ? = 3.3", "E24"); // { arguments: ["r1", "r2"], values: [24000, 9100], ... }
//
// This file only moves text in and out of the module's memory: every
// answer, rendering and hint is computed by the C++ behind it.
import createModule from "zorvane-calc-emscripten";

const wasmUrl = new URL("./zorvane-calc.wasm", import.meta.url);

function isNode() {
    return typeof process === "object" && typeof process.versions?.node === "string";
}

async function compileWasm() {
    if (isNode()) {
        const { readFile } = await import("node:fs/promises");
        return WebAssembly.compile(await readFile(wasmUrl));
    }
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
    // The index the module gives a series name; a name it does not know is
    // the caller's mistake.
    const seriesIndex = (series) => {
        const index = module._zc_series(text.utf8(String(series)));
        if (index < 0) throw new RangeError(`unknown series ${JSON.stringify(series)}: E3, E6, E12, E24, E48, E96 or E192`);
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
        // Everything one command gives a person: { kind, line, eng, hints }.
        // kind is "result", "empty", "invalid_number", "unknown_formula" or "too_long";
        // for a question (a value written ?, a target after =, a tolerance),
        // answered as zorvane-calc answers it, "answer" or "error".
        evaluate(command) {
            return JSON.parse(call("_zc_evaluate", text.utf8(String(command))));
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
        // after =: { error: false, argument ("r2"), index, unit, target,
        // solutions (increasing), line, eng, hints, evaluations, standard }, or
        // { error: true, line, eng, hints }. With a series ("E24"), `standard`
        // lists each solution's standard neighbours { value, result, deviation }
        // (deviation relative to the target) and the line names them.
        solve(command, series) {
            const none = series === undefined || series === null || series === "";
            const index = none ? -1 : seriesIndex(series);  // (before the command takes the buffer)
            return JSON.parse(call("_zc_solve", text.utf8(String(command)), index));
        },
        // The IEC 60063 values of a series next to a positive value:
        // { below, above, nearest }, or null for a value that has none.
        standardValues(value, series) {
            return JSON.parse(call("_zc_standard_values", Number(value), seriesIndex(series)));
        },
        // The worst-case range of a command whose values carry tolerances
        // (10k±1%, 10k+-1%): { error: false, value, min, max, line, eng, hints,
        // evaluations }, or { error: true, line, eng, hints }.
        range(command) {
            return JSON.parse(call("_zc_range", text.utf8(String(command))));
        },
        // Two values of one kind written ?: the pair of standard values of the
        // series whose result is nearest the target: { error: false, arguments
        // (["r1", "r2"]), indices, unit, values, result, target, deviation,
        // line, eng, hints, evaluations }, or { error: true, line, eng, hints }.
        pairs(command, series) {
            const index = seriesIndex(series);  // (before the command takes the buffer)
            return JSON.parse(call("_zc_pairs", text.utf8(String(command)), index));
        },
        // Values with tolerances and a spec window (= 3.3±3% or = 3.2..3.4), or
        // samples asked for: the worst case, the window's verdict, each
        // value's share of the variance and, with samples, a Monte Carlo run:
        // { kind: "statistics", value, worst, window, contributions, samples,
        // seed, distribution, mean, sd, min, max, percentiles, yield, ppm, cpk,
        // histogram: { edges, counts }, line, eng, hints }, or an error reply.
        // samples 0 runs none; the same seed gives the same numbers as
        // zorvane-calc --json on every platform.
        monteCarlo(command, { samples = 100000, distribution = "uniform", seed = 1 } = {}) {
            const count = Number(samples);
            if (count !== 0) {
                const problem = call("_zc_samples_problem", count);
                if (problem !== "") throw new RangeError(`samples ${JSON.stringify(samples)}: ${problem}`);
            }
            const spread = module._zc_distribution(text.utf8(String(distribution)));
            if (spread < 0) throw new RangeError(`unknown distribution ${JSON.stringify(distribution)}: uniform or normal`);
            const seedText = String(seed);
            if (!module._zc_seed_valid(text.utf8(seedText))) {
                throw new RangeError(`seed ${JSON.stringify(seedText)}: a whole number from 0 to 2^64 - 1`);
            }
            // The command takes the scratch buffer, so the seed (digits only,
            // checked above) goes into a buffer of its own.
            const seedCopy = module._malloc(seedText.length + 1);
            if (!seedCopy) throw new RangeError("out of memory in the calculator module");
            try {
                for (let i = 0; i < seedText.length; ++i) module.HEAPU8[seedCopy + i] = seedText.charCodeAt(i);
                module.HEAPU8[seedCopy + seedText.length] = 0;
                return JSON.parse(call("_zc_monte_carlo", text.utf8(String(command)), count, spread, seedCopy));
            } finally {
                module._free(seedCopy);
            }
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
