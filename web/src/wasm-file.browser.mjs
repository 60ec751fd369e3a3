// In a browser the WebAssembly is fetched; there is no file to read.
export async function readWasmFile(url) {
    throw new Error(`${url}: no file system here to read it from`);
}
