// Keeps the site for offline use: every file is cached on installation and
// answered from the cache first. The cache's name carries a hash of the
// site's contents, so a new build replaces the old files as a whole.
const CACHE = "@CACHE_NAME@";
const FILES = @FILES@;

self.addEventListener("install", (event) => {
    event.waitUntil(caches.open(CACHE)
        // Past the HTTP cache: the files must be the ones the name was made from.
        .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: "reload" }))))
        .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
    event.waitUntil(caches.keys()
        .then((names) => Promise.all(names
            .filter((name) => name.startsWith("zorvane-calc-") && name !== CACHE)
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
