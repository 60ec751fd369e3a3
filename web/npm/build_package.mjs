// Lays out the npm package of the calculator module:
//   node build_package.mjs SITE_DIR LICENSE VERSION PACKAGE_DIR
// The module file and the WebAssembly are the site's own; `npm pack` in
// PACKAGE_DIR then makes the tarball.
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
            ".": { types: "./zorvane-calc.d.ts", default: "./zorvane-calc.mjs" },
            "./zorvane-calc.wasm": "./zorvane-calc.wasm",
            "./package.json": "./package.json",
        },
        types: "./zorvane-calc.d.ts",
        files: ["zorvane-calc.mjs", "zorvane-calc.wasm", "zorvane-calc.d.ts"],
        engines: { node: ">=18" },
        keywords: ["electronics", "calculator", "ohm", "reactance", "webassembly"],
        sideEffects: false,
    }, null, 2) + "\n";
}

async function main() {
    const [site, license, version, out] = process.argv.slice(2);
    if (!out) {
        console.error("usage: node build_package.mjs SITE_DIR LICENSE VERSION PACKAGE_DIR");
        process.exit(2);
    }
    await rm(out, { recursive: true, force: true });
    await mkdir(out, { recursive: true });
    await writeFile(join(out, "package.json"), packageJson(version));
    for (const file of ["zorvane-calc.mjs", "zorvane-calc.wasm"]) await copyFile(join(site, file), join(out, file));
    for (const file of ["zorvane-calc.d.ts", "README.md"]) await copyFile(join(HERE, file), join(out, file));
    await copyFile(license, join(out, "LICENSE"));
}

main().catch((error) => {
    console.error(`build_package: ${error.stack ?? error}`);
    process.exit(1);
});
