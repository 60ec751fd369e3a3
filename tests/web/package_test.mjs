// The npm package as a JavaScript user gets it: the tarball installed into
// a scratch project, imported in node, and a TypeScript consumer checked
// against its declarations.
//
//   ZORVANE_PACKAGE=build/wasm/web/zorvane-calc-1.0.0.tgz ZORVANE_TSC=.../typescript/bin/tsc \
//       node --test tests/web/package_test.mjs
import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import { mkdtempSync, readdirSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { after, test } from "node:test";

const tarball = process.env.ZORVANE_PACKAGE;
const tsc = process.env.ZORVANE_TSC;
const scratch = mkdtempSync(join(tmpdir(), "zorvane-package-"));
after(() => rmSync(scratch, { recursive: true, force: true }));

writeFileSync(join(scratch, "package.json"), JSON.stringify({ name: "scratch", private: true, type: "module" }));
execFileSync("npm", ["install", "--offline", "--ignore-scripts", "--no-audit", "--no-fund", "--loglevel=error", tarball],
    { cwd: scratch, stdio: "inherit" });

function run(file, text, command, args) {
    writeFileSync(join(scratch, file), text);
    return spawnSync(command, args, { cwd: scratch, encoding: "utf8" });
}

test("the package holds the module, the WebAssembly, declarations, README and LICENSE", () => {
    assert.deepEqual(readdirSync(join(scratch, "node_modules/zorvane-calc")).sort(),
        ["LICENSE", "README.md", "package.json", "zorvane-calc.d.ts", "zorvane-calc.mjs", "zorvane-calc.wasm"]);
});

test("node imports the package by name and gets the module's answers", () => {
    const consumer = `
        import { createCalculator } from "zorvane-calc";
        const calc = await createCalculator();
        console.log(JSON.stringify([calc.line("power_vi 12 0.5"), calc.eng("ohms_current 3.3 10M"),
            calc.evaluate("capacitor_reactance 0 1u").guarded, calc.formulas.length]));`;
    const result = run("consumer.mjs", consumer, process.execPath, ["consumer.mjs"]);
    assert.equal(result.status, 0, result.stderr);
    assert.deepEqual(JSON.parse(result.stdout), ["Power = 6.000000 W", "Current = 330 nA", true, 50]);
});

test("tsc checks a consumer against the declarations, and refuses a wrong one", () => {
    writeFileSync(join(scratch, "tsconfig.json"), JSON.stringify({
        compilerOptions: { strict: true, noEmit: true, module: "nodenext", moduleResolution: "nodenext", target: "es2022" },
    }));
    const good = `
        import { createCalculator, type Answer, type Formula } from "zorvane-calc";
        const calc = await createCalculator();
        const answer: Answer = calc.evaluate("power_vi 12 0.5");
        const lines: string[] = [calc.line("x"), calc.eng("x"), answer.line, ...answer.hints, calc.format(1, "Hz"),
            calc.expand("x"), calc.valueProblem("1"), calc.helpSummary(), calc.referenceFileName, answer.note];
        const numbers: number[] = [calc.value("x"), calc.number("4k7"), calc.reference().length];
        const first: Formula | undefined = calc.formulas[0];
        const word: "none" | "quit" | "help" | "help_name" | "comment" = calc.promptWord("help").word;
        const solved: number[] = [...(calc.solve("voltage_divider 12 10k ? = 3.3", "E24").solutions ?? []),
            calc.range("power_vi 12±1% 1").max ?? 0, ...(calc.pairs("voltage_divider 12 ? ? = 3.3", "e24").values ?? []),
            calc.standardValues(3793, "E24")?.nearest ?? 0,
            ...(calc.design("voltage_divider 12 ? ? = 3.3±3%", { series: { R: "E96" }, top: 2 }).candidates ?? [])
                .map((c) => c.margin)];
        const question = calc.parse("--series E24 voltage_divider 12 10k+-1% ? = 3.3");
        const canonical: string = calc.compose(question) + calc.compose({ keyword: "power_vi", values: ["1", { unknown: true }],
            target: { number: "2" }, options: { series: "E24", mc: null } }) + calc.toleranceProblem("1");
        const readings: (number | null)[] = [...question.values.map((v) => v.reading), question.target?.reading ?? null];
        console.log(lines, numbers, solved, first?.argumentUnits.join(), word, answer.guarded && answer.error,
            canonical, readings, question.options.series);`;
    // The declarations are types, not "any": each misuse is an error of
    // its own line, and the good consumer has none.
    writeFileSync(join(scratch, "good.ts"), good);
    const misuses = [
        ['const n: number = calc.line("x");', "TS2322"],
        ['const same = calc.evaluate("x").kind === "resultt";', "TS2367"],
        ["calc.format();", "TS2554"],
        ['calc.pairs("voltage_divider 12 ? ? = 3.3", "E25");', "TS2345"],
        ['const r: number = calc.parse("x").values[0].reading;', "TS2322"],
        ['calc.design("x", { series: { X: "E24" } });', "TS2353"],
    ];
    const bad = ['import { createCalculator } from "zorvane-calc";', "const calc = await createCalculator();",
        ...misuses.map(([line]) => line)].join("\n");
    const result = run("bad.ts", bad, process.execPath, [tsc, "-p", "."]);
    assert.notEqual(result.status, 0);
    const errors = result.stdout.split("\n").filter((l) => / error TS/.test(l))
        .map((l) => l.replace(/^(\S+)\((\d+),\d+\): error (TS\d+).*/, "$1:$2 $3"));
    assert.deepEqual(errors, misuses.map(([, code], i) => `bad.ts:${i + 3} ${code}`), result.stdout);
});
