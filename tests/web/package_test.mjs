// The npm package as a JavaScript user gets it: the tarball installed into
// a scratch project, imported in node, and a TypeScript consumer checked
// against its declarations.
//
//   ZORVANE_PACKAGE=build/wasm/web/zorvane-calc-1.0.0.tgz ZORVANE_TSC=.../typescript/bin/tsc \
//       node --test tests/web/package_test.mjs
import assert from "node:assert/strict";
import { execFile, execFileSync, spawnSync } from "node:child_process";
import { copyFileSync, existsSync, mkdirSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from "node:fs";
import { createServer } from "node:http";
import { createRequire } from "node:module";
import { promisify } from "node:util";
import { tmpdir } from "node:os";
import { extname, join } from "node:path";
import { after, test } from "node:test";

const tarball = process.env.ZORVANE_PACKAGE;
const tsc = process.env.ZORVANE_TSC;
const nodeModules = process.env.ZORVANE_NODE_MODULES;
const chromium = process.env.ZORVANE_CHROMIUM ?? "/usr/bin/chromium";
const execFileAsync = promisify(execFile);
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
        ["LICENSE", "README.md", "package.json", "zorvane-calc.browser.mjs", "zorvane-calc.d.ts", "zorvane-calc.mjs",
            "zorvane-calc.wasm"]);
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
            calc.expand("x"), calc.valueProblem("1"), calc.helpSummary(), calc.referenceFileName, answer.kind === "result" ? answer.note : ""];
        const numbers: number[] = [calc.value("x"), calc.number("4k7"), calc.reference().length];
        const first: Formula | undefined = calc.formulas[0];
        const word: "none" | "quit" | "help" | "help_name" | "comment" = calc.promptWord("help").word;
        // The replies are unions told apart by kind: the fields of an answer
        // are there once its kind says so.
        const solve = calc.solve("voltage_divider 12 10k ? = 3.3", "E24");
        const range = calc.range("power_vi 12±1% 1");
        const pair = calc.pairs("voltage_divider 12 ? ? = 3.3", "e24");
        const solved: number[] = [...(solve.kind === "solve" ? solve.solutions : []),
            range.kind === "range" ? range.max : 0, ...(pair.kind === "pair" ? pair.values : []),
            calc.standardValues(3793, "E24")?.nearest ?? 0, calc.read("4k7").value];
        const errorLine: string = solve.kind === "error" ? solve.line : "";
        const result = calc.evaluate("power_vi 1 2");
        const note: string = result.kind === "result" && result.guarded ? result.note : errorLine;
        const margins: number[] = (calc.design("voltage_divider 12 ? ? = 3.3±3%", { series: { R: "E96" }, top: 2 })
            .candidates ?? []).map((c) => c.margin);
        const question = calc.parse("--series E24 voltage_divider 12 10k+-1% ? = 3.3");
        const canonical: string = calc.compose(question) + calc.compose({ keyword: "power_vi", values: ["1", { unknown: true }],
            target: { number: "2" }, options: { series: "E24", mc: null } }) + calc.toleranceProblem("1");
        const readings: (number | null)[] = [...question.values.map((v) => v.reading), question.target?.reading ?? null];
        const displayed = calc.command("-e --plain power_vi 12 0.5");
        const shownLine: string = displayed.shown + (displayed.engineering && displayed.plain ? displayed.command : "");
        console.log(lines, numbers, solved, margins, first?.argumentUnits.join(), word, answer.kind === "result" && answer.guarded,
            canonical, readings, question.options.series, note, shownLine);`;
    // The declarations are types, not "any": each misuse is an error of
    // its own line, and the good consumer has none.
    writeFileSync(join(scratch, "good.ts"), good);
    const misuses = [
        ['const n: number = calc.line("x");', "TS2322"],
        ['const same = calc.evaluate("x").kind === "resultt";', "TS2367"],
        ["calc.format();", "TS2554"],
        ['calc.pairs("voltage_divider 12 ? ? = 3.3", "E25");', "TS2345"],
        ['const r: number = calc.parse("x").values[0].reading;', "TS2322"],
        ['const s: readonly number[] = calc.solve("x").solutions;', "TS2339"],
        ['const t: true = calc.evaluate("x").kind === "result" ? calc.evaluate("x").error : true;', "TS2322"],
        ['calc.design("x", { series: { X: "E24" } });', "TS2353"],
        ['const e: string = calc.command("-e x").engineering;', "TS2322"],
    ];
    const bad = ['import { createCalculator } from "zorvane-calc";', "const calc = await createCalculator();",
        ...misuses.map(([line]) => line)].join("\n");
    const result = run("bad.ts", bad, process.execPath, [tsc, "-p", "."]);
    assert.notEqual(result.status, 0);
    const errors = result.stdout.split("\n").filter((l) => / error TS/.test(l))
        .map((l) => l.replace(/^(\S+)\((\d+),\d+\): error (TS\d+).*/, "$1:$2 $3"));
    assert.deepEqual(errors, misuses.map(([, code], i) => `bad.ts:${i + 3} ${code}`), result.stdout);
});

test("README's examples give what their comments say", async () => {
    const readme = readFileSync(join(scratch, "node_modules/zorvane-calc/README.md"), "utf8");
    // Each example line "calc.x(...);  // JSON" whose comment is JSON is run.
    const examples = [...readme.matchAll(/^(calc\.[^\n]*?);\s*\/\/ (.+)$/gm)].flatMap(([, code, comment]) => {
        try {
            return [{ code, expected: JSON.parse(comment) }];
        } catch {
            return [];
        }
    });
    const documented = new Set([...readme.matchAll(/^calc\.(\w+)/gm)].map(([, name]) => name));
    const consumer = `
        import { createCalculator } from "zorvane-calc";
        const calc = await createCalculator();
        const examples = ${JSON.stringify(examples.map((e) => e.code))};
        console.log(JSON.stringify([Object.keys(calc), examples.map((code) => new Function("calc", \`return (\${code});\`)(calc))]));`;
    const result = run("readme.mjs", consumer, process.execPath, ["readme.mjs"]);
    assert.equal(result.status, 0, result.stderr);
    const [names, values] = JSON.parse(result.stdout);
    assert.ok(examples.length >= 25, `${examples.length} examples run`);
    assert.deepEqual(values, examples.map((e) => e.expected));
    // Every function and field of the calculator has an example.
    assert.deepEqual(names.filter((name) => !documented.has(name)), []);
});

// Without Chromium this one test is skipped, saying so; the rest run.
const withoutChromium = existsSync(chromium) ? false
    : `needs chromium: the bundle's run in a browser is skipped without ${chromium} (Debian: apt-get install chromium)`;

test("a browser bundle of the package holds no node: import and runs in Chromium", { skip: withoutChromium }, async () => {
    const esbuild = createRequire(join(nodeModules, "package.json"))("esbuild");
    const page = join(scratch, "web");
    mkdirSync(page, { recursive: true });
    writeFileSync(join(scratch, "browser.mjs"), `
        import { createCalculator } from "zorvane-calc";
        const calc = await createCalculator();
        document.getElementById("out").textContent = JSON.stringify([calc.line("power_vi 12 0.5"),
            calc.eng("ohms_current 3.3 10M"), calc.solve("voltage_divider 12 10k ? = 3.3").solutions]);`);
    await esbuild.build({ entryPoints: [join(scratch, "browser.mjs")], outfile: join(page, "bundle.js"), bundle: true,
        format: "esm", platform: "browser", absWorkingDir: scratch, logLevel: "error" });
    // No module named node:... (an object's "node:" key is no import).
    assert.doesNotMatch(readFileSync(join(page, "bundle.js"), "utf8"), /["'`]node:\w/);
    copyFileSync(join(scratch, "node_modules/zorvane-calc/zorvane-calc.wasm"), join(page, "zorvane-calc.wasm"));
    writeFileSync(join(page, "index.html"),
        '<!doctype html><title>consumer</title><pre id="out">waiting</pre><script type="module" src="bundle.js"></script>');
    // Served over HTTP: browsers compile no WebAssembly fetched from file: addresses.
    const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };
    const server = createServer((request, response) => {
        const file = join(page, new URL(request.url, "http://x").pathname);
        if (!file.startsWith(page) || !existsSync(file)) return response.writeHead(404).end();
        response.writeHead(200, { "Content-Type": types[extname(file)] ?? "application/octet-stream" }).end(readFileSync(file));
    });
    await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
    try {
        const { stdout } = await execFileAsync(chromium, ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
            "--no-first-run", "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--disable-dev-shm-usage", `--user-data-dir=${join(scratch, "chromium")}`, "--virtual-time-budget=10000",
            "--dump-dom", `http://127.0.0.1:${server.address().port}/index.html`], { encoding: "utf8", timeout: 60000 });
        const out = /<pre id="out">(.*?)<\/pre>/s.exec(stdout)?.[1];
        assert.deepEqual(JSON.parse(out ?? "null"), ["Power = 6.000000 W", "Current = 330 nA", [3793.103448275862]], stdout);
    } finally {
        server.close();
    }
});
