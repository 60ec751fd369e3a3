// Keeps the site for offline use: every file is cached on installation and
// answered from the cache first. The cache's name carries the site's scope,
// so copies of the site on one origin keep their own, and a hash of its
// contents, so a new build replaces the old files as a whole.
const PREFIX = `zorvane-calc ${self.registration.scope} `;
const CACHE = `${PREFIX}@CACHE_HASH@`;
// [file, sha-256 of its bytes]
const FILES = @FILES@;

async function digest(response) {
    const bytes = await response.clone().arrayBuffer();
    const hash = new Uint8Array(await crypto.subtle.digest("SHA-256", bytes));
    return Array.from(hash, (b) => b.toString(16).padStart(2, "0")).join("");
}

// The page has just loaded most files: they are taken from the browser's
// cache when they are this build's bytes, and fetched only otherwise.
async function fetchOnce(file, sha256) {
    const cached = await fetch(file, { cache: "force-cache" });
    if (cached.ok && (await digest(cached)) === sha256) return cached;
    const fresh = await fetch(file, { cache: "reload" });
    if (!fresh.ok) throw new Error(`${file}: ${fresh.status}`);
    if ((await digest(fresh)) !== sha256) throw new Error(`${file}: not the bytes of this version`);
    return fresh;
}

// "./" and "index.html" are one file: fetched once, cached under both names.
self.addEventListener("install", (event) => {
    const fetches = new Map();
    event.waitUntil(caches.open(CACHE).then((cache) => Promise.all(FILES.map(async ([file, sha256]) => {
        if (!fetches.has(sha256)) fetches.set(sha256, fetchOnce(file, sha256));
        const response = await fetches.get(sha256);
        return cache.put(file, response.clone());
    }))));
});

// A new version waits until the page asks for it (its "Reload" notice).
self.addEventListener("message", (event) => {
    if (event.data === "activate") self.skipWaiting();
});

self.addEventListener("activate", (event) => {
    event.waitUntil(caches.keys()
        .then((names) => Promise.all(names
            .filter((name) => name.startsWith(PREFIX) && name !== CACHE)
            .map((name) => caches.delete(name))))
        .then(() => self.clients.claim()));
});

self.addEventListener("fetch", (event) => {
    const request = event.request;
    if (request.method !== "GET" || new URL(request.url).origin !== self.location.origin) return;
    event.respondWith(caches.open(CACHE)
        .then((cache) => cache.match(request, { ignoreSearch: true }))
        .then((cached) => cached ?? fetch(request)));
});
