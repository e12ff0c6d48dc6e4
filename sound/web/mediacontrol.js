// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window's hidden media control on the page, <media-control>: it plays short waveform files
// through the browser's Web Audio and is driven entirely by two properties, a command and a file
// name, which the forms runtime stores. A name that is no command is refused. Every other
// outcome is swallowed: a file that is missing, damaged or unplayable simply stays silent.
//
// After the window's first frame the control fetches and decodes the files named in its
// data-preload, so that the first chime finds them ready; any other file is fetched when it is
// opened. Its audio context, whose making holds the page up for a tenth of a second the first
// time (the browser starts its audio service), is made as the user first moves the pointer or
// presses a key or touches the page, on the way to the first click, and stays suspended until a
// click resumes it. A chime starts on the click that asks for it, which browsers require before
// any sound, and one that cannot start within 250 ms of it is dropped rather than played late.

customElements.define('media-control', class extends HTMLElement {
    static stale = 250; // ms

    #command = 'Stop';
    #fileName = '';
    #audio = null;
    #chimes = new Map(); // address → { buffer: AudioBuffer, null or not yet, decoded: promise }
    #open = null; // the open file's chime
    #asked = null; // the cue asked for last, until it is stopped
    #playing = null;

    connectedCallback() {
        requestAnimationFrame(() => setTimeout(() => {
            for (const name of (this.dataset.preload ?? '').split(' ').filter(Boolean)) {
                this.#decode(name);
            }
            const early = new AbortController();
            for (const event of this.constructor.early) {
                addEventListener(event, () => {
                    this.#context();
                    early.abort();
                }, { capture: true, passive: true, signal: early.signal });
            }
        }));
    }

    static early = ['pointermove', 'pointerdown', 'keydown', 'touchstart'];

    // A browser without audio plays nothing, and that is no error either.
    #context() {
        try {
            if (this.isConnected) {
                this.#audio ??= new AudioContext();
            }
        } catch {
            // Silent.
        }
        return this.#audio;
    }

    // The window has gone: nothing of it sounds on.
    disconnectedCallback() {
        this.#audio?.close().catch(() => {});
        this.#audio = null;
    }

    get fileName() {
        return this.#fileName;
    }

    set fileName(name) {
        this.#fileName = String(name);
    }

    get command() {
        return this.#command;
    }

    set command(command) {
        const commands = {
            Stop: () => this.#stop(),
            Close: () => {
                this.#open = null;
            },
            Open: () => {
                this.#open = this.#decode(this.#fileName);
            },
            Sound: () => this.#sound(),
        };
        if (!Object.hasOwn(commands, command)) {
            throw new TypeError(`${command} is no command of the media control`);
        }
        this.#command = command;
        commands[command]();
    }

    #stop() {
        this.#asked = null;
        this.#playing?.stop();
        this.#playing = null;
    }

    // Each file is fetched and decoded once, at the rate that the chimes are made at; played, it
    // is resampled to the device's.
    #decode(name) {
        const address = new URL(name, document.baseURI).href;
        if (!this.#chimes.has(address)) {
            const chime = { buffer: undefined };
            chime.decoded = fetch(address)
                .then((response) => (response.ok ? response.arrayBuffer() : null))
                .then((bytes) => bytes && new OfflineAudioContext(1, 1, 44100).decodeAudioData(bytes))
                .catch(() => null)
                .then((buffer) => { chime.buffer = buffer; return buffer; });
            this.#chimes.set(address, chime);
        }
        return this.#chimes.get(address);
    }

    #sound() {
        const chime = this.#open;
        const audio = this.#context();
        if (!chime || !audio) {
            return;
        }
        const asked = { at: performance.now() };
        this.#asked = asked;
        audio.resume().catch(() => {});
        const late = () => performance.now() - asked.at > this.constructor.stale;
        const play = (buffer) => {
            if (!buffer || this.#asked !== asked || audio !== this.#audio || late()) {
                return;
            }
            let source;
            try {
                source = new AudioBufferSourceNode(audio, { buffer });
                source.connect(audio.destination);
                source.start();
            } catch {
                return;
            }
            this.#playing = source;
            // Started, it sounds once the device runs; a device that does not run in time drops it.
            setTimeout(() => {
                if (audio.state !== 'running' && this.#playing === source) {
                    this.#stop();
                }
            }, this.constructor.stale - (performance.now() - asked.at));
        };
        if (chime.buffer === undefined) {
            chime.decoded.then(play);
        } else {
            play(chime.buffer);
        }
    }
});
