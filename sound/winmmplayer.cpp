// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The chime player on Windows' waveform audio (waveOut), built as a library of its own.
//
// All talk with the audio device happens on one thread of the player's own, which carries out
// the commands the window's thread leaves in its mailbox and feeds the device a few short
// buffers at a time. The window's thread only ever takes the mailbox's lock for as long as it
// takes to post.
//
// Each chime opens the device anew, and the device is closed again by the next command or once
// it has been idle a while. Opening needs an answer from the audio service, and only once that
// answer is in does the chime's freshness count: a device that hung and woke up has its old
// chimes dropped, not played late. PlaySound could do none of this, nor stream a long chime from
// disk, and Wine's waits for the previous sound without limit. The price is the volume: the
// chimes play in the program's own audio session, listed under its name from the version record,
// since only PlaySound reaches the session of the system sounds.

#include "chime.h"
#include "chimeplayer.h"
#include "playerthread.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>
#include <windows.h>

namespace {

using namespace PlayerThread;

// Opening the device once at this rate as the player starts loads the audio drivers and reaches
// the audio service, so that the first chime does not pay for it.
constexpr DWORD FirstRate = 44100;
// The device is fed this many buffers of this length: enough that a busy machine does not starve
// it, few enough that a long chime takes little memory.
constexpr std::size_t BufferCount = 4;
constexpr DWORD BuffersPerSecond = 20;
constexpr WORD Channels = 2;
// A device that has played its chime out is closed this long after, so that the audio system can
// rest; the next chime opens it anew in any case.
constexpr DWORD RestAfterMs = 1000;

// Wakes the player's thread; it takes every command waiting once awake.
class WinmmMailbox : public Mailbox
{
public:
    ~WinmmMailbox() override
    {
        if (posted) {
            CloseHandle(posted);
        }
    }

    const HANDLE posted = CreateEventW(nullptr, FALSE, FALSE, nullptr);

private:
    void wake() override { SetEvent(posted); }
};

// The device and the chime; lives on the player's thread alone.
class Engine
{
public:
    Engine() = default;
    ~Engine()
    {
        closeDevice();
        if (done_) {
            CloseHandle(done_);
        }
    }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Signalled by the device as it hands buffers back.
    HANDLE done() const { return done_; }

    void warmUp()
    {
        openDevice(FirstRate);
        closeDevice();
    }

    void open(const std::string& path)
    {
        close();
        chime_ = Chime::Open(path);
    }
    void play(Clock::time_point issued)
    {
        closeDevice();
        if (!chime_) {
            return;
        }
        chime_->rewind();
        // A device that is missing is asked for again at the next chime, so one that comes
        // later is found.
        if (!openDevice(DWORD(chime_->rate()))) {
            return;
        }
        if (Clock::now() - issued > FreshFor) {
            closeDevice();
            return;
        }
        feed();
    }
    void stop() { closeDevice(); }
    void close()
    {
        stop();
        chime_.reset();
    }

    // Takes back the buffers the device has played and refills them while the chime lasts.
    void feed();

    // How long the device may wait for the next command before it rests.
    DWORD idleTime() const
    {
        const bool idle = device_ && written_ && std::ranges::none_of(buffers_, &Buffer::queued);
        return idle ? RestAfterMs : INFINITE;
    }
    void rest() { closeDevice(); }

private:
    struct Buffer
    {
        WAVEHDR header{};
        std::vector<std::int16_t> samples;
        bool queued = false;
    };

    bool openDevice(DWORD rate);
    void closeDevice();
    void reclaim();
    bool write(Buffer& buffer);

    const HANDLE done_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HWAVEOUT device_ = nullptr;
    std::size_t bufferFrames_ = 0;
    std::array<Buffer, BufferCount> buffers_;
    std::unique_ptr<Chime> chime_;
    // All of the chime has gone to the device.
    bool written_ = false;
};

bool Engine::openDevice(DWORD rate)
{
    if (!done_) {
        return false;
    }
    // 16-bit PCM is what every device and the wave mapper take.
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = Channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = Channels * sizeof(std::int16_t);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    if (waveOutOpen(&device_, WAVE_MAPPER, &format, DWORD_PTR(done_), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
        device_ = nullptr;
        return false;
    }
    bufferFrames_ = std::max<std::size_t>(1, rate / BuffersPerSecond);
    for (Buffer& buffer : buffers_) {
        buffer.samples.resize(bufferFrames_ * Channels);
    }
    written_ = false;
    return true;
}

void Engine::closeDevice()
{
    if (!device_) {
        return;
    }
    // Hands every buffer back at once, which cuts the chime.
    waveOutReset(device_);
    for (Buffer& buffer : buffers_) {
        if (buffer.queued) {
            waveOutUnprepareHeader(device_, &buffer.header, sizeof(buffer.header));
            buffer.queued = false;
        }
    }
    waveOutClose(device_);
    device_ = nullptr;
}

void Engine::reclaim()
{
    for (Buffer& buffer : buffers_) {
        if (buffer.queued && (buffer.header.dwFlags & WHDR_DONE)) {
            waveOutUnprepareHeader(device_, &buffer.header, sizeof(buffer.header));
            buffer.queued = false;
        }
    }
}

bool Engine::write(Buffer& buffer)
{
    const std::span<const float> piece = chime_->next(bufferFrames_);
    written_ = piece.size() < bufferFrames_ * Channels;
    if (piece.empty()) {
        return true;
    }
    std::transform(piece.begin(), piece.end(), buffer.samples.begin(), [](float sample) {
        return std::int16_t(std::lrint(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
    });
    buffer.header = {};
    buffer.header.lpData = reinterpret_cast<LPSTR>(buffer.samples.data());
    buffer.header.dwBufferLength = DWORD(piece.size() * sizeof(std::int16_t));
    if (waveOutPrepareHeader(device_, &buffer.header, sizeof(buffer.header)) != MMSYSERR_NOERROR) {
        return false;
    }
    if (waveOutWrite(device_, &buffer.header, sizeof(buffer.header)) != MMSYSERR_NOERROR) {
        waveOutUnprepareHeader(device_, &buffer.header, sizeof(buffer.header));
        return false;
    }
    buffer.queued = true;
    return true;
}

void Engine::feed()
{
    if (!device_) {
        return;
    }
    reclaim();
    for (Buffer& buffer : buffers_) {
        if (written_ || !chime_) {
            break;
        }
        // A device that refuses the chime is given up; the next chime opens it anew.
        if (!buffer.queued && !write(buffer)) {
            closeDevice();
            return;
        }
    }
}

// The player's thread: carries out the commands as they come, and feeds the device between them.
void Run(WinmmMailbox& mailbox)
{
    if (!mailbox.posted) {
        return;
    }
    Engine engine;
    engine.warmUp();
    const HANDLE events[] = {mailbox.posted, engine.done()};
    const DWORD eventCount = engine.done() ? 2 : 1;
    for (;;) {
        if (WaitForMultipleObjects(eventCount, events, FALSE, engine.idleTime()) == WAIT_TIMEOUT) {
            engine.rest();
        }
        if (!CarryOut(engine, mailbox.take())) {
            return;
        }
        engine.feed();
    }
}

} // namespace

CHIME_PLAYER_EXPORT ChimePlayer* CHIME_PLAYER_ENTRY()
{
    try {
        auto mailbox = std::make_shared<WinmmMailbox>();
        return new Player(mailbox, [mailbox] { Run(*mailbox); });
    } catch (...) {
        // No exception may reach a program with another C++ run-time.
        return nullptr;
    }
}
