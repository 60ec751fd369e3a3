// The module's WebAssembly read from the file system, for node. A browser
// build of the npm package takes wasm-file.browser.mjs instead, so that a
// bundle for the web holds no node: import at all.
export async function readWasmFile(url) {
    const { readFile } = await import("node:fs/promises");
    return readFile(url);
}
