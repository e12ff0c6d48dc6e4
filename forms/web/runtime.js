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
    let program = null;

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

    const deliver = (event) => {
        if (!form.isConnected || box.open) {
            return; // the program has ended, or its box holds the window
        }
        if (program) {
            program[`_${event}`]?.();
        } else {
            formsEvents.waiting.push(event);
        }
    };
    formsEvents.deliver = deliver;

    // Without its module the window cannot answer: it goes, and the page says so.
    const fail = () => {
        form.remove();
        formsEvents.waiting.length = 0;
        const failed = document.getElementById('failed');
        failed.hidden = false;
        document.title = `${failed.firstElementChild.textContent} ${document.title}`;
        failed.focus();
    };

    // The page shows the window as activated already; this script comes after its first frame
    // (early.js), and so does the module.
    FormsProgram().then((module) => {
        program = module;
        // The page was made showing the window as its activation leaves it (the same handlers,
        // run as the page was built). Put back as its layout has it and activated in the same
        // task, the window shows no change, and nothing is said.
        for (const control of form.querySelectorAll('[data-design]')) {
            control.textContent = control.dataset.design;
        }
        deliver('Form_Activate');
        stores.takeRecords();
        formsEvents.waiting.splice(0).forEach(deliver);
    }, fail);
})();
