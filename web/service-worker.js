// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// Keeps each release of the page whole for use without a network, and lets a new release take
// over only whole, and only from windows that do not run the one before.
//
// A release is named after what it keeps: the version and a hash of every file, so that any
// change to any of them is a new release, which browsers install. Its core files are kept all or
// none, past the browser's HTTP cache: where one cannot be had, the install fails and the release
// before goes on serving. A chime that the host lacks is kept once it is played online, and the
// face of the signs, which only a device without a Japanese face asks for, once asked for. Each
// copy of the page on a host keeps its own caches, named with its scope.

// (Filled in as the page is put together: web/assemble.cmake.)
const RELEASE = '@RELEASE@';
const CORE = '@CORE@'.split(' ');
const LATER = '@LATER@'.split(' ');
const SCOPE = self.registration.scope;
const CACHE = `${RELEASE} ${SCOPE}`;

self.addEventListener('install', (event) => {
    const fresh = (file) => new Request(file, { cache: 'reload' });
    event.waitUntil(caches.open(CACHE)
        .then((cache) => cache.addAll(CORE.map(fresh)).then(() => Promise.all(LATER
            .filter((file) => file.endsWith('.wav'))
            .map((file) => cache.add(fresh(file)).catch(() => {})))))
        .catch((error) => caches.delete(CACHE).then(() => { throw error; })));
});

// A window that runs the release before goes on with it whole: the new release waits until no
// window runs the old one, or until the one window there starts again or asks for it.
self.addEventListener('message', (event) => {
    if (event.data === 'take over') {
        self.skipWaiting();
    }
});

self.addEventListener('activate', (event) => {
    event.waitUntil(caches.keys()
        .then((names) => Promise.all(names
            .filter((name) => name.endsWith(` ${SCOPE}`) && name !== CACHE)
            .map((name) => caches.delete(name))))
        .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
    if (event.request.method === 'GET') {
        event.respondWith(answer(event.request));
    }
});

async function answer(request) {
    const waiting = self.registration.waiting;
    if (request.mode === 'navigate' && waiting &&
        (await self.clients.matchAll({ type: 'window' })).length <= 1) {
        // The new release takes over, and the page is asked for again, of it.
        const activated = await Promise.race([new Promise((resolve) => {
            waiting.addEventListener('statechange', () => waiting.state === 'activated' && resolve(true));
            waiting.postMessage('take over');
        }), new Promise((resolve) => setTimeout(resolve, 5000, false))]);
        if (activated) {
            return Response.redirect(request.url, 303);
        }
    }
    const cache = await caches.open(CACHE);
    const kept = await cache.match(request, { ignoreSearch: true });
    if (kept) {
        return kept;
    }
    const response = await fetch(request);
    if (response.ok && LATER.some((file) => new URL(file, SCOPE).href === request.url)) {
        await cache.put(request, response.clone());
    }
    return response;
}
