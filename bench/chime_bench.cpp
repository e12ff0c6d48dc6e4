// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// How soon the Init chime plays after the click: the bench records the null sink's monitor in
// 10 ms fragments, clicks Init on the real window, and finds the chime's first sample in what
// arrives. It also asks PulseAudio what sink latency it reports for the chime's stream.
//
// Usage (on a PulseAudio server with a null sink named "chimes"): chime_bench CHIME_DIR CUES
// The first cue is the first in the process, half a second after the window is shown.

#include "form1window.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <pulse/simple.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Rate = 44100;
constexpr int FragmentFrames = Rate / 100;

struct Fragment
{
    Clock::time_point arrived;
    std::vector<std::int16_t> samples;
};

class Recorder
{
public:
    Recorder()
    {
        const pa_sample_spec format{PA_SAMPLE_S16LE, Rate, 1};
        pa_buffer_attr attr{};
        attr.maxlength = std::uint32_t(-1);
        attr.fragsize = FragmentFrames * 2;
        stream_ = pa_simple_new(nullptr, "chime bench", PA_STREAM_RECORD, "chimes.monitor",
                                "monitor", &format, nullptr, &attr, nullptr);
        if (stream_) {
            thread_ = std::thread([this] { record(); });
        }
    }
    ~Recorder()
    {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (stream_) {
            pa_simple_free(stream_);
        }
    }
    bool started() const { return stream_ != nullptr; }

    // When the first sound after `after` arrived, with the fragment's position taken into
    // account; a negative duration when nothing was heard.
    Clock::duration firstSoundAfter(Clock::time_point after)
    {
        std::lock_guard lock(mutex_);
        for (const Fragment& fragment : fragments_) {
            if (fragment.arrived < after) {
                continue;
            }
            for (size_t i = 0; i < fragment.samples.size(); ++i) {
                if (std::abs(fragment.samples[i]) > 300) {
                    const auto before =
                        std::chrono::microseconds((fragment.samples.size() - i) * 1'000'000 / Rate);
                    return fragment.arrived - before - after;
                }
            }
        }
        return Clock::duration(-1);
    }

private:
    void record()
    {
        while (!stop_) {
            Fragment fragment{{}, std::vector<std::int16_t>(FragmentFrames)};
            if (pa_simple_read(stream_, fragment.samples.data(), FragmentFrames * 2, nullptr) < 0) {
                return;
            }
            fragment.arrived = Clock::now();
            std::lock_guard lock(mutex_);
            fragments_.push_back(std::move(fragment));
        }
    }

    pa_simple* stream_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_ = false;
    std::mutex mutex_;
    std::vector<Fragment> fragments_;
};

// The sink latency that PulseAudio reports for the newest stream, in ms.
double ReportedLatencyMs()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {"list", "sink-inputs"});
    pactl.waitForFinished();
    const QString out = QString::fromLocal8Bit(pactl.readAllStandardOutput());
    QString last;
    for (auto it = QRegularExpression(QStringLiteral("Sink Latency: (\\d+) usec")).globalMatch(out);
         it.hasNext();) {
        last = it.next().captured(1);
    }
    return last.toDouble() / 1000.0;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 3 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: %s CHIME_DIR CUES\n", argv[0]);
        return 2;
    }
    const int cues = std::atoi(argv[2]);

    Recorder recorder;
    if (!recorder.started()) {
        std::fprintf(stderr, "cannot record chimes.monitor\n");
        return 1;
    }
    // An idle null sink runs far ahead of the clock; a running recording keeps it in step.
    QTest::qWait(2500);

    Form1Window form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        return 1;
    }
    QTest::qWait(500);
    auto* init = form.findChild<QPushButton*>(QStringLiteral("Command2"));
    for (int cue = 0; cue < cues; ++cue) {
        const Clock::time_point click = Clock::now();
        QTest::mouseClick(init, Qt::LeftButton);
        QTest::qWait(100);
        const double reported = ReportedLatencyMs();
        QTest::qWait(1400);
        const double heard =
            std::chrono::duration<double, std::milli>(recorder.firstSoundAfter(click)).count();
        std::printf("chime %s %.1f reported %.1f\n", cue == 0 ? "first" : "later", heard, reported);
    }
    return 0;
}
