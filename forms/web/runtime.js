// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The forms runtime on the page: it starts the program's module and delivers the window's
// events to the form's handlers by their names (Form_Activate, Command1_Click, ...), one at a
// time, each handled to its end before the next, and none while a box is open over the window.
// Clicks that come before the module runs (early.js) wait for it, after the window's activation.
// What an event's handler stores in the window's captions is said once to screen readers.

(() => {
    const form = document.querySelector('.form');
    const box = document.getElementById('msgbox');
    const said = document.getElementById('said');

    // Each caption that a handler stores, in the window's reading order, with the name that
    // screen readers know its control by: "＜Plato's method＞, a 4, b 3, c 5".
    const stores = new MutationObserver((records) => {
        const captions = new Set(records.map((record) => record.target.closest('.form > *'))
            .filter((control) => control && !control.matches('section')));
        if (captions.size) {
            said.textContent = [...form.children].filter((control) => captions.has(control))
                .map((control) => [control.ariaLabel, control.textContent].filter(Boolean).join(' '))
                .join(', ');
        }
    });
    stores.observe(form, { subtree: true, childList: true, characterData: true });

    // The window goes, and the page says why (the notice NOTICE names), in its title too, with
    // the focus on what it says, which screen readers then read.
    formsEvents.close = (notice) => {
        if (form.isConnected) {
            form.remove();
            const says = document.getElementById(notice);
            says.hidden = false;
            document.title = `${says.firstElementChild.textContent} ${document.title}`;
            says.focus();
        }
    };

    // The page shows the window as activated already; this script comes after its first frame
    // (early.js), and so does the module. Without it the window cannot answer.
    FormsProgram().then((program) => {
        const deliver = (event) => {
            if (form.isConnected && !box.open) { // not ended, nor held by its box
                program[`_${event}`]?.();
            }
        };
        // The page was made showing the window as its activation leaves it (the same handlers,
        // run as the page was built). Put back as its layout has it and activated in the same
        // task, the window shows no change, and nothing is said.
        for (const control of form.querySelectorAll('[data-design]')) {
            control.textContent = control.dataset.design;
        }
        deliver('Form_Activate');
        stores.takeRecords();
        formsEvents.waiting.splice(0).forEach(deliver);
        formsEvents.deliver = deliver;
    }, () => formsEvents.close('failed'));
})();
