// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The forms runtime on the page: it starts the program's module and delivers the window's
// events to the form's handlers by their names (Form_Activate, Command1_Click, ...), one at a
// time, each handled to its end before the next. A click that comes before the module runs waits
// for it, after the window's activation.

(() => {
    const form = document.querySelector('.form');
    const waiting = [];
    let program = null;

    const deliver = (event) => {
        if (!form.isConnected) {
            return; // the program has ended
        }
        if (program) {
            program[`_${event}`]?.();
        } else {
            waiting.push(event);
        }
    };

    for (const button of form.querySelectorAll('button')) {
        button.addEventListener('click', () => deliver(`${button.id}_Click`));
    }
    // Enter chooses the focused button once per press, as Space does: a held key repeats its
    // press, and Next would step to the limit and then hand the focus to Init.
    form.addEventListener('keydown', (event) => {
        if (event.key === 'Enter' && event.repeat) {
            event.preventDefault();
        }
    });

    // The page shows the window as activated already, so the module starts after the first
    // frame rather than holding it back.
    const start = () => FormsProgram().then((module) => {
        program = module;
        // The page was made showing the window as its activation leaves it (the same handlers,
        // run as the page was built). Put back as its layout has it and activated in the same
        // task, the window shows no change.
        for (const control of form.querySelectorAll('[data-design]')) {
            control.textContent = control.dataset.design;
        }
        deliver('Form_Activate');
        waiting.splice(0).forEach(deliver);
    }, () => {
        // Without its module the window cannot answer: it goes, and the page says so.
        form.remove();
        document.getElementById('failed').hidden = false;
    });
    requestAnimationFrame(() => setTimeout(start));
})();
