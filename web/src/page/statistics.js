// The statistics of a result whose values carry tolerances, as the module
// answers them (calc.monteCarlo): the histogram drawn as SVG from the
// module's figure, with the result window and the worst case marked, the
// figures, each value's share of the variance, and the histogram as CSV and
// SVG files. Every number is the module's; this file only arranges them.
import { argumentName, download, element, keepUnits, unitSuffix } from "./dom.js";

const SVG = "http://www.w3.org/2000/svg";

function svg(tag, attributes = {}, ...children) {
    const node = document.createElementNS(SVG, tag);
    for (const [name, value] of Object.entries(attributes)) node.setAttribute(name, String(value));
    node.append(...children);
    return node;
}

let figures = 0;

// A percentage as the tool's lines write it: yield with four decimals.
export const percentText = (fraction, digits) => `${(fraction * 100).toFixed(digits)}\u00a0%`;

// The histogram as an SVG drawing of the module's figure (calc.histogramFigure:
// the bins, their heights and where the window and the worst case fall, as
// the tool and a notebook draw them): bars of the counts, the window shaded
// between solid edges, the worst case between dashed lines, the ends of the
// axis labelled. `width` is the drawing's own (its box's, so text keeps its
// size); `compact` draws a small one for a table's row, without text. A
// margin on each side keeps the worst case's lines clear of the edge.
export function histogramSvg(calc, unit, stats, { width = 600, compact = false, labelledBy } = {}) {
    const figure = calc.histogramFigure(stats);
    const height = compact ? 36 : 180;
    const axis = compact ? 0 : 34;
    const top = compact ? 2 : 8;
    const margin = width * 0.03;
    const x = (place) => margin + place * (width - 2 * margin);
    const base = height - axis;
    const drawing = svg("svg", {
        class: compact ? "histogram compact" : "histogram", viewBox: `0 0 ${width} ${height}`,
        width, height, preserveAspectRatio: "none", focusable: "false",
        ...(labelledBy ? { role: "img", "aria-labelledby": labelledBy } : { "aria-hidden": "true" }),
    });
    if (figure.window) {
        const { left, right, edges } = figure.window;
        if (right > left) drawing.append(svg("rect", { class: "window", x: x(left), y: 0, width: x(right) - x(left), height: base }));
        for (const edge of edges) drawing.append(svg("line", { class: "window-edge", x1: x(edge), x2: x(edge), y1: 0, y2: base }));
    }
    const bars = svg("g", { class: "bars" });
    for (const bar of figure.bars) {
        if (bar.count === 0) continue;
        const tall = (base - top) * bar.height;
        bars.append(svg("rect", { x: x(bar.left), y: base - tall, width: Math.max(0.5, x(bar.right) - x(bar.left)), height: tall }));
    }
    drawing.append(bars);
    for (const place of [figure.worst.left, figure.worst.right]) {
        drawing.append(svg("line", { class: "worst", x1: x(place), x2: x(place), y1: 0, y2: base }));
    }
    drawing.append(svg("line", { class: "axis", x1: 0, x2: width, y1: base, y2: base }));
    // The worst case's ends are labelled under the axis, where its dashed lines meet it.
    if (!compact && stats.worst) {
        const label = (v, place, anchor) => svg("text", { x: x(place), y: height - 10, "text-anchor": anchor }, keepUnits(calc.format(v, unit)));
        drawing.append(label(stats.worst.min, figure.worst.left, "start"), label(stats.worst.max, figure.worst.right, "end"));
    }
    return drawing;
}

// A candidate's worst case (a bar, its nominal result a tick) against the
// window (shaded), on a scale from `low` to `high` shared by a table's rows.
export function rangeBar({ min, max, nominal }, window, low, high) {
    const x = (v) => (high > low ? ((v - low) / (high - low)) * 100 : 50);
    return svg("svg", { class: "range-bar", viewBox: "0 0 100 12", preserveAspectRatio: "none", "aria-hidden": "true" },
        svg("rect", { class: "window", x: x(window.low), y: 0, width: x(window.high) - x(window.low), height: 12 }),
        svg("rect", { class: "worst-range", x: x(min), y: 3, width: Math.max(0.5, x(max) - x(min)), height: 6 }),
        svg("line", { class: "nominal", x1: x(nominal), x2: x(nominal), y1: 0, y2: 12 }));
}

// The drawing as a file of its own: the page's colours written into it.
export function standaloneSvg(drawing) {
    const copy = drawing.cloneNode(true);
    copy.setAttribute("xmlns", SVG);
    copy.removeAttribute("role");
    copy.removeAttribute("aria-labelledby");
    const live = drawing.querySelectorAll("*");
    copy.querySelectorAll("*").forEach((node, i) => {
        const style = getComputedStyle(live[i]);
        for (const name of ["fill", "fill-opacity", "stroke", "stroke-width", "stroke-dasharray", "font-family", "font-size"]) {
            const value = style.getPropertyValue(name);
            if (value && value !== "none" && value !== "normal") node.setAttribute(name, value);
            else if (value === "none" && (name === "fill" || name === "stroke")) node.setAttribute(name, "none");
        }
    });
    const background = getComputedStyle(drawing).getPropertyValue("--card").trim() || "#ffffff";
    copy.prepend(svg("rect", { x: 0, y: 0, width: "100%", height: "100%", fill: background }));
    return `<?xml version="1.0" encoding="UTF-8"?>\n${new XMLSerializer().serializeToString(copy)}\n`;
}

// The bins as CSV: from, to, samples; numbers as the module gives them
// (the shortest text that reads back as the same double).
export function histogramCsv(label, unit, histogram) {
    const quote = (text) => `"${text.replaceAll('"', '""')}"`;
    const rows = [[`${label} from${unitSuffix(unit)}`, `${label} to${unitSuffix(unit)}`, "samples"].map(quote).join(",")];
    histogram.counts.forEach((count, i) => rows.push([histogram.edges[i], histogram.edges[i + 1], count].map(String).join(",")));
    return `${rows.join("\r\n")}\r\n`;
}

// What a screen reader is told of the drawing.
function summary(calc, formula, stats) {
    const f = (v) => keepUnits(calc.format(v, formula.unit));
    const parts = [`Histogram of ${stats.samples.toLocaleString("en")} samples of ${formula.label}` +
        ` (${stats.distribution}, seed ${stats.seed}) in ${stats.histogram.counts.length} bins, from ${f(stats.min)} to ${f(stats.max)}`];
    parts.push(`worst case ${f(stats.worst.min)} .. ${f(stats.worst.max)}, between the dashed lines`);
    if (stats.window) {
        parts.push(`result window ${f(stats.window.low)} .. ${f(stats.window.high)}, shaded` +
            (stats.yield === null || stats.yield === undefined ? "" : `, holding ${percentText(stats.yield, 4)} of the samples`));
    }
    return `${parts.join("; ")}.`;
}

// A bar as long as a share; its length is set through the style object,
// which the page's policy allows where a style attribute is not.
function shareBar(share) {
    const bar = element("span", { class: "share", "aria-hidden": "true" });
    bar.style.setProperty("--share", (share * 100).toFixed(1));
    return bar;
}

const row = (name, value) => [element("dt", { text: name }), element("dd", { text: value })];

// The figures of a run, and the parts that matter: the answer's body.
export function statisticsView(calc, formula, stats, { keyword }) {
    const f = (v) => keepUnits(calc.format(v, formula.unit));
    const parts = [];
    if (stats.histogram && stats.samples) {
        const id = `histogram-summary-${++figures}`;
        const box = element("div", { class: "histogram-box" });
        const figure = element("figure", { class: "histogram-figure" }, box,
            element("figcaption", { id, class: "help", text: summary(calc, formula, stats) }));
        // Drawn at its box's width once in the page, so its text keeps its size.
        const draw = (width) => box.replaceChildren(histogramSvg(calc, formula.unit, stats, { width, labelledBy: id }));
        draw(600);
        requestAnimationFrame(() => {
            const width = Math.round(box.clientWidth);
            if (width > 0 && width !== 600) draw(width);
        });
        const csv = element("button", { type: "button", class: "export", text: "Histogram as CSV" });
        csv.addEventListener("click", () => download(histogramCsv(formula.label, formula.unit, stats.histogram),
            `${keyword}-histogram.csv`, "text/csv;charset=utf-8"));
        const picture = element("button", { type: "button", class: "export", text: "Histogram as SVG" });
        picture.addEventListener("click", () => download(standaloneSvg(box.querySelector("svg")),
            `${keyword}-histogram.svg`, "image/svg+xml"));
        parts.push(figure, element("p", { class: "legend help" },
            element("span", { class: "key window-key", "aria-hidden": "true" }), " result window ",
            element("span", { class: "key worst-key", "aria-hidden": "true" }), " worst case"),
        element("p", { class: "exports" }, csv, " ", picture));
    }
    const figuresList = element("dl", { class: "figures" });
    if (stats.samples) {
        figuresList.append(...row("Samples", `${stats.samples.toLocaleString("en")} (${stats.distribution}, seed ${stats.seed})`),
            ...row("Mean", f(stats.mean)), ...row("Standard deviation", f(stats.sd)),
            ...row("Smallest, largest seen", `${f(stats.min)}, ${f(stats.max)}`),
            ...stats.percentiles.map((p) => row(`${p.percent}\u00a0% percentile`, f(p.value))).flat());
    }
    figuresList.append(...row("Worst case", `${f(stats.worst.min)} .. ${f(stats.worst.max)}`));
    if (stats.window) {
        figuresList.append(...row("Result window", `${f(stats.window.low)} .. ${f(stats.window.high)}, worst case ` +
            (stats.window.inside ? "inside" : "outside")));
    }
    if (stats.window && stats.samples) {
        figuresList.append(...row("Yield", `${percentText(stats.yield, 4)} (${stats.ppm.toLocaleString("en", { maximumFractionDigits: 2 })} ppm outside)`),
            ...row("Cpk", stats.cpk === null ? "undefined" : stats.cpk.toFixed(3)));
    }
    parts.push(figuresList);
    if (stats.contributions?.length) {
        const body = stats.contributions.map((c) => element("tr", {},
            element("th", { scope: "row", text: argumentName(c.argument) }),
            element("td", {}, shareBar(c.share), element("span", { text: percentText(c.share, 0) }))));
        parts.push(element("table", { class: "contributions" },
            element("caption", { text: "Share of the variance: the part to tighten first" }),
            element("thead", {}, element("tr", {}, element("th", { scope: "col", text: "Value" }), element("th", { scope: "col", text: "Share" }))),
            element("tbody", {}, ...body)));
    }
    return parts;
}
