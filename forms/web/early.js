// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The forms runtime's first lines, written into the page before its window (ui2page.py), so that
// they run before the page's first frame: from then on a click on a button of the window, or the
// Enter or Space that chooses one, is handed to the runtime (runtime.js) once the program has
// started; until then it waits here, and the runtime delivers it first. The runtime also leaves
// here how the window gives way to a notice (close).
const formsEvents = { waiting: [], deliver: null, close: null };
addEventListener('click', (event) => {
    const button = event.target.closest?.('.form > button');
    if (button) {
        const name = `${button.id}_Click`;
        formsEvents.deliver ? formsEvents.deliver(name) : formsEvents.waiting.push(name);
    }
}, true);
// Enter chooses the focused button once per press, as Space does: a held key repeats its press,
// and Next would step to the limit and then hand the focus to Init.
addEventListener('keydown', (event) => {
    if (event.key === 'Enter' && event.repeat && event.target.closest?.('.form')) {
        event.preventDefault();
    }
}, true);
// The rest of the runtime and the program come after the page's first frame, which their
// script would hold up, even fetched ahead: the script that these lines' data-program names.
const formsProgram = document.currentScript.dataset.program;
requestAnimationFrame(() => setTimeout(() => {
    document.head.append(Object.assign(document.createElement('script'), { src: formsProgram }));
}));
