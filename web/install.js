// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// Once the page has loaded, its files are kept for use without a network, where the browser can
// (service-worker.js); and when a new release has been kept, the page says so, below the window,
// where screen readers hear it. Starting again takes the new release.
if ('serviceWorker' in navigator) {
    const loaded = (then) => (document.readyState === 'complete' ? then() : addEventListener('load', then));
    loaded(() => {
        const workers = navigator.serviceWorker;
        workers.register('service-worker.js').then((registration) => {
            const ready = () => {
                const notice = document.getElementById('release');
                if (workers.controller && notice && !notice.firstChild) {
                    notice.append('A new release of the program is ready. ', Object.assign(
                        document.createElement('a'), { href: './', textContent: 'Start it' }));
                }
            };
            const watch = (worker) => worker?.addEventListener('statechange', () => {
                worker.state === 'installed' && ready();
            });
            registration.waiting ? ready() : watch(registration.installing);
            registration.addEventListener('updatefound', () => watch(registration.installing));
        }).catch(() => {});
        // The face of the signs, where the page asked for it before the service worker kept its
        // files (on the first visit), is asked for again through it, to be kept.
        const keep = () => performance.getEntriesByType('resource')
            .filter((entry) => entry.name.endsWith('.woff2'))
            .forEach((entry) => fetch(entry.name).catch(() => {}));
        workers.controller ? keep() : workers.addEventListener('controllerchange', keep, { once: true });
    });
}
