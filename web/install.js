// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// Once the page has loaded, its files are kept for use without a network, where the browser can
// (service-worker.js).
if ('serviceWorker' in navigator) {
    addEventListener('load', () => {
        navigator.serviceWorker.register('service-worker.js').catch(() => {});
    });
}
