// The site's calculator module in node: the shared vectors and the random
// commands through calc.line must give the lines of the native library;
// eng, hints, the formula list and the reference file must be what the
// tool gives; the site must be complete and small.
//
//   ZORVANE_SITE=build/wasm/site ZORVANE_RANDOM_VECTORS=... node --test tests/web/node_test.mjs
import assert from "node:assert/strict";
import { createHash } from "node:crypto";
import { readFileSync, readdirSync } from "node:fs";
import { join } from "node:path";
import { pathToFileURL } from "node:url";
import { isDeepStrictEqual } from "node:util";
import { test } from "node:test";
import { gzipSync } from "node:zlib";

const root = new URL("../../", import.meta.url).pathname;
const site = process.env.ZORVANE_SITE ?? join(root, "build/wasm/site");
const randomVectors = process.env.ZORVANE_RANDOM_VECTORS;
const solveVectors = process.env.ZORVANE_SOLVE_VECTORS;
const { createCalculator } = await import(pathToFileURL(join(site, "zorvane-calc.mjs")));
const calc = await createCalculator();

// ---- The shared vector files: "command <TAB> expected", escapes \t \\ \uXXXX ----

function decodeField(field) {
    return field.replace(/\\(t|\\|u([0-9A-Fa-f]{4}))/g, (all, kind, hex) =>
        kind === "t" ? "\t" : kind === "\\" ? "\\" : String.fromCharCode(parseInt(hex, 16)));
}

function loadVectors(path) {
    return readFileSync(path, "utf8").split("\n").flatMap((line, i) => {
        if (line === "" || line.startsWith("#")) return [];
        const platformDependent = line.startsWith("~");
        const fields = line.slice(platformDependent ? 1 : 0).split("\t");
        assert.equal(fields.length, 2, `${path}:${i + 1} needs exactly one tab`);
        return [{ where: `${path}:${i + 1}`, command: decodeField(fields[0]), expected: decodeField(fields[1]), platformDependent }];
    });
}

// A platform-dependent line may differ from glibc's only where pow or log10
// round their last bit: past the fifteenth significant digit.
function samePast15thDigit(line, expected) {
    const number = (text) => Number(text.split(" = ")[1]?.split(" ")[0]);
    const [a, b] = [number(line), number(expected)];
    return line.replace(/= \S+/, "") === expected.replace(/= \S+/, "") &&
        Number.isFinite(a) && Math.abs(a - b) <= Math.abs(b) * 5e-15;
}

function runVectors(vectors) {
    const wrong = [];
    let exact = 0;
    let past15 = 0;
    for (const v of vectors) {
        const line = calc.line(v.command);
        if (line === v.expected) ++exact;
        else if (v.platformDependent && samePast15thDigit(line, v.expected)) ++past15;
        else wrong.push(`${v.where}: ${JSON.stringify(v.command)} gave ${JSON.stringify(line)}, expected ${JSON.stringify(v.expected)}`);
    }
    console.log(`${exact} exact, ${past15} differ past the 15th digit, ${wrong.length} wrong`);
    assert.deepEqual(wrong.slice(0, 20), []);
}

test("the shared vectors through calc.line give the native lines", () => {
    const files = ["commands.tsv", "formulas.tsv", "table_conversion.tsv"];
    const vectors = files.flatMap((f) => loadVectors(join(root, "tests/vectors", f)));
    assert.ok(vectors.length > 200);
    runVectors(vectors);
});

// The questions every platform answers alike: calc.solve's lines are the
// reference model's, as the native solver's are.
test("the shared solve vectors through calc.solve give the reference model's lines", () => {
    const vectors = loadVectors(join(root, "tests/vectors", "solve.tsv"));
    assert.ok(vectors.length > 250);
    const wrong = vectors.flatMap((v) => {
        const line = calc.solve(v.command).line;
        return line === v.expected ? [] : [`${v.where}: ${JSON.stringify(v.command)} gave ${JSON.stringify(line)}, expected ${JSON.stringify(v.expected)}`];
    });
    assert.deepEqual(wrong.slice(0, 20), []);
});

test("the random commands through calc.line give the reference model's lines", { skip: !randomVectors }, () => {
    const vectors = loadVectors(randomVectors);
    assert.equal(vectors.length, 40000);
    runVectors(vectors);
});

test("calc.line passes the command as it is: no notation, the module's own characters", () => {
    const cases = [
        ["power_vi 12 0.5", "Power = 6.000000 W"],
        ["capacitor_reactance 1000 0.000001", "Capacitive Reactance = 159.154943 ?"],
        ["capacitor_reactance 1k 1u", "Error: Invalid number '1k'"],
        ["junction_temperature 25 2 10", "Junction Temperature = 45.000000 \u00b0C"],
        ["", ""],
        [" /HELP ", "Help file 'electronics_formulas.txt' created successfully!"],
        [`power_vi 1 ${"1".repeat(247)}`, "Error: Command longer than 255 characters"],
        ["power_vi 12 0.5\u0000ignored", "Power = 6.000000 W"],
    ];
    for (const [command, expected] of cases) assert.equal(calc.line(command), expected, command);
});

// ---- eng: the tool's input notation and engineering rendering ----

// Expected text worked out by hand from the formulas (6 significant digits).
test("calc.eng reads SI prefixes and resistor codes and renders engineering values", () => {
    const cases = [
        ["capacitor_time_constant_rc 1k 100p", "RC Time Constant = 100 ns"],
        ["ohms_current 3.3 10M", "Current = 330 nA"],
        ["capacitor_reactance 1k 1u", "Capacitive Reactance = 159.155 \u03a9"],
        ["resonant_frequency_lc 1m 1u", "Resonant Frequency = 5.03292 kHz"],
        ["power_vi 12 0.5", "Power = 6 W"],
        ["resistors_parallel 4k7 10k", "Parallel Resistance = 3.19728 k\u03a9"],
        ["ohms_voltage 1m5 2R2", "Voltage = 3.3 mV"],
        ["capacitors_parallel 4n7 300p", "Parallel Capacitance = 5 nF"],
        ["q_factor_rlc 10 1m 1µ", "Q Factor = 3.16228"],
        ["gain_db 10", "Gain = 20 dB"],
        ["db_to_power_ratio 600", "Power Ratio = 1e+60"],
        ["ohms_current 12 0", "Current = 0 A"],
        ["ohms_curent 12 1k", "Error: Unknown formula 'ohms_curent' or insufficient parameters"],
        ["ohms_current 1K 5", "Error: Invalid number '1K'"],
    ];
    for (const [command, expected] of cases) assert.equal(calc.eng(command), expected, command);
});

test("calc.evaluate gives the kind, both lines and the tool's hints", () => {
    const cases = [
        ["power_vi 12 0.5", "result", "Power = 6.000000 W", []],
        ["ohms_curent 12 1k", "unknown_formula", "Error: Unknown formula 'ohms_curent' or insufficient parameters", ["ohms_current"]],
        ["ohms_current 12", "unknown_formula", "Error: Unknown formula 'ohms_current' or insufficient parameters", ["<voltage> <resistance>"]],
        ["ohms_current 1,5 1k", "invalid_number", "Error: Invalid number '1,5'", ["1.5"]],
        ["ohms_current 12 1k 5", "result", "Current = 0.012000 A", ["ignored"]],
        ["   ", "empty", "", []],
        [`power_vi 1 ${"1".repeat(300)}`, "too_long", "Error: Command longer than 255 characters", []],
        ["/help", "reference_written", "Help file 'electronics_formulas.txt' created successfully!", []],
    ];
    const errors = new Set(["unknown_formula", "invalid_number", "too_long"]);
    for (const [command, kind, line, hintWords] of cases) {
        const answer = calc.evaluate(command);
        assert.equal(answer.kind, kind, command);
        assert.equal(answer.error, errors.has(kind), command);
        assert.equal(answer.line, line, command);
        assert.equal(answer.hints.length > 0, hintWords.length > 0, `${command}: ${answer.hints}`);
        for (const word of hintWords) assert.ok(answer.hints.join("\n").includes(word), `${command}: ${answer.hints}`);
    }
});

// A guard's answer is no physical result: the module says which value
// divided by zero. The exact line's "?" is the ohm sign, and says so.
test("calc.evaluate says where a zero guard answered and what the exact line's ? is", () => {
    const ohm = "the ? at the end is the ohm sign \u03a9, which the module's character set lacks";
    const cases = [
        ["capacitor_reactance 0 100n", true, "frequency is 0: the formula divides by zero, and the module answers 0", ohm],
        ["resistors_parallel 0 0", true, "r1 and r2 are 0: the formula divides by zero, and the module answers 0", ohm],
        ["ohms_current 12 0.0", true, "resistance is 0: the formula divides by zero, and the module answers 0", ""],
        ["impedance_rc 1k 0 1n", true, "frequency is 0: the formula divides by zero there, and the module counts that part as 0", ohm],
        ["ohms_current 0 12", false, "", ""],
        ["capacitor_reactance 1k 100n", false, "", ohm],
        ["ohms_current 12 x", false, "", ""],
    ];
    for (const [command, guarded, note, lineNote] of cases) {
        const answer = calc.evaluate(command);
        assert.deepEqual([answer.guarded, answer.note, answer.lineNote], [guarded, note, lineNote], command);
    }
});

test("calc.promptWord reads the prompt's words as zorvane-calc does", () => {
    const cases = [
        [" QUIT ", { word: "quit", name: "" }],
        ["Exit", { word: "quit", name: "" }],
        ["?", { word: "help", name: "" }],
        ["help Ohms_Current", { word: "help_name", name: "ohms_current" }],
        ['help "\u00c4\\', { word: "help_name", name: '"\u00c4\\' }],
        ["help ohms_current 12", { word: "none", name: "" }],
        ["/help", { word: "none", name: "" }],
        ["clear", { word: "none", name: "" }],
        [" \t# power_vi 1 2", { word: "comment", name: "" }],
        ["power_vi 1 2 # no comment", { word: "none", name: "" }],
    ];
    for (const [line, expected] of cases) assert.deepEqual(calc.promptWord(line), expected, line);
});

test("fields: a value is checked as a command would read it, and read exactly", () => {
    assert.equal(calc.valueProblem("4k7"), "");
    assert.equal(calc.valueProblem("-2.5e-3"), "");
    assert.equal(calc.valueProblem(" "), "enter a value");
    assert.equal(calc.valueProblem("1 2"), "one value per field");
    assert.match(calc.valueProblem("1,5"), /'1,5' is not a number.*1\.5/);
    assert.match(calc.valueProblem("10 k"), /10k/);
    assert.match(calc.valueProblem("12V"), /'12V' is not a number/);
    assert.equal(calc.number("4k7"), 4700);
    assert.equal(calc.number("4n7"), 4.7e-9);
    assert.equal(calc.number("100µ"), 1e-4);
    assert.equal(calc.number("2R2"), 2.2);
    assert.ok(Number.isNaN(calc.number("1,5")));
    assert.equal(calc.valueProblem("1 1"), "one value per field");
    assert.equal(calc.number("10kΩ", "ohms_current", 1), 10000);
    assert.ok(Number.isNaN(calc.number("10kΩ")));
    assert.match(calc.valueProblem("12A", "ohms_current", 0), /'12A' is not a number: <voltage> is in V/);
    assert.equal(calc.expand("ohms_current 12 4k7"), "ohms_current 12 4700");
    assert.equal(calc.value("capacitor_reactance 1k 1u"), 1 / (1000 * 0.000001 * 6.28318530718));
    for (const command of ["nosuch 1", "", "   ", "/help", "power_vi 1 x"]) {
        assert.ok(Number.isNaN(calc.value(command)), JSON.stringify(command));  // no result, no number
    }
});

test("calc.format renders a value of any unit as a result of that unit", () => {
    const cases = [
        [1500, "Hz", "1.5 kHz"],
        [999999.7, "Hz", "1 MHz"],
        [4.7e-9, "F", "4.7 nF"],
        [0.25, "A", "250 mA"],
        [0, "\u03a9", "0 \u03a9"],
        [1e-15, "F", "1e-15 F"],
        [-20, "dB", "-20 dB"],
        [0.0015, "", "0.0015"],
    ];
    for (const [value, unit, expected] of cases) assert.equal(calc.format(value, unit), expected, `${value} ${unit}`);
});

// ---- The formula table and the reference file ----

test("calc.formulas is the table: every formula the reference file lists, with its arguments", () => {
    const reference = readFileSync(join(root, "tests/golden/electronics_formulas.txt"), "latin1");
    const listed = reference.split("\n").filter((l) => /^ {2}[a-z]/.test(l))
        .map((l) => l.trim().split(/ +- /)[0].split(" "));
    assert.equal(calc.formulas.length, 50);
    assert.deepEqual(calc.formulas.map((f) => [f.keyword, ...f.arguments]), listed);
    assert.equal(new Set(calc.formulas.map((f) => f.category)).size, 12);
    for (const f of calc.formulas) {
        assert.equal(f.argumentUnits.length, f.arguments.length, f.keyword);
        assert.equal(f.usage, [f.keyword, ...f.arguments].join(" "));
        assert.ok(f.reference.startsWith(f.usage), f.keyword);
    }
    const reactance = calc.formulas.find((f) => f.keyword === "capacitor_reactance");
    assert.deepEqual([reactance.label, reactance.unit, reactance.argumentUnits], ["Capacitive Reactance", "\u03a9", ["Hz", "F"]]);
    // The page's prose has the symbols the module's character set lacks.
    const prose = Object.fromEntries(calc.formulas.map((f) => [f.keyword, f.description]));
    assert.equal(prose.capacitor_reactance, "Reactance (Xc = 1/2\u03c0fC)");
    assert.equal(prose.inductor_reactance, "Reactance (XL = 2\u03c0fL)");
    assert.equal(prose.capacitor_energy, "Energy stored (E = \u00bdCV\u00b2)");
    assert.deepEqual(calc.formulas.filter((f) => f.description.includes("?")), []);
});

test("calc.reference is the reference file byte for byte, and the help summary names /help", () => {
    const golden = readFileSync(join(root, "tests/golden/electronics_formulas.txt"));
    assert.deepEqual(Buffer.from(calc.reference()), golden);
    assert.equal(calc.referenceFileName, "electronics_formulas.txt");
    assert.match(calc.helpSummary(), /Type '\/help' to create a complete help file/);
});

// ---- The site ----

test("the site is complete, lists itself for offline use and stays under 250 KB gzipped", () => {
    const files = readdirSync(site).sort();
    for (const needed of ["index.html", "page.js", "style.css", "zorvane-calc.mjs", "zorvane-calc.wasm",
        "manifest.webmanifest", "sw.js", "icon.svg", "icon-192.png", "icon-512.png", "licenses.txt"]) {
        assert.ok(files.includes(needed), needed);
    }
    // Every file with the hash of its bytes; "./" is index.html.
    const worker = readFileSync(join(site, "sw.js"), "utf8");
    const cached = JSON.parse(worker.match(/const FILES = (\[.*\]);/)[1]);
    assert.deepEqual(cached.map(([file]) => file), ["./", ...files.filter((f) => f !== "sw.js")]);
    for (const [file, sha256] of cached) {
        const bytes = readFileSync(join(site, file === "./" ? "index.html" : file));
        assert.equal(sha256, createHash("sha256").update(bytes).digest("hex"), file);
    }
    const manifest = JSON.parse(readFileSync(join(site, "manifest.webmanifest"), "utf8"));
    for (const icon of manifest.icons) {
        const bytes = readFileSync(join(site, icon.src));
        if (icon.type !== "image/png") continue;
        const [width, height] = icon.sizes.split("x").map(Number);
        assert.deepEqual([bytes.readUInt32BE(16), bytes.readUInt32BE(20)], [width, height], icon.src);
    }
    const html = readFileSync(join(site, "index.html"), "utf8");
    assert.doesNotMatch(html + worker, /https?:\/\//, "nothing is fetched from another origin");
    // No control acts before the module is ready.
    const controls = html.match(/<(input|select|button)\b[^>]*>/g);
    assert.ok(controls.length > 10);
    assert.deepEqual(controls.filter((c) => !/\sdisabled[\s>]/.test(c)), []);
    assert.match(html, /<noscript>/);
    const gzipped = files.reduce((sum, f) => sum + gzipSync(readFileSync(join(site, f)), { level: 9 }).length, 0);
    console.log(`site: ${gzipped} bytes gzipped`);
    assert.ok(gzipped < 250 * 1024, `${gzipped} bytes gzipped`);
});

// ---- The page's stored history ----

test("stored history keeps the newest commands that fit, and says how many", async () => {
    globalThis.location = { href: "http://127.0.0.1/calc/index.html" };
    const { saveHistory } = await import(pathToFileURL(join(root, "web/src/page/history.js")));
    const store = (capacity) => ({
        items: new Map(),
        setItem(key, value) {
            if (value.length > capacity) throw new DOMException("full", "QuotaExceededError");
            this.items.set(key, value);
        },
    });
    const history = Array.from({ length: 250 }, (_, i) => `ohms_voltage ${i} 2`);
    // The most of the newest that a store of `capacity` characters holds.
    const most = (capacity) => {
        let k = 200;
        while (k > 0 && JSON.stringify(history.slice(-k)).length > capacity) --k;
        return k;
    };
    for (const capacity of [1e6, 2000, 500, 10]) {
        const storage = store(capacity);
        const kept = saveHistory(history, storage);
        const saved = JSON.parse(storage.items.get("zorvane-calc-history:/calc/") ?? "[]");
        assert.deepEqual(saved, kept ? history.slice(-kept) : [], `${capacity}`);
        // Dropping a quarter at a time keeps at least three quarters of what fits.
        assert.ok(kept <= most(capacity) && kept >= Math.floor(0.75 * most(capacity)), `${capacity}: ${kept}`);
    }
    assert.equal(most(1e6), 200);
    assert.equal(most(10), 0);
});

// ---- Questions: the same answers as zorvane-calc, worked out by hand ----

test("calc.solve finds every solution and writes the tool's lines", () => {
    const solved = calc.solve("voltage_divider 12 10k ? = 3.3");
    assert.equal(solved.error, false);
    assert.equal(solved.argument, "r2");
    assert.equal(solved.unit, "\u03a9");
    // 12 * r2 / (10000 + r2) is 3.3 exactly at this double.
    assert.deepEqual(solved.solutions, [3793.103448275862]);
    assert.equal(12 * solved.solutions[0] / (10000 + solved.solutions[0]), 3.3);
    assert.equal(solved.line, "r2 = 3793.103448275862 \u03a9");
    assert.equal(solved.eng, "r2 = 3.7931 k\u03a9");
    assert.ok(solved.evaluations > 0 && solved.evaluations < 1600, `${solved.evaluations}`);

    const twice = calc.solve("impedance_rlc_series 10 ? 1m 1u = 50");
    assert.equal(twice.solutions.length, 2);
    for (const f of twice.solutions) {
        const x = f * 0.001 * 6.28318530718 - 1 / ((f * 0.000001) * 6.28318530718);
        assert.ok(Math.abs(Math.sqrt(x * x + 100) - 50) < 1e-12, `${f}`);
    }
    assert.deepEqual(calc.solve("power_i2r ? 100 = 1").solutions, [-0.1, 0.1]);

    const neighbours = calc.solve("voltage_divider 12 10k ? = 3.3", "e24");
    assert.deepEqual(neighbours.standard.map((n) => n.value), [3600, 3900]);
    assert.equal(neighbours.standard[0].result, 12 * 3600 / 13600);
    assert.equal(neighbours.line, "r2 = 3793.103448275862 \u03a9; E24: 3600 \u03a9 \u2192 3.176471 V (-3.74%), 3900 \u03a9 \u2192 3.366906 V (+2.03%)");

    const none = calc.solve("voltage_divider 12 10k ? = 15");
    assert.deepEqual([none.error, none.line, none.hints],
        [true, "Error: No r2 gives Output Voltage = 15 V", ["Output Voltage stays between 0 and 12 V for any r2"]]);
    assert.equal(calc.solve("power_vi 12A ? = 1").line, "Error: Invalid number '12A'");
    // Nothing written ?: an error reply, and the module goes on answering.
    for (const command of ["power_vi 12 0.5", "power_vi 12\u00b11% 0.5"]) {
        assert.deepEqual(calc.solve(command, "E24"), { kind: "error", error: true, line: "Error: Solving needs a value written ? and the result wanted after '='",
            eng: "Error: Solving needs a value written ? and the result wanted after '='", evaluations: 0, hints: [] });
    }
    assert.equal(calc.evaluate("power_vi 12 0.5").line, "Power = 6.000000 W");
    assert.throws(() => calc.solve("power_vi 12 ? = 1", "E25"), RangeError);
});

test("calc.standardValues, calc.range and calc.pairs", () => {
    assert.deepEqual(calc.standardValues(3793, "E24"), { below: 3600, above: 3900, nearest: 3900 });
    assert.deepEqual(calc.standardValues(9.2, "E192"), { below: 9.2, above: 9.2, nearest: 9.2 });
    assert.equal(calc.standardValues(0, "E12"), null);
    assert.throws(() => calc.standardValues(1, "X7"), RangeError);
    // The one list of names, and the declarations' Series type holds each.
    assert.deepEqual(calc.seriesNames, ["E3", "E6", "E12", "E24", "E48", "E96", "E192"]);
    const declared = readFileSync(join(root, "web/npm/zorvane-calc.d.ts"), "utf8")
        .match(/^export type Series = (.*);$/m)[1].split(" | ").map((name) => JSON.parse(name));
    assert.deepEqual(declared, [...calc.seriesNames, ...calc.seriesNames.map((n) => n.toLowerCase())]);
    for (const name of calc.seriesNames) assert.equal(calc.standardValues(1, name).nearest, 1);

    const range = calc.range("voltage_divider 12 10k\u00b11% 4.7k");
    assert.equal(range.error, false);
    assert.equal(range.value, 12 * 4700 / 14700);  // the nominal values' result
    assert.equal(range.min, 12 * 4700 / 14800);
    assert.equal(range.max, 12 * 4700 / 14600);
    assert.equal(range.line, "Output Voltage = 3.836735 V (3.810811 .. 3.863014 V)");
    assert.equal(range.eng, "Output Voltage = 3.83673 V (3.81081 .. 3.86301 V)");
    assert.equal(calc.range("power_vi 1 2").error, true);

    const pair = calc.pairs("voltage_divider 12 ? ? = 3.3", "E24");
    assert.deepEqual([pair.arguments, pair.values, pair.unit], [["r1", "r2"], [24000, 9100], "\u03a9"]);
    // The unknowns in the order written, whichever comes first.
    const share = calc.pairs("current_divider 0.1 ? ? = 0.025", "E12");
    assert.deepEqual([share.arguments, share.indices], [["r1", "r2"], [1, 2]]);
    assert.equal(0.1 * share.values[1] / (share.values[0] + share.values[1]), share.result);
    assert.equal(pair.line, "r1 = 24000 \u03a9, r2 = 9100 \u03a9 (Output Voltage = 3.299094 V, -0.03%)");
    assert.equal(calc.pairs("voltage_divider ? 10k ? = 3", "E24").error, true);

    // evaluate and eng answer questions as zorvane-calc does.
    assert.equal(calc.eng("voltage_divider 12 10k ? = 3.3"), "r2 = 3.7931 k\u03a9");
    assert.equal(calc.evaluate("voltage_divider 12 10k ?").kind, "error");
    assert.equal(calc.eng("power_vi 12V 500mA"), "Power = 6 W");
});

// The design answers as the tool's, with the candidates as numbers.
test("calc.design lists the candidates that pass the worst case, or why none does", () => {
    const rc = calc.design("rc_lowpass_cutoff ? ? = 1kHz\u00b110%",
        { series: { R: "E24", C: "E12" }, tolerance: { R: "1%", C: "5%" }, within: { R: "1k..100k" }, top: 1 });
    assert.equal(rc.kind, "design");
    assert.equal(rc.error, false);
    assert.deepEqual([rc.arguments, rc.series, rc.tolerances, rc.passing, rc.tried],
        [["resistance", "capacitance"], ["E24", "E12"], [0.01, 0.05], 18, 4165]);
    assert.deepEqual(rc.candidates[0].values, [1600, 1e-7]);
    // 16 k with 10 n is the same RC a decade apart; 160 and 160 k lie outside R=1k..100k.
    assert.deepEqual(rc.candidates[0].also, [[16000, 1e-8]]);
    assert.equal(rc.candidates[0].nominal, 1 / ((1600 * 1e-7) * 6.28318530718));
    assert.equal(rc.lines[1], "1. resistance = 1600 \u03a9, capacitance = 1e-07 F (also 16000 \u03a9 with 1e-08 F): "
        + "994.718394 Hz (-0.53%), worst case 937.971140 .. 1057.648479 Hz, margin 18.99%");
    assert.equal(rc.line, rc.lines.join(" "));

    const none = calc.design("--series E24 voltage_divider 12\u00b11% ? ? = 3.3\u00b13%");
    assert.equal(none.error, true);
    assert.equal(none.line, "Error: No candidate keeps Output Voltage within 3.201000 .. 3.399000 V in the "
        + "worst case (9409 candidates, R E24 5%)");
    assert.deepEqual([none.remedy.tolerance, none.remedy.series], [0.01, "E96"]);
    assert.equal(calc.design("voltage_divider 12 ? ? = 3.3\u00b13%").line,
        "Error: No series for the resistors: name one (R=E24)");
    assert.throws(() => calc.design("voltage_divider 12 ? ? = 3.3\u00b13%", { series: "E25" }), RangeError);
    assert.throws(() => calc.design("voltage_divider 12 ? ? = 3.3\u00b13%", { top: 0 }), RangeError);
});

// "command <TAB> solution:closeness ..." from the reference model: every
// expected solution within its closeness of one found, and no other found;
// where the model finds no slope (closeness Infinity) the formula is flat.
test("calc.solve finds the known value of every argument of every formula", { skip: !solveVectors }, () => {
    const lines = readFileSync(solveVectors, "utf8").split("\n").filter((l) => l && !l.startsWith("#"));
    assert.ok(lines.length > 1000);
    const wrong = [];
    for (const line of lines) {
        const [command, field] = line.split("\t");
        const expected = field.split(" ").map((pair) => pair.split(":").map(Number));
        const solved = calc.solve(command);
        if (expected.some(([, closeness]) => !Number.isFinite(closeness))) {
            if (solved.error && !solved.line.startsWith("Error: Every ")) wrong.push(`${command}: ${solved.line}`);
            continue;
        }
        const found = !solved.error && solved.solutions.length === expected.length &&
            expected.every(([value, closeness], i) => Math.abs(solved.solutions[i] - value) <= closeness);
        if (!found) wrong.push(`${command}: ${solved.line}; expected ${field}`);
    }
    assert.deepEqual(wrong.slice(0, 10), []);
});

// ---- The question grammar, the tool's own, and the page's reading of addresses ----

test("questions.tsv: evaluate answers every question as zorvane-calc does", () => {
    const wrong = loadVectors(join(root, "tests/vectors/questions.tsv")).flatMap((v) => {
        const answer = calc.evaluate(v.command);
        const ok = answer.line === v.expected && answer.error === v.expected.startsWith("Error: ");
        return ok ? [] : [`${v.where}: ${JSON.stringify(answer.line)}`];
    });
    assert.deepEqual(wrong, []);
});

test("question_forms.tsv: parse and compose give the canonical command, and read it back", () => {
    const wrong = [];
    for (const v of loadVectors(join(root, "tests/vectors/question_forms.tsv"))) {
        const question = calc.parse(v.command);
        const got = question.error || calc.compose(question);
        if (got !== v.expected) wrong.push(`${v.where}: ${JSON.stringify(got)}`);
        if (question.error) continue;
        // The canonical command reads as the same question, and is its own canonical form.
        const again = calc.parse(got);
        assert.deepEqual(again, question, v.where);
        assert.equal(calc.compose(again), got, v.where);
    }
    assert.deepEqual(wrong, []);
    // Parts given as texts, the way the page composes its fields.
    assert.equal(calc.compose({
        keyword: "voltage_divider", values: ["12", { number: "10k", tolerance: ".5" }, { unknown: true }],
        target: { number: "3.3" }, options: { series: "E24" },
    }), "--series E24 voltage_divider 12 10k\u00b1.5% ? = 3.3");
    assert.equal(calc.compose({ keyword: "x", options: { mc: null, seed: 7, top: false } }), "--mc 100000 --seed 7 x");
    assert.throws(() => calc.compose({ keyword: "x", options: { series: "E7" } }),
        (e) => e instanceof RangeError && e.message === "Error: Invalid series 'E7' for '--series'");
    assert.throws(() => calc.compose({ keyword: "x", options: { bogus: "1" } }), RangeError);
    // Parts of the wrong types are texts or nothing, never the module's end.
    assert.equal(calc.compose({ keyword: "x", values: [{ unknown: "yes", number: "1" }, 5, { number: 2 }],
        target: "3", options: { seed: 18446744073709551615n.toString() } }), "--seed 18446744073709551615 x 1  ");
    assert.equal(calc.compose({ keyword: "x", options: { seed: 12 } }), "--seed 12 x");
    const read = calc.parse("voltage_divider 12V 4k7+-1% ?=3.3");
    assert.deepEqual(read.values.map((v) => [v.number, v.unknown, v.reading, v.tolerance, v.toleranceValue]),
        [["12V", false, 12, null, null], ["4k7", false, 4700, "1", 1], ["", true, null, null, null]]);
    assert.deepEqual([read.target.form, read.target.reading], ["value", 3.3]);
    assert.equal(calc.parse("power_vi 1 2 \u00b11%").values[2].toleranceProblem, "a tolerance in percent, such as 1 or 0.5");
    assert.deepEqual(["1", ".5", "0", "1,5", "-1", "1%", "x"].map((t) => calc.toleranceProblem(t) === ""),
        [true, true, true, false, false, false, false]);
});

test("the page reads an address with the tool's grammar: +-, ?=, .5%, options", async () => {
    const { pickerCommand } = await import(pathToFileURL(join(root, "web/src/page/address.js")));
    const shown = (command) => pickerCommand(calc, command);
    assert.deepEqual(shown("voltage_divider 12 10k+-.5% 4k7"), {
        keyword: "voltage_divider", values: ["12", "10k", "4k7"],
        asked: { unknowns: [], tolerances: ["", ".5", ""], target: undefined, series: "" },
    });
    assert.deepEqual(shown("--series e24 VOLTAGE_DIVIDER 12 ? ?=3.3"), {
        keyword: "voltage_divider", values: ["12", undefined, undefined],
        asked: { unknowns: [1, 2], tolerances: ["", "", ""], target: "3.3", series: "E24" },
    });
    // Tolerances with a window or samples: the statistics, with their options.
    assert.deepEqual(shown("--distribution normal --mc 5000 --seed 7 voltage_divider 12+-5% 10k 4k7 = 3.3+-3%"), {
        keyword: "voltage_divider", values: ["12", "10k", "4k7"],
        asked: { unknowns: [], tolerances: ["5", "", ""], window: "3.3\u00b13%", series: "",
            mc: { samples: "5000", seed: "7", distribution: "normal" } },
    });
    assert.deepEqual(shown("voltage_divider 12 10k\u00b11% 4k7 = 3.2..3.4").asked,
        { unknowns: [], tolerances: ["", "1", ""], window: "3.2..3.4", series: "", mc: undefined });
    assert.deepEqual(shown("--mc voltage_divider 12 10k\u00b11% 4k7").asked.mc, { samples: "100000", seed: "1", distribution: "uniform" });
    // Unknowns and a window: a design; a series for every kind is the picker's, per kind the design's own.
    const design = shown("--mc 5000 --series e96 --top 3 --within 1k..100k voltage_divider 12+-1% ? ? = 3.2..3.4");
    assert.deepEqual([design.values, design.asked.unknowns, design.asked.window, design.asked.series, design.asked.design.series,
        design.asked.design.top, design.asked.design.within, design.asked.mc.samples],
    [["12", undefined, undefined], [1, 2], "3.2..3.4", "E96", undefined, "3", "1k..100k", "5000"]);
    const rc = shown("--series R=E24,C=E12 --tolerance R=1% rc_lowpass_cutoff ? ? = 1kHz\u00b110%");
    assert.deepEqual([rc.asked.series, rc.asked.design.series, rc.asked.design.tolerance, rc.asked.window, rc.asked.mc],
        ["", "R=E24,C=E12", "R=1%", "1kHz\u00b110%", undefined]);
    // What the picker cannot show goes to the command line.
    for (const command of ["--series R=E24 voltage_divider 12 ? ? = 3.3", "--mc voltage_divider 12 10k 4k7",
        "--combine 2 --series E24 voltage_divider 12 ? ? = 3.3\u00b13%",
        "--series E24 voltage_divider 12 10k\u00b11% 4k7 = 3.2..3.4", "voltage_divider 12 10k 4k7 = 3.2..3.4",
        "voltage_divider 12 10k", "--series E24 power_vi 1 2",
        "--bogus power_vi 1 2", "power_vi 1 ? = 3 4"]) {
        assert.equal(shown(command), null, command);
    }
});

// The shared statistics vectors: the tool's arguments and the JSON line its
// --json writes; calc.monteCarlo must give the same object for the same seed.
test("calc.monteCarlo gives the statistics vectors' answers", () => {
    const lines = readFileSync(join(root, "tests/vectors/statistics.tsv"), "utf8").split("\n")
        .filter((l) => l && !l.startsWith("#"));
    assert.ok(lines.length >= 6);
    for (const line of lines) {
        const [args, expected] = line.split("\t");
        const words = args.split(" ");
        const options = { samples: 0 };
        const names = { "--mc": "samples", "--seed": "seed", "--distribution": "distribution" };
        while (words[0] in names) {
            const [name, value] = words.splice(0, 2);
            options[names[name]] = name === "--mc" ? Number(value) : value;
        }
        assert.deepEqual(calc.monteCarlo(words.join(" "), options), JSON.parse(expected), args);
    }
    assert.throws(() => calc.monteCarlo("power_vi 12\u00b11% 1", { samples: 1e12 }), RangeError);
    assert.throws(() => calc.monteCarlo("power_vi 12\u00b11% 1", { samples: -5 }), RangeError);
    assert.throws(() => calc.monteCarlo("power_vi 12\u00b11% 1", { distribution: "weird" }), RangeError);
    assert.throws(() => calc.monteCarlo("power_vi 12\u00b11% 1", { seed: -1 }), RangeError);
    const empty = calc.monteCarlo("voltage_divider 12\u00b15% 10k 4k7 = 3.4..3.2");
    assert.deepEqual([empty.kind, empty.error, empty.line],
        ["error", true, "Error: The window 3.4..3.2 is empty"]);
});

// ---- One question, one answer ----

test("calc.evaluate gives zorvane-calc --json's object for generated questions of every kind", { skip: !process.env.ZORVANE_TOOL }, async () => {
    const { execFileSync, spawnSync } = await import("node:child_process");
    const table = JSON.stringify(calc.formulas.map(({ keyword, argumentUnits }) => ({ keyword, argumentUnits })));
    const asked = execFileSync("/usr/bin/python3", [join(root, "tests/hosts/questions.py"), "1000", "20261208"],
        { input: table, encoding: "utf8" }).trimEnd().split("\n");
    // (The tool's status says some answers are errors: the lines are what counts.)
    const written = spawnSync(process.env.ZORVANE_TOOL, ["--json"], { input: `${asked.join("\n")}\n`, encoding: "utf8" })
        .stdout.trimEnd().split("\n");
    assert.equal(written.length, asked.length);
    const kinds = new Set();
    let nearly = 0;
    asked.forEach((command, i) => {
        const expected = JSON.parse(written[i]);
        kinds.add(expected.kind);
        const answer = calc.evaluate(command);
        if (isDeepStrictEqual(answer, expected)) return;
        // The C library's pow, exp and log differ in their last bit between
        // WebAssembly and glibc. The solver's scan steps through them, so its
        // count of evaluations may differ; decibels and the coax's logarithm
        // call them in the formula, so there the same kind, verdict and fields.
        nearly += 1;
        if (isDeepStrictEqual({ ...answer, evaluations: 0 }, { ...expected, evaluations: 0 })) return;
        assert.match(command, /db|coax/i, `${command}\n${JSON.stringify(answer)}\n${written[i]}`);
        assert.deepEqual([answer.kind, answer.error, Object.keys(answer)], [expected.kind, expected.error, Object.keys(expected)], command);
    });
    assert.ok(nearly < asked.length / 20, `${nearly} answers differ in their last bits`);
    assert.deepEqual(["result", "solve", "range", "pair", "statistics", "design", "error"].filter((k) => !kinds.has(k)), []);
});

test("a seed past 2^53 comes back as the digits given, and the wrappers answer as evaluate does", () => {
    const seed = "6131790410650751224";  // as a double: 6131790410650751000
    const run = calc.monteCarlo("voltage_divider 12\u00b15% 10k 4k7", { samples: 300, seed });
    assert.equal(run.seed, seed);
    assert.deepEqual(calc.evaluate(`--mc 300 --seed ${seed} voltage_divider 12\u00b15% 10k 4k7`), run);
    assert.deepEqual(calc.answer("voltage_divider 12\u00b15% 10k 4k7", { mc: 300, seed }), run);
    assert.throws(() => calc.answer("voltage_divider 12\u00b15% 10k 4k7", { mc: -1 }), RangeError);
    // Each wrapper gives the one answer, with kind named as every host names it.
    assert.equal(calc.solve("voltage_divider 12 10k ? = 3.3", "E24").kind, "solve");
    assert.deepEqual(calc.solve("voltage_divider 12 10k ? = 3.3", "E24"), calc.evaluate("--series E24 voltage_divider 12 10k ? = 3.3"));
    assert.deepEqual(calc.pairs("voltage_divider 12 ? ? = 3.3", "e24"), calc.evaluate("--series E24 voltage_divider 12 ? ? = 3.3"));
    // A command of another kind gets the wrapper's own answer: why it is no such question.
    const [solve, range] = [calc.solve("voltage_divider 12 10k\u00b11% 4k7"), calc.range("voltage_divider 12 10k ? = 3.3")];
    assert.deepEqual([solve.kind, solve.error, range.kind, range.error], ["error", true, "error", true]);
});

// ---- One histogram: the page draws the bins the tool draws ----

// Generated runs from a fixed seed (toleranced example values, a window
// about the nominal result that may cut, hold or miss bins): the figure the
// page draws against the tool's --json bins and its text bars.
test("calc.histogramFigure gives the bins, heights and window marks the native zorvane-calc draws", { skip: !process.env.ZORVANE_TOOL }, async () => {
    const { execFileSync } = await import("node:child_process");
    const { exampleValue } = await import(pathToFileURL(join(root, "web/src/examples.js")));
    let seed = 20261208;
    const random = () => ((seed = (Math.imul(seed, 1103515245) + 12345) >>> 0) / 2 ** 32);
    const tool = (args) => execFileSync(process.env.ZORVANE_TOOL, args, { encoding: "utf8" });
    // A column of the tool's bars in eighths of a row: U+2581 is one, U+2588 eight.
    const eighths = (rows, column) => rows.reduce((sum, row) => sum + (row[column] === " " ? 0 : row[column].codePointAt(0) - 0x2580), 0);
    let runs = 0;
    while (runs < 6) {
        const formula = calc.formulas[Math.floor(random() * calc.formulas.length)];
        const values = formula.arguments.map((a, i) => exampleValue(a, formula.argumentUnits[i]));
        const nominal = calc.value([formula.keyword, ...values].join(" "));
        if (!(nominal > 0)) continue;
        const spread = 0.02 + random() * 0.1;
        const low = nominal * (1 - spread * random());
        const high = low + nominal * spread * random();
        const words = [formula.keyword, ...values.map((v) => `${v}\u00b1${1 + Math.floor(random() * 9)}%`), "=", `${low}..${high}`];
        const options = { samples: 500 + Math.floor(random() * 20000), seed: Math.floor(random() * 1e6),
            distribution: random() < 0.5 ? "normal" : "uniform" };
        const stats = calc.monteCarlo(words.join(" "), options);
        if (stats.error) continue;
        runs += 1;
        const args = ["--mc", String(options.samples), "--seed", String(options.seed), "--distribution", options.distribution, ...words];
        const { edges, counts } = JSON.parse(tool(["--json", ...args])).histogram;
        assert.deepEqual(stats.histogram, { edges, counts }, words.join(" "));
        const figure = calc.histogramFigure(stats);
        // Each bin at its edges' places across the worst case, as tall as its
        // count over the tallest, one with any sample at least 1/64 of it.
        const tallest = Math.max(...counts);
        const place = (v) => (v - edges[0]) / (edges.at(-1) - edges[0]);
        const part = (from, to) => (low <= from && to <= high ? "inside" : to < low || from > high ? "outside" : "partly");
        assert.deepEqual(figure.bars.map((b) => [b.count, b.height, b.window]),
            counts.map((c, i) => [c, c && Math.max(c / tallest, 1 / 64), part(edges[i], edges[i + 1])]), words.join(" "));
        figure.bars.forEach((b, i) => {
            assert.ok(Math.abs(b.left - place(edges[i])) < 1e-12 && Math.abs(b.right - place(edges[i + 1])) < 1e-12, `bin ${i}`);
        });
        assert.deepEqual(figure.window.edges, [low, high].filter((e) => e >= edges[0] && e <= edges.at(-1)).map(place));
        // The tool's eight rows of bars and its row of window marks, column by column.
        const lines = tool(["--histogram", ...args]).split("\n");
        const rows = lines.slice(1, 9).map((line) => [...line.slice(3, -1)]);
        const marks = [...lines[9].slice(3, -1)];
        assert.deepEqual(counts.map((_, i) => eighths(rows, i)), figure.bars.map((b) => Math.floor(b.height * 64)), words.join(" "));
        assert.deepEqual(marks, figure.bars.map((b) => ({ inside: "=", partly: ":", outside: "-" })[b.window]), words.join(" "));
    }
    assert.deepEqual(calc.histogramFigure(calc.monteCarlo("voltage_divider 12\u00b11% 10k 4k7", { samples: 0 })).bars, []);
});

// ---- The page's command line takes the tool's display options ----

// A shell command's words, as bash gives them to the tool (quotes removed).
function shellWords(text) {
    return [...text.matchAll(/'([^']*)'|"([^"]*)"|(\S+)/g)].map(([, single, double, bare]) => single ?? double ?? bare);
}

// What the tool alone reads: --module-lines, `help NAME` as the command, and
// options after the formula (the page's command line takes them before it).
function toolOnly(command) {
    const words = shellWords(command).slice(1);
    if (words[0] === "help" || words.includes("--module-lines")) return true;
    const formula = words.findIndex((word) => calc.formulas.some((f) => f.keyword === word));
    return formula >= 0 && words.slice(formula + 1).some((word) => /^-[^\d.]/.test(word));
}

// README's and docs/'s examples of the tool (checked against the tool by
// tests/cli): each one-shot command with one line of output.
function documentedToolExamples() {
    const pages = ["README.md", ...readdirSync(join(root, "docs")).filter((n) => n.endsWith(".md")).map((n) => `docs/${n}`)];
    const text = pages.map((page) => readFileSync(join(root, page), "utf8")).join("\n");
    const examples = [];
    for (const [, block] of text.matchAll(/```console\n(.*?)```/gs)) {
        for (const line of block.split("\n")) {
            if (line.startsWith("$ ")) examples.push({ command: line.slice(2), output: [] });
            else if (line && examples.length) examples.at(-1).output.push(line);
        }
    }
    // Options only the tool has (--json, --histogram, --list, ...) and pipes stay the tool's.
    return examples.filter((e) => e.command.startsWith("zorvane-calc ") && e.output.length === 1 &&
        !/[|<>]|--(json|histogram|list|reference|help|version)/.test(e.command) && !toolOnly(e.command));
}

test("calc.command answers the documented tool examples as zorvane-calc prints them, -e and --plain too", () => {
    const examples = documentedToolExamples();
    assert.ok(examples.length >= 40, `${examples.length} examples`);
    assert.ok(examples.some((e) => /^zorvane-calc -e /.test(e.command)));
    const wrong = examples.flatMap(({ command, output }) => {
        const shown = calc.command(shellWords(command).slice(1).join(" ")).shown;
        return shown === output[0] ? [] : [`${command}: ${JSON.stringify(shown)}, the tool ${JSON.stringify(output[0])}`];
    });
    assert.deepEqual(wrong, []);
});

test("calc.command reads -e, --eng and --plain before the command, and only there", () => {
    const cases = [  // line, command left, engineering, plain, shown
        ["-e capacitor_time_constant_rc 1k 100p", "capacitor_time_constant_rc 1k 100p", true, false, "RC Time Constant = 100 ns"],
        ["--eng  --plain power_vi 12 0.5", "power_vi 12 0.5", true, true, "Power = 6 W"],
        ["--plain power_vi 12V 0.5", "power_vi 12V 0.5", false, true, "Error: Invalid number '12V'"],
        ["--plain -e voltage_divider 12 10000 ? = 3.3", "voltage_divider 12 10000 ? = 3.3", true, true, "r2 = 3.7931 k\u03a9"],
        ["--plain voltage_divider 12 10k ? = 3.3", "voltage_divider 12 10k ? = 3.3", false, true, "Error: Invalid number '10k'"],
        ["--plain voltage_divider 12 10000 ? = 3.3V", "voltage_divider 12 10000 ? = 3.3V", false, true, "Error: Invalid number '3.3V'"],
        ["  power_vi 12 0.5", "  power_vi 12 0.5", false, false, "Power = 6.000000 W"],
        ["-e", "", true, false, ""],
        // After the command's first word, an option is the command's own.
        ["power_vi -e 12 0.5", "power_vi -e 12 0.5", false, false, "Error: Invalid number '-e'"],
        ["-x power_vi 1 2", "-x power_vi 1 2", false, false, calc.line("-x power_vi 1 2")],
        // The tool writes the ohm sign where the module's line has its "?".
        ["resistors_parallel 1k 1k", "resistors_parallel 1k 1k", false, false, "Parallel Resistance = 500.000000 \u03a9"],
        ["-e resistors_parallel 1k 1k", "resistors_parallel 1k 1k", true, false, "Parallel Resistance = 500 \u03a9"],
    ];
    for (const [line, command, engineering, plain, shown] of cases) {
        const answer = calc.command(line);
        assert.deepEqual([answer.command, answer.engineering, answer.plain, answer.shown], [command, engineering, plain, shown], line);
    }
    // Without the options, the answer is evaluate()'s, field for field.
    // (The module's line keeps its "?" for the ohm sign; the tool's has the sign.)
    const plainCommands = [
        ["power_vi 12 0.5", "Power = 6.000000 W"],
        ["voltage_divider 12 10k ? = 3.3", "r2 = 3793.103448275862 \u03a9"],
        ["ohms_curent 1 2", "Error: Unknown formula 'ohms_curent' or insufficient parameters"],
        ["capacitor_reactance 0 1u", "Capacitive Reactance = 0.000000 \u03a9"],
    ];
    for (const [line, tool] of plainCommands) {
        const { command, engineering, plain, shown, ...answer } = calc.command(line);
        assert.deepEqual(answer, calc.evaluate(line), line);
        assert.equal(shown, tool, line);
    }
    assert.equal(calc.evaluate("capacitor_reactance 0 1u").line, "Capacitive Reactance = 0.000000 ?");
});

// With ZORVANE_TOOL (a native zorvane-calc), generated commands from a
// fixed seed: the page's shown line is the tool's output byte for byte.
test("calc.command gives what the native zorvane-calc prints for the same words", { skip: !process.env.ZORVANE_TOOL }, async () => {
    const { execFileSync } = await import("node:child_process");
    const { exampleValue } = await import(pathToFileURL(join(root, "web/src/examples.js")));
    let seed = 20261207;
    const random = () => ((seed = (Math.imul(seed, 1103515245) + 12345) >>> 0) / 2 ** 32);
    const options = [[], ["-e"], ["--plain"], ["-e", "--plain"], ["--eng"]];
    const wrong = [];
    for (const formula of calc.formulas) {
        const values = formula.arguments.map((a, i) => exampleValue(a, formula.argumentUnits[i]));
        // Now and then a value is the unknown, with the example's own result as the target.
        const unknown = random() < 0.3 ? Math.floor(random() * values.length) : -1;
        const words = unknown < 0 ? values : values.map((v, i) => (i === unknown ? "?" : v))
            .concat("=", String(calc.value([formula.keyword, ...values].join(" "))));
        const chosen = options[Math.floor(random() * options.length)];
        const args = [...chosen, formula.keyword, ...words];
        let out;
        try {
            out = execFileSync(process.env.ZORVANE_TOOL, args, { encoding: "utf8" });
        } catch (failed) {
            out = failed.stdout;
        }
        const shown = calc.command(args.join(" ")).shown;
        if (`${shown}\n` !== out) wrong.push(`${args.join(" ")}: ${JSON.stringify(shown)}, the tool ${JSON.stringify(out)}`);
    }
    assert.deepEqual(wrong, []);
});
