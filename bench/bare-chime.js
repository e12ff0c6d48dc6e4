// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The least a page can do between a click and a sound: a chime decoded as the page loads, played
// on the click.
const audio = new AudioContext();
let chime = null;
fetch('pinpon.wav').then((response) => response.arrayBuffer())
    .then((bytes) => audio.decodeAudioData(bytes)).then((decoded) => { chime = decoded; });
document.getElementById('play').addEventListener('click', () => {
    audio.resume();
    const source = new AudioBufferSourceNode(audio, { buffer: chime });
    source.connect(audio.destination);
    source.start();
});
