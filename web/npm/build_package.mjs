// Lays out the npm package of the calculator module:
//   node build_package.mjs SITE_DIR LICENSE VERSION PACKAGE_DIR MODULE_DIR NODE_MODULES
// The module file and the WebAssembly are the site's own; a second module
// file for browsers, built from the same source, reads no file system, so a
// bundler making a web page finds no node: import in it. `npm pack` in
// PACKAGE_DIR then makes the tarball.
import { createRequire } from "node:module";
import { copyFile, mkdir, rm, writeFile } from "node:fs/promises";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";

const HERE = dirname(fileURLToPath(import.meta.url));

function packageJson(version) {
    return JSON.stringify({
        name: "zorvane-calc",
        version,
        description: "Fifty electronics formulas, exact to the digit: the calculator module in WebAssembly",
        license: "MIT",
        type: "module",
        exports: {
            ".": { types: "./zorvane-calc.d.ts", browser: "./zorvane-calc.browser.mjs", default: "./zorvane-calc.mjs" },
            "./zorvane-calc.wasm": "./zorvane-calc.wasm",
            "./package.json": "./package.json",
        },
        types: "./zorvane-calc.d.ts",
        browser: "./zorvane-calc.browser.mjs",
        files: ["zorvane-calc.mjs", "zorvane-calc.browser.mjs", "zorvane-calc.wasm", "zorvane-calc.d.ts"],
        engines: { node: ">=18" },
        keywords: ["electronics", "calculator", "ohm", "reactance", "webassembly"],
        sideEffects: false,
    }, null, 2) + "\n";
}

async function browserModule(moduleDir, nodeModules, outfile) {
    const esbuild = createRequire(join(nodeModules, "package.json"))("esbuild");
    await esbuild.build({
        entryPoints: [join(HERE, "..", "src", "zorvane-calc.mjs")],
        outfile,
        bundle: true, minify: true, format: "esm", target: "es2020", platform: "browser",
        logLevel: "warning", legalComments: "eof",
        alias: { "zorvane-calc-emscripten": join(moduleDir, "zorvane-calc.mjs") },
        plugins: [{
            name: "wasm-fetched-not-read",
            setup(build) {
                build.onResolve({ filter: /^\.\/wasm-file\.mjs$/ }, () =>
                    ({ path: join(HERE, "..", "src", "wasm-file.browser.mjs") }));
            },
        }],
    });
}

async function main() {
    const [site, license, version, out, moduleDir, nodeModules] = process.argv.slice(2);
    if (!nodeModules) {
        console.error("usage: node build_package.mjs SITE_DIR LICENSE VERSION PACKAGE_DIR MODULE_DIR NODE_MODULES");
        process.exit(2);
    }
    await rm(out, { recursive: true, force: true });
    await mkdir(out, { recursive: true });
    await writeFile(join(out, "package.json"), packageJson(version));
    for (const file of ["zorvane-calc.mjs", "zorvane-calc.wasm"]) await copyFile(join(site, file), join(out, file));
    for (const file of ["zorvane-calc.d.ts", "README.md"]) await copyFile(join(HERE, file), join(out, file));
    await copyFile(license, join(out, "LICENSE"));
    await browserModule(moduleDir, nodeModules, join(out, "zorvane-calc.browser.mjs"));
}

main().catch((error) => {
    console.error(`build_package: ${error.stack ?? error}`);
    process.exit(1);
});
