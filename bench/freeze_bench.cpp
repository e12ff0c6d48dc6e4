// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window against a sound server that has stopped answering: how long Init and Next clicks
// take to be answered, and how soon the process is gone after Exit's box is answered with OK.
//
// Usage (under tests/with-pulseaudio.sh, which names the server in PULSE_SERVER_PID):
//     freeze_bench CHIME_DIR RUNS
// Each run starts this program again as the program itself, in one of two states: the server
// frozen before the program starts (its connection never completes), or frozen while the Init
// chime plays (a chime is under way and the next one waits for the server). The process times its
// own clicks and says when it pressed OK; this side waits for the process and stops the clock.

#include "form1window.h"
#include "runtime.h"

#include <QAbstractButton>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr const char* FrozenBefore = "before-start";
constexpr const char* FrozenMidChime = "mid-chime";
constexpr int ClicksPerRun = 20;

double NowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

pid_t Server()
{
    return pid_t(qEnvironmentVariableIntValue("PULSE_SERVER_PID"));
}

// The program as its main() runs it, with a script of clicks in its event loop.
int Program(int argc, char* argv[], const char* state)
{
    Runtime::FormsApplication app(argc, argv);
    Form1Window form;
    form.show();
    QTimer::singleShot(0, &form, [&] {
        // Time for the player to load and connect, as a user takes to reach for the mouse.
        QTest::qWait(500);
        auto* next = form.findChild<QPushButton*>(QStringLiteral("Command1"));
        auto* init = form.findChild<QPushButton*>(QStringLiteral("Command2"));
        if (std::strcmp(state, FrozenMidChime) == 0) {
            QTest::mouseClick(init, Qt::LeftButton);
            QTest::qWait(150);
            kill(Server(), SIGSTOP);
        }
        for (int i = 0; i < ClicksPerRun; ++i) {
            QPushButton* button = i % 2 ? next : init;
            const double start = NowMs();
            QTest::mouseClick(button, Qt::LeftButton);
            QCoreApplication::sendPostedEvents(&form, QEvent::UpdateRequest);
            std::printf("click %s %.3f\n", i % 2 ? "next" : "init", NowMs() - start);
            QTest::qWait(50);
        }
        // OK is pressed as soon as the box is up; the clock starts there.
        auto* poll = new QTimer(&form);
        QObject::connect(poll, &QTimer::timeout, poll, [poll] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                poll->stop();
                std::printf("ok %.3f\n", NowMs());
                std::fflush(stdout);
                box->buttons().constFirst()->click();
            }
        });
        poll->start(5);
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command3")), Qt::LeftButton);
    });
    return app.exec();
}

// One run: the program started in `state`, its lines passed on, and the time from its OK to its
// end added.
bool Measure(const char* self, const char* state)
{
    if (std::strcmp(state, FrozenBefore) == 0) {
        kill(Server(), SIGSTOP);
    }
    int out[2];
    if (pipe(out) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>(self), const_cast<char*>("--program"),
                    const_cast<char*>(state), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return false;
    }
    std::string lines;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
        lines.append(buffer, std::size_t(n));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double ended = NowMs();
    close(out[0]);
    kill(Server(), SIGCONT);

    double ok = 0;
    for (std::size_t start = 0, end; (end = lines.find('\n', start)) != std::string::npos;
         start = end + 1) {
        const std::string line = lines.substr(start, end - start);
        if (line.rfind("ok ", 0) == 0) {
            ok = std::atof(line.c_str() + 3);
        } else {
            std::printf("freeze %s %s\n", state, line.c_str());
        }
    }
    const bool normal = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::printf("freeze %s exit %.3f %s\n", state, ok > 0 ? ended - ok : -1.0,
                normal ? "status-0" : "abnormal");
    return ok > 0 && normal;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--program") == 0) {
        return Program(argc, argv, argv[2]);
    }
    if (argc != 3 || Server() <= 0 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: %s CHIME_DIR RUNS (with PULSE_SERVER_PID set)\n", argv[0]);
        return 2;
    }
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return 1;
    }
    self[length] = '\0';
    bool all = true;
    for (int run = 0; run < std::atoi(argv[2]); ++run) {
        for (const char* state : {FrozenBefore, FrozenMidChime}) {
            all = Measure(self, state) && all;
        }
    }
    return all ? 0 : 1;
}
