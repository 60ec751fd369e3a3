// The site's icon, drawn from one description: a sine wave on a rounded
// tile. The SVG serves browsers' tabs; the PNGs the home screens that want
// bitmaps (the maskable one keeps the wave inside the safe zone).
import { deflateSync } from "node:zlib";

const TILE = "#0e6b73";
const WAVE = "#ffffff";
const VIEW = 64;
const CORNER = 14;
const WAVE_FROM = 12;
const WAVE_TO = 52;
const AMPLITUDE = 11;
const STROKE = 5.5;

function waveY(x) {
    return VIEW / 2 - AMPLITUDE * Math.sin((2 * Math.PI * (x - WAVE_FROM)) / (WAVE_TO - WAVE_FROM));
}

export function iconSvg() {
    const points = [];
    for (let x = WAVE_FROM; x <= WAVE_TO + 1e-9; x += 1) points.push(`${x},${waveY(x).toFixed(2)}`);
    return `<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 ${VIEW} ${VIEW}">` +
        `<rect width="${VIEW}" height="${VIEW}" rx="${CORNER}" fill="${TILE}"/>` +
        `<polyline points="${points.join(" ")}" fill="none" stroke="${WAVE}" stroke-width="${STROKE}" ` +
        `stroke-linecap="round" stroke-linejoin="round"/></svg>\n`;
}

// The wave as a polyline fine enough to pass for the curve.
const SEGMENTS = 160;
const WAVE_POINTS = Array.from({ length: SEGMENTS + 1 }, (_, i) => {
    const x = WAVE_FROM + ((WAVE_TO - WAVE_FROM) * i) / SEGMENTS;
    return [x, waveY(x)];
});

function squaredDistanceToSegment(x, y, [ax, ay], [bx, by]) {
    const dx = bx - ax;
    const dy = by - ay;
    const t = Math.min(1, Math.max(0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)));
    const ex = x - (ax + t * dx);
    const ey = y - (ay + t * dy);
    return ex * ex + ey * ey;
}

// Whether (x, y) lies within the stroke around the wave; only the segments
// within half a stroke of x can be that near.
function onWave(x, y) {
    const half = STROKE / 2;
    if (Math.abs(y - VIEW / 2) > AMPLITUDE + half) return false;
    const step = (WAVE_TO - WAVE_FROM) / SEGMENTS;
    const first = Math.max(0, Math.floor((x - half - WAVE_FROM) / step));
    const last = Math.min(SEGMENTS - 1, Math.ceil((x + half - WAVE_FROM) / step));
    for (let i = first; i <= last; ++i) {
        if (squaredDistanceToSegment(x, y, WAVE_POINTS[i], WAVE_POINTS[i + 1]) <= half * half) return true;
    }
    return false;
}

function insideTile(x, y, corner) {
    const cx = Math.min(Math.max(x, corner), VIEW - corner);
    const cy = Math.min(Math.max(y, corner), VIEW - corner);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= corner * corner;
}

function hexColor(hex) {
    return [1, 3, 5].map((i) => parseInt(hex.slice(i, i + 2), 16));
}

// RGBA pixels, 4x4 samples per pixel. `scale` shrinks the wave about the
// centre (maskable icons); `corner` 0 fills the whole square.
function rasterize(size, { scale = 1, corner = CORNER } = {}) {
    const pixels = Buffer.alloc(size * size * 4);
    const tile = hexColor(TILE);
    const wave = hexColor(WAVE);
    const samples = 4;
    for (let py = 0; py < size; ++py) {
        for (let px = 0; px < size; ++px) {
            let tileCover = 0;
            let waveCover = 0;
            for (let sy = 0; sy < samples; ++sy) {
                for (let sx = 0; sx < samples; ++sx) {
                    const x = ((px + (sx + 0.5) / samples) * VIEW) / size;
                    const y = ((py + (sy + 0.5) / samples) * VIEW) / size;
                    if (!insideTile(x, y, corner)) continue;
                    tileCover += 1;
                    const wx = VIEW / 2 + (x - VIEW / 2) / scale;
                    const wy = VIEW / 2 + (y - VIEW / 2) / scale;
                    if (onWave(wx, wy)) waveCover += 1;
                }
            }
            const at = (py * size + px) * 4;
            const w = tileCover ? waveCover / tileCover : 0;
            for (let c = 0; c < 3; ++c) pixels[at + c] = Math.round(tile[c] * (1 - w) + wave[c] * w);
            pixels[at + 3] = Math.round((255 * tileCover) / (samples * samples));
        }
    }
    return pixels;
}

const CRC_TABLE = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
});

function crc32(bytes) {
    let c = 0xffffffff;
    for (const b of bytes) c = CRC_TABLE[(c ^ b) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(data.length, 0);
    head.write(type, 4, "latin1");
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])), 0);
    return Buffer.concat([head, data, crc]);
}

function encodePng(size, pixels) {
    const header = Buffer.alloc(13);
    header.writeUInt32BE(size, 0);
    header.writeUInt32BE(size, 4);
    header.set([8, 6, 0, 0, 0], 8);  // 8 bits per channel, RGBA, no interlace
    const rows = Buffer.alloc(size * (size * 4 + 1));
    for (let y = 0; y < size; ++y) pixels.copy(rows, y * (size * 4 + 1) + 1, y * size * 4, (y + 1) * size * 4);
    return Buffer.concat([
        Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
        chunk("IHDR", header),
        chunk("IDAT", deflateSync(rows, { level: 9 })),
        chunk("IEND", Buffer.alloc(0)),
    ]);
}

export function iconPng(size, { maskable = false } = {}) {
    const options = maskable ? { scale: 0.72, corner: 0 } : {};
    return encodePng(size, rasterize(size, options));
}
