// The command line's history, kept in localStorage per copy of the site:
// the latest LIMIT commands. When the store is full the oldest are dropped
// until the newest fit; if nothing fits, the page is told.

export const LIMIT = 200;
const LONGEST = 4096;

function storageKey() {
    return `zorvane-calc-history:${new URL(".", location.href).pathname}`;
}

// Where earlier versions kept the history, for every copy of the site alike.
const SHARED_KEY = "zorvane-calc-history";

export function loadHistory() {
    try {
        const saved = JSON.parse(localStorage.getItem(storageKey()) ?? localStorage.getItem(SHARED_KEY) ?? "[]");
        return Array.isArray(saved) ? saved.filter((c) => typeof c === "string").slice(-LIMIT) : [];
    } catch {
        return [];
    }
}

// Stores as many of the newest commands as fit; returns how many that was.
export function saveHistory(history, storage = globalThis.localStorage) {
    let kept = history.filter((c) => c.length <= LONGEST).slice(-LIMIT);
    for (;;) {
        try {
            storage.setItem(storageKey(), JSON.stringify(kept));
            return kept.length;
        } catch {
            if (kept.length === 0) return 0;
            kept = kept.slice(Math.ceil(kept.length / 4));
        }
    }
}
