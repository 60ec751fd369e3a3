// Builds the static site from the page's sources and the WebAssembly module:
//   node build_site.mjs MODULE_DIR NODE_MODULES SITE_DIR
// MODULE_DIR holds emscripten's zorvane-calc.mjs and zorvane-calc.wasm;
// NODE_MODULES the packages of package-lock.json (npm ci). Everything the
// site needs ends up in SITE_DIR; nothing is fetched from another origin.
import { createHash } from "node:crypto";
import { createRequire } from "node:module";
import { copyFile, mkdir, readFile, readdir, rm, writeFile } from "node:fs/promises";
import { dirname, join } from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";
import { gzipSync } from "node:zlib";
import { iconPng, iconSvg } from "./icons.mjs";

const SOURCE = join(dirname(fileURLToPath(import.meta.url)), "src");
const THEME = "#0e6b73";

async function bundleScripts(moduleDir, nodeModules, site) {
    // The packages live in the build tree, not beside this script.
    const esbuild = createRequire(join(nodeModules, "package.json"))("esbuild");
    const common = { bundle: true, minify: true, format: "esm", target: "es2020", logLevel: "warning", legalComments: "eof" };
    await esbuild.build({
        ...common,
        entryPoints: [join(SOURCE, "zorvane-calc.mjs")],
        outfile: join(site, "zorvane-calc.mjs"),
        platform: "neutral",
        external: ["node:*"],
        alias: { "zorvane-calc-emscripten": join(moduleDir, "zorvane-calc.mjs") },
    });
    // uPlot comes as a chunk of its own, loaded when the first sweep is drawn.
    await esbuild.build({
        ...common,
        entryPoints: [join(SOURCE, "page.js")],
        outdir: site,
        splitting: true,
        entryNames: "[name]",
        chunkNames: "[name]-[hash]",
        platform: "browser",
        nodePaths: [nodeModules],
        // The page loads the same module file that programs import.
        plugins: [{
            name: "calculator-module-stays-a-file",
            setup(build) {
                build.onResolve({ filter: /^\.\/zorvane-calc\.mjs$/ }, (args) => ({ path: args.path, external: true }));
            },
        }],
    });
    await esbuild.build({
        ...common,
        entryPoints: [join(SOURCE, "style.css")],
        outfile: join(site, "style.css"),
        nodePaths: [nodeModules],
    });
}

function manifest() {
    return JSON.stringify({
        name: "Electronics calculator",
        short_name: "Electronics",
        description: "Fifty electronics formulas, exact to the digit, offline.",
        start_url: "./",
        scope: "./",
        display: "standalone",
        background_color: "#0d1117",
        theme_color: THEME,
        icons: [
            { src: "icon.svg", sizes: "any", type: "image/svg+xml" },
            { src: "icon-192.png", sizes: "192x192", type: "image/png" },
            { src: "icon-512.png", sizes: "512x512", type: "image/png" },
            { src: "icon-maskable-512.png", sizes: "512x512", type: "image/png", purpose: "maskable" },
        ],
    }, null, 2) + "\n";
}

// The notices of what the site bundles or was built with.
async function licenses(nodeModules) {
    const uplot = JSON.parse(await readFile(join(nodeModules, "uplot", "package.json"), "utf8"));
    return "The electronics calculator: MIT licence.\n\n" +
        `It bundles uPlot ${uplot.version} (in page.js and style.css), under this licence:\n\n` +
        await readFile(join(nodeModules, "uplot", "LICENSE"), "utf8") +
        "\nzorvane-calc.mjs and zorvane-calc.wasm hold emscripten's runtime (MIT) and parts of its C\n" +
        "library (musl, MIT) and C++ library (libc++, Apache-2.0 WITH LLVM-exception).\n";
}

const escapeHtml = (text) => text.replace(/[&<>"]/g, (c) => ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;" })[c]);

// The first formula's answer, written into the page by the module itself, so
// the first paint shows it and nothing moves when the module arrives; the
// page renders the same markup again (the browser test compares them).
async function firstAnswer(site) {
    const { createCalculator } = await import(pathToFileURL(join(site, "zorvane-calc.mjs")));
    const { FIRST_FORMULA, exampleValue } = await import(pathToFileURL(join(SOURCE, "examples.js")));
    const { keepUnits, learnUnits } = await import(pathToFileURL(join(SOURCE, "page", "dom.js")));
    const calc = await createCalculator();
    learnUnits(calc.formulas);
    const formula = calc.formulas.find((f) => f.keyword === FIRST_FORMULA);
    const values = formula.arguments.map((a, i) => exampleValue(a, formula.argumentUnits[i]));
    const answer = calc.evaluate([FIRST_FORMULA, ...values].join(" "));
    if (answer.kind !== "result" || answer.guarded) throw new Error(`the first formula gives no plain result: ${answer.line}`);
    return `<span class="eng">${escapeHtml(keepUnits(answer.eng))}</span>` +
        `<span class="line"><span class="visually-hidden">The module's exact line: </span><samp>${escapeHtml(answer.line)}</samp></span>` +
        (answer.lineNote ? `<span class="line-note">In the exact line, ${escapeHtml(answer.lineNote)}.</span>` : "");
}

// The series the picker offers, as the module names them.
async function seriesOptions(site) {
    const { createCalculator } = await import(pathToFileURL(join(site, "zorvane-calc.mjs")));
    const calc = await createCalculator();
    return calc.seriesNames.map((name) => `<option>${escapeHtml(name)}</option>`).join("");
}

async function writeStaticFiles(moduleDir, nodeModules, site) {
    await writeFile(join(site, "licenses.txt"), await licenses(nodeModules));
    const html = await readFile(join(SOURCE, "index.html"), "utf8");
    await writeFile(join(site, "index.html"), html.replace("@FIRST_ANSWER@", await firstAnswer(site))
        .replace("@SERIES_OPTIONS@", await seriesOptions(site)));
    await copyFile(join(SOURCE, "noscript.css"), join(site, "noscript.css"));
    await writeFile(join(site, "icon.svg"), iconSvg());
    await writeFile(join(site, "icon-192.png"), iconPng(192));
    await writeFile(join(site, "icon-512.png"), iconPng(512));
    await writeFile(join(site, "icon-maskable-512.png"), iconPng(512, { maskable: true }));
    await writeFile(join(site, "manifest.webmanifest"), manifest());
}

// The service worker lists every other file with the hash of its bytes,
// and names its cache after them all. Its comments stay in the source.
async function writeServiceWorker(site) {
    const files = (await readdir(site)).filter((f) => f !== "sw.js").sort();
    const sha256 = (bytes) => createHash("sha256").update(bytes).digest("hex");
    const entries = [];
    for (const file of files) entries.push([file, sha256(await readFile(join(site, file)))]);
    const index = entries.find(([file]) => file === "index.html");
    const listed = [["./", index[1]], ...entries];
    const template = await readFile(join(SOURCE, "sw.js"), "utf8");
    const worker = template.replace(/^ *\/\/.*\n/gm, "")
        .replace("@CACHE_HASH@", sha256(JSON.stringify(listed)).slice(0, 16))
        .replace("@FILES@", JSON.stringify(listed));
    await writeFile(join(site, "sw.js"), worker);
}

async function reportSize(site) {
    let total = 0;
    const lines = [];
    for (const file of (await readdir(site)).sort()) {
        const bytes = await readFile(join(site, file));
        const gzipped = gzipSync(bytes, { level: 9 }).length;
        total += gzipped;
        lines.push(`${file.padEnd(24)} ${String(bytes.length).padStart(8)} ${String(gzipped).padStart(8)}`);
    }
    console.log(`site: ${site}\n${"file".padEnd(24)} ${"bytes".padStart(8)} ${"gzipped".padStart(8)}\n${lines.join("\n")}`);
    console.log(`total gzipped: ${total} bytes`);
}

async function main() {
    const [moduleDir, nodeModules, site] = process.argv.slice(2);
    if (!site) {
        console.error("usage: node build_site.mjs MODULE_DIR NODE_MODULES SITE_DIR");
        process.exit(2);
    }
    await rm(site, { recursive: true, force: true });
    await mkdir(site, { recursive: true });
    await bundleScripts(moduleDir, nodeModules, site);
    await copyFile(join(moduleDir, "zorvane-calc.wasm"), join(site, "zorvane-calc.wasm"));
    await writeStaticFiles(moduleDir, nodeModules, site);
    await writeServiceWorker(site);
    await reportSize(site);
}

main().catch((error) => {
    console.error(`build_site: ${error.stack ?? error}`);
    process.exit(1);
});
