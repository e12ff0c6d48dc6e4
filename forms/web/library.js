// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The forms runtime's services on the page, as the handlers call them (pagehost.cpp): stores on
// the window's controls, printing into a picture box, the message box and the end. The controls
// are the page's elements of the layout's names. (Emscripten rewrites this file with the module's
// loader, and the rewriter of Debian 12's emscripten takes no syntax past ES2019.)

mergeInto(LibraryManager.library, {
    $Forms: {
        // How each property of the runtime, by its name, is stored on an element, and which
        // elements have it.
        properties: {
            Caption: ['textContent', (element, text) => { element.textContent = text; }],
            Enabled: ['disabled', (element, enabled) => { element.disabled = !enabled; }],
            Command: ['command', (element, command) => { element.command = command; }],
            FileName: ['fileName', (element, name) => { element.fileName = name; }],
        },

        // The control is in the window, has the property and takes the value.
        store: (control, property, value) => {
            const element = Forms.control(control);
            const [name, store] = Object.prototype.hasOwnProperty.call(Forms.properties, property)
                ? Forms.properties[property] : [];
            if (!element || !store || !(name in element)) {
                return false;
            }
            try {
                store(element, value);
                return true;
            } catch {
                return false;
            }
        },

        // A control of the window, which is gone once the program has ended.
        control: (name) => {
            const element = document.getElementById(name);
            return element && element.closest('.form') ? element : null;
        },

        box: () => document.getElementById('msgbox'),
    },

    forms_store_string__deps: ['$Forms'],
    forms_store_string: function (control, controlLength, property, propertyLength, value,
                                  valueLength) {
        return Forms.store(UTF8ToString(control, controlLength),
                           UTF8ToString(property, propertyLength), UTF8ToString(value, valueLength));
    },

    forms_store_boolean__deps: ['$Forms'],
    forms_store_boolean: function (control, controlLength, property, propertyLength, value) {
        return Forms.store(UTF8ToString(control, controlLength),
                           UTF8ToString(property, propertyLength), Boolean(value));
    },

    // Each line lands below the last one; nothing wraps at the window's size, and what passes
    // the edge is cut off.
    forms_print__deps: ['$Forms'],
    forms_print: function (control, controlLength, line, lineLength) {
        const element = Forms.control(UTF8ToString(control, controlLength));
        const lines = element && element.querySelector('.print');
        if (!lines) {
            return false;
        }
        lines.append(UTF8ToString(line, lineLength) + '\n');
        return true;
    },

    // Modal: the window behind it takes no clicks and no keys while it is up. However it is
    // closed (OK, Enter, Escape), it gives OK.
    forms_msgbox__deps: ['$Forms', 'forms_msgbox_closed'],
    forms_msgbox: function (prompt, promptLength, title, titleLength) {
        const box = Forms.box();
        box.querySelector('h2').textContent = UTF8ToString(title, titleLength);
        box.querySelector('p').textContent = UTF8ToString(prompt, promptLength);
        box.querySelector('button').onclick = () => box.close();
        box.onclose = () => _forms_msgbox_closed();
        box.showModal();
    },

    // The window goes away with its controls, and with them any sound they make; no handler
    // runs again. An installed app's window closes; a browser tab, which a page cannot close,
    // says that the program has ended, in its title too, with the focus on what it says.
    forms_end__deps: ['$Forms'],
    forms_end: function () {
        const box = Forms.box();
        if (box) {
            box.onclose = null;
            box.close();
        }
        formsEvents.close('ended');
        if (matchMedia('(display-mode: standalone)').matches) {
            window.close();
        }
    },
});
