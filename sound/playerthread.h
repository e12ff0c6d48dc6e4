// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "chimeplayer.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

// What the chime players share, whichever sound system they talk to: the commands, the mailbox
// in which the window's thread leaves them, and the window's side of a player whose thread
// carries them out and never keeps the program from ending.
namespace PlayerThread {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A chime that cannot start this soon after it was asked for is dropped: heard later, as when a
// sound system that hung wakes up, it would no longer belong to the click.
constexpr auto FreshFor = 250ms;
// How long ending the program lets the player finish before leaving it behind.
constexpr auto FinishTime = 100ms;

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
    std::string path;
    Clock::time_point issued = Clock::now();
};

// The window's thread only ever takes the lock for as long as it takes to post. Each sound
// system wakes its player's thread its own way.
class Mailbox
{
public:
    virtual ~Mailbox() = default;

    void post(Command command)
    {
        const std::lock_guard lock(mutex_);
        commands_.push_back(std::move(command));
        wake();
    }
    std::deque<Command> take()
    {
        const std::lock_guard lock(mutex_);
        return std::exchange(commands_, {});
    }
    bool waiting()
    {
        const std::lock_guard lock(mutex_);
        return !commands_.empty();
    }
    // The player's thread is done with everything it holds.
    void finish()
    {
        {
            const std::lock_guard lock(mutex_);
            finishing();
            finished_ = true;
        }
        finishedChanged_.notify_all();
    }
    bool finishes(std::chrono::milliseconds within)
    {
        std::unique_lock lock(mutex_);
        return finishedChanged_.wait_for(lock, within, [this] { return finished_; });
    }

protected:
    // Both are called with the lock held.
    virtual void wake() = 0;
    virtual void finishing() {}

private:
    std::mutex mutex_;
    std::deque<Command> commands_;
    std::condition_variable finishedChanged_;
    bool finished_ = false;
};

// Carries out the commands in order; false once one of them says to quit.
template <typename Engine> bool CarryOut(Engine& engine, const std::deque<Command>& commands)
{
    for (const Command& command : commands) {
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
            return false;
        }
    }
    return true;
}

// The player as the window's thread sees it: every call only posts. `run` is the player's
// thread, which returns once it has carried out Quit.
class Player : public ChimePlayer
{
public:
    Player(std::shared_ptr<Mailbox> mailbox, std::function<void()> run)
        : mailbox_(std::move(mailbox))
    {
        try {
            thread_ = std::thread([mailbox = mailbox_, run = std::move(run)] {
                run();
                mailbox->finish();
            });
        } catch (const std::system_error&) {
            // Without a thread of its own the player stays silent.
        }
    }

    ~Player() override
    {
        if (!thread_.joinable()) {
            return;
        }
        post(Command::Quit);
        // A player that is stuck (in a sound system that does not answer, or on a disk) is left
        // to the end of the process; the mailbox it holds stays with it.
        mailbox_->finishes(FinishTime) ? thread_.join() : thread_.detach();
    }

    void open(const char* path) override { post(Command::Open, path ? path : ""); }
    void play() override { post(Command::Play); }
    void stop() override { post(Command::Stop); }
    void close() override { post(Command::Close); }

private:
    void post(Command::Kind kind, std::string path = {})
    {
        if (thread_.joinable()) {
            mailbox_->post({kind, std::move(path)});
        }
    }

    std::shared_ptr<Mailbox> mailbox_;
    std::thread thread_;
};

} // namespace PlayerThread
