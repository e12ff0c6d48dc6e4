// The chime player on Windows' waveform audio (waveOut), built as a plugin of its own.
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

#include <QObject>
#include <QString>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <span>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>
#include <windows.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A chime that cannot start this soon after it was asked for is dropped: heard later, as when a
// hung device wakes up, it would no longer belong to the click.
constexpr auto FreshFor = 250ms;
// How long ending the program lets the player close the device before leaving it behind.
constexpr auto FinishTime = 100ms;
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

struct Command
{
    enum Kind
    {
        Open,
        Play,
        Stop,
        Close,
        Quit,
    };
    Kind kind;
    std::filesystem::path path;
    Clock::time_point issued = Clock::now();
};

// What the window's thread and the player's thread share.
struct Mailbox
{
    // Wakes the player's thread; it takes every command waiting once awake.
    const HANDLE posted = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::mutex mutex;
    std::deque<Command> commands;
    std::condition_variable finishedChanged;
    bool finished = false;

    Mailbox() = default;
    Mailbox(const Mailbox&) = delete;
    Mailbox& operator=(const Mailbox&) = delete;
    ~Mailbox()
    {
        if (posted) {
            CloseHandle(posted);
        }
    }

    void post(Command command)
    {
        {
            const std::lock_guard lock(mutex);
            commands.push_back(std::move(command));
        }
        SetEvent(posted);
    }
    std::deque<Command> take()
    {
        const std::lock_guard lock(mutex);
        return std::exchange(commands, {});
    }
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

    void open(const std::filesystem::path& path)
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
void Run(Mailbox& mailbox)
{
    {
        Engine engine;
        engine.warmUp();
        const HANDLE events[] = {mailbox.posted, engine.done()};
        const DWORD eventCount = engine.done() ? 2 : 1;
        for (bool quit = false; !quit;) {
            if (WaitForMultipleObjects(eventCount, events, FALSE, engine.idleTime()) ==
                WAIT_TIMEOUT) {
                engine.rest();
            }
            for (const Command& command : mailbox.take()) {
                switch (command.kind) {
                case Command::Open:
                    engine.open(command.path);
                    break;
                case Command::Play:
                    engine.play(command.issued);
                    break;
                case Command::Stop:
                    engine.stop();
                    break;
                case Command::Close:
                    engine.close();
                    break;
                case Command::Quit:
                    quit = true;
                    break;
                }
                if (quit) {
                    break;
                }
            }
            if (!quit) {
                engine.feed();
            }
        }
    }
    {
        const std::lock_guard lock(mailbox.mutex);
        mailbox.finished = true;
    }
    mailbox.finishedChanged.notify_all();
}

class WinmmPlayer : public QObject, public ChimePlayer
{
public:
    explicit WinmmPlayer(QObject* parent) : QObject(parent), mailbox_(std::make_shared<Mailbox>())
    {
        if (!mailbox_->posted) {
            return;
        }
        try {
            thread_ = std::thread([mailbox = mailbox_] { Run(*mailbox); });
        } catch (const std::system_error&) {
            // Without a thread of its own the player stays silent.
        }
    }

    ~WinmmPlayer() override
    {
        if (!thread_.joinable()) {
            return;
        }
        post(Command::Quit);
        std::unique_lock lock(mailbox_->mutex);
        const bool finished = mailbox_->finishedChanged.wait_for(
            lock, FinishTime, [this] { return mailbox_->finished; });
        lock.unlock();
        // A player that is stuck in a device that does not answer is left to the end of the
        // process; the mailbox it holds stays with it.
        finished ? thread_.join() : thread_.detach();
    }

    void open(const QString& path) override { post(Command::Open, path.toStdWString()); }
    void play() override { post(Command::Play); }
    void stop() override { post(Command::Stop); }
    void close() override { post(Command::Close); }

private:
    void post(Command::Kind kind, std::filesystem::path path = {})
    {
        if (thread_.joinable()) {
            mailbox_->post({kind, std::move(path)});
        }
    }

    std::shared_ptr<Mailbox> mailbox_;
    std::thread thread_;
};

} // namespace

class WinmmPlayerFactory : public QObject, public ChimePlayerFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ChimePlayerFactory_iid)
    Q_INTERFACES(ChimePlayerFactory)

public:
    ChimePlayer* createPlayer(QObject* parent) override { return new WinmmPlayer(parent); }
};

#include "winmmplayer.moc"
