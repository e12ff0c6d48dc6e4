// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The chime player on PulseAudio's asynchronous client library, built as a library of its own.
//
// All talk with the sound server happens on one thread of the player's own, which runs a
// PulseAudio main loop and carries out the commands the window's thread leaves in its mailbox.
// The window's thread only ever takes the mailbox's lock for as long as it takes to post.
//
// The player keeps one stream open for the life of the program and writes each chime into it,
// so that a chime costs no stream set-up; the stream is corked while it has nothing to play.

#include "chime.h"
#include "chimeplayer.h"
#include "playerthread.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <poll.h>
#include <pthread.h>
#include <pulse/pulseaudio.h>

namespace {

using namespace PlayerThread;

// Connecting that takes longer than this is given up until the next chime asks again.
constexpr pa_usec_t ConnectTimeout = 2 * PA_USEC_PER_SEC;
// The stream's format is fixed for its life; a chime at another rate changes only the rate.
constexpr pa_sample_spec StreamFormat{PA_SAMPLE_FLOAT32NE, 44100, 2};
// The buffering asked of the server, which sets how long a chime takes to be heard.
constexpr pa_usec_t Latency = 20 * PA_USEC_PER_MSEC;
// A chime left on disk is written this much at a time, as the server asks for more.
constexpr std::size_t PieceFrames = StreamFormat.rate / 2;

// How the desktop's volume controls list the chimes, and the role that puts them under its
// system sounds.
constexpr const char* ApplicationName = "Pythagorean triple";
constexpr const char* ApplicationId = "io.github.pythagoreantriple.PythagoreanTriple";
constexpr const char* IconName = "pythagorean-triple";
constexpr const char* StreamName = "Chimes";
constexpr const char* Role = "event";

void Unref(pa_operation* operation)
{
    if (operation) {
        pa_operation_unref(operation);
    }
}

// The main loop, made with the mailbox rather than on the player's thread, so that a post can
// wake it from the start; freed with the lock held, so that no post wakes a freed loop.
class PulseMailbox : public Mailbox
{
public:
    pa_mainloop* const loop = pa_mainloop_new();

private:
    void wake() override
    {
        if (loop && !freed_) {
            pa_mainloop_wakeup(loop);
        }
    }
    void finishing() override
    {
        if (loop && !freed_) {
            pa_mainloop_free(loop);
            freed_ = true;
        }
    }

    bool freed_ = false;
};

// The connection, the stream and the chime; lives on the player's thread alone.
class Engine
{
public:
    explicit Engine(pa_mainloop* loop) : api_(pa_mainloop_get_api(loop)) {}
    ~Engine() { disconnect(); }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Connects unless connected or connecting. A server that is missing or has gone away is
    // asked again at the next chime, so one that starts late is found.
    void connect();

    void open(const std::string& path)
    {
        close();
        chime_ = Chime::Open(path);
        connect();
    }
    void play(Clock::time_point issued)
    {
        if (chime_) {
            chime_->rewind();
            cue_ = issued;
            startWhenReady();
        }
    }
    void stop()
    {
        cue_.reset();
        if (playing_) {
            silence();
        }
    }
    void close()
    {
        stop();
        chime_.reset();
    }

private:
    static void OnContextState(pa_context* context, void* self);
    static void OnConnectTimeout(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);
    static void OnStreamState(pa_stream* stream, void* self);
    static void OnCleared(pa_stream* stream, int success, void* self);
    static void OnWritable(pa_stream* stream, std::size_t bytes, void* self);
    static void OnUnderflow(pa_stream* stream, void* self);

    void openStream();
    void dropStream();
    void disconnect();
    void cancelConnectTimer();
    void startWhenReady();
    void begin();
    void write(std::size_t frames);
    void silence(pa_stream_success_cb_t cleared = nullptr);

    pa_mainloop_api* api_;
    pa_context* context_ = nullptr;
    pa_time_event* connectTimer_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::uint32_t rate_ = StreamFormat.rate;

    std::unique_ptr<Chime> chime_;
    // A chime waiting to start, and when it was asked for.
    std::optional<Clock::time_point> cue_;
    // The server has yet to confirm that it has cleared the stream for the waiting chime.
    bool clearing_ = false;
    // The stream is uncorked with a chime in it.
    bool playing_ = false;
    // All of the chime has gone to the server.
    bool written_ = false;
};

void Engine::connect()
{
    if (context_ && !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) {
        disconnect();
    }
    if (context_) {
        // A stream the server took away is opened again on a connection that still holds.
        if (!stream_ && pa_context_get_state(context_) == PA_CONTEXT_READY) {
            openStream();
        }
        return;
    }
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, ApplicationName);
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, ApplicationId);
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, IconName);
    context_ = pa_context_new_with_proplist(api_, nullptr, properties);
    pa_proplist_free(properties);
    if (!context_) {
        return;
    }
    pa_context_set_state_callback(context_, OnContextState, this);
    // The program never starts a sound server of its own: with none there, chimes are silent.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        disconnect();
        return;
    }
    // A server that has stopped answering accepts the connection and then never replies.
    connectTimer_ =
        pa_context_rttime_new(context_, pa_rtclock_now() + ConnectTimeout, OnConnectTimeout, this);
}

void Engine::OnContextState(pa_context* context, void* self)
{
    auto* engine = static_cast<Engine*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        engine->cancelConnectTimer();
        engine->openStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        engine->disconnect();
        break;
    default:
        break;
    }
}

void Engine::OnConnectTimeout(pa_mainloop_api*, pa_time_event*, const timeval*, void* self)
{
    auto* engine = static_cast<Engine*>(self);
    engine->cancelConnectTimer();
    engine->disconnect();
}

void Engine::cancelConnectTimer()
{
    if (connectTimer_) {
        api_->time_free(connectTimer_);
        connectTimer_ = nullptr;
    }
}

void Engine::openStream()
{
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, Role);
    pa_proplist_sets(properties, PA_PROP_MEDIA_NAME, StreamName);
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, IconName);
    stream_ = pa_stream_new_with_proplist(context_, StreamName, &StreamFormat, nullptr, properties);
    pa_proplist_free(properties);
    if (!stream_) {
        return;
    }
    rate_ = StreamFormat.rate;
    pa_stream_set_state_callback(stream_, OnStreamState, this);
    pa_stream_set_write_callback(stream_, OnWritable, this);
    pa_stream_set_underflow_callback(stream_, OnUnderflow, this);
    pa_buffer_attr buffer{};
    buffer.maxlength = std::uint32_t(-1);
    buffer.tlength = std::uint32_t(pa_usec_to_bytes(Latency, &StreamFormat));
    buffer.prebuf = std::uint32_t(-1);
    buffer.minreq = std::uint32_t(-1);
    buffer.fragsize = std::uint32_t(-1);
    const auto flags = pa_stream_flags_t(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY |
                                         PA_STREAM_VARIABLE_RATE);
    if (pa_stream_connect_playback(stream_, nullptr, &buffer, flags, nullptr, nullptr) < 0) {
        dropStream();
    }
}

void Engine::OnStreamState(pa_stream* stream, void* self)
{
    auto* engine = static_cast<Engine*>(self);
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        engine->startWhenReady();
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        engine->dropStream();
        break;
    default:
        break;
    }
}

void Engine::dropStream()
{
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
    clearing_ = false;
    playing_ = false;
}

void Engine::disconnect()
{
    dropStream();
    cancelConnectTimer();
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
}

void Engine::startWhenReady()
{
    if (!cue_ || clearing_ || !stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY) {
        return;
    }
    // The chime goes to the server only once the server has confirmed that it cleared what was
    // there: a server that has stopped answering would otherwise play it whenever it woke up.
    clearing_ = true;
    silence(OnCleared);
}

void Engine::OnCleared(pa_stream* stream, int success, void* self)
{
    auto* engine = static_cast<Engine*>(self);
    // A stream given up on in the meantime has nothing to say about the one there now.
    if (stream != engine->stream_) {
        return;
    }
    engine->clearing_ = false;
    if (success) {
        engine->begin();
    } else {
        engine->cue_.reset();
    }
}

void Engine::begin()
{
    const bool fresh = cue_ && Clock::now() - *cue_ <= FreshFor;
    cue_.reset();
    if (!fresh || !chime_) {
        return;
    }
    if (std::uint32_t(chime_->rate()) != rate_) {
        rate_ = std::uint32_t(chime_->rate());
        Unref(pa_stream_update_sample_rate(stream_, rate_, nullptr, nullptr));
    }
    playing_ = true;
    write(chime_->streamed() ? PieceFrames : std::size_t(chime_->frames()));
    Unref(pa_stream_cork(stream_, 0, nullptr, nullptr));
    // A chime shorter than the server's prebuffering would otherwise wait for more.
    Unref(pa_stream_trigger(stream_, nullptr, nullptr));
}

void Engine::write(std::size_t frames)
{
    const std::span<const float> piece = chime_->next(frames);
    if (!piece.empty()) {
        pa_stream_write(stream_, piece.data(), piece.size_bytes(), nullptr, 0, PA_SEEK_RELATIVE);
    }
    written_ = !chime_->streamed() || piece.size() < 2 * frames;
}

void Engine::OnWritable(pa_stream*, std::size_t bytes, void* self)
{
    auto* engine = static_cast<Engine*>(self);
    if (engine->playing_ && !engine->written_ && engine->chime_) {
        engine->write(std::max(PieceFrames, bytes / pa_frame_size(&StreamFormat)));
    }
}

void Engine::OnUnderflow(pa_stream*, void* self)
{
    // The chime has played out: an idle stream is corked, so that the server can rest.
    auto* engine = static_cast<Engine*>(self);
    if (engine->playing_ && engine->written_) {
        engine->playing_ = false;
        Unref(pa_stream_cork(engine->stream_, 1, nullptr, nullptr));
    }
}

void Engine::silence(pa_stream_success_cb_t cleared)
{
    playing_ = false;
    Unref(pa_stream_cork(stream_, 1, nullptr, nullptr));
    Unref(pa_stream_flush(stream_, cleared, this));
}

// The main loop's wait for events. The loop empties its wake-up pipe before it waits, so a
// command posted just before that would wait for the next event; it is looked for first.
int PollUnlessPosted(pollfd* fds, unsigned long count, int timeout, void* userdata)
{
    if (static_cast<Mailbox*>(userdata)->waiting()) {
        timeout = 0;
    }
    return ::poll(fds, count, timeout);
}

// The player's thread: carries out the commands as they come, between turns of the main loop.
void Run(PulseMailbox& mailbox)
{
    pthread_setname_np(pthread_self(), "chimes");
    if (!mailbox.loop) {
        return;
    }
    pa_mainloop_set_poll_func(mailbox.loop, PollUnlessPosted, &mailbox);
    Engine engine(mailbox.loop);
    engine.connect();
    while (CarryOut(engine, mailbox.take()) && pa_mainloop_iterate(mailbox.loop, 1, nullptr) >= 0) {
    }
}

} // namespace

CHIME_PLAYER_EXPORT ChimePlayer* CHIME_PLAYER_ENTRY()
{
    try {
        auto mailbox = std::make_shared<PulseMailbox>();
        return new Player(mailbox, [mailbox] { Run(*mailbox); });
    } catch (...) {
        // No exception may reach a program with another C++ run-time.
        return nullptr;
    }
}
