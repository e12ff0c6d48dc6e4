#pragma once

// What the end-to-end tests share: the program started as a user starts it, found on the X
// server, clicked through it with xdotool and looked at as the X server shows it.

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

#include <functional>

namespace e2e {

// Places in the window's layout, in its own pixels at scale 1.
const QRect TitleField(224, 0, 217, 25);
const QRect MethodField(192, 40, 273, 17);
inline const QRect ValueFields[] = {{136, 80, 97, 25}, {264, 80, 97, 25}, {392, 80, 97, 25}};
const QRect Panel(8, 128, 609, 153);
const QPoint NextButton(312, 308);
const QPoint InitButton(596, 12);
const QPoint ExitButton(28, 12);
const QPoint FormBackground(20, 64);

const QColor White(255, 255, 255);
const QColor Orange(255, 192, 128);

// A point of a field's own colour: inside its frame, above and left of any text.
inline QPoint Inside(const QRect& field)
{
    return field.topLeft() + QPoint(3, 3);
}

inline QString Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10'000)) {
        process.kill();
        process.waitForFinished();
        qWarning("%s timed out", qPrintable(program));
        return {};
    }
    // Only the line break goes: a window's name may well begin with a blank.
    QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
    output.chop(output.endsWith('\n') ? 1 : 0);
    return output;
}

inline QString Xdotool(const QStringList& arguments)
{
    return Run(QStringLiteral("xdotool"), arguments);
}

// The first window on screen that `xdotool search` finds by these criteria, once there is one.
inline QString WaitForWindow(const QStringList& criteria)
{
    QString window;
    const auto found = [&] {
        window = Xdotool(QStringList{"search", "--onlyvisible"} + criteria).section('\n', 0, 0);
        return !window.isEmpty();
    };
    return QTest::qWaitFor(found, 10'000) ? window : QString();
}

// The program as a user starts it, in the folder that holds its chimes.
class Program
{
public:
    // `environment` holds NAME=value entries to add; the program runs in `folder`, which by
    // default is the build folder with the chimes.
    explicit Program(const QStringList& environment = {}, int scale = 1,
                     const QString& folder = QStringLiteral(CHIME_DIR))
        : scale_(scale)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : environment) {
            env.insert(entry.section('=', 0, 0), entry.section('=', 1));
        }
        process_.setProcessEnvironment(env);
        process_.setWorkingDirectory(folder);
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(QStringLiteral(PROGRAM), {});
    }

    ~Program()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }

    // Waits until the window is on screen and drawn: its title field has its colour.
    bool waitForWindow()
    {
        if (!process_.waitForStarted()) {
            return false;
        }
        const QString pid = QString::number(process_.processId());
        return QTest::qWaitFor(
            [&] {
                window_ = Xdotool({"search", "--onlyvisible", "--pid", pid}).section('\n', 0, 0);
                return !window_.isEmpty() && at(Inside(TitleField)) == Orange;
            },
            10'000);
    }

    QString window() const { return window_; }
    QImage grab() const
    {
        return QGuiApplication::primaryScreen()->grabWindow(window_.toULongLong()).toImage();
    }
    QImage grab(const QRect& area) const { return grab().copy(scaled(area)); }
    QColor at(QPoint place) const
    {
        return window_.isEmpty() ? QColor() : QColor(grab().pixel(place * scale_));
    }
    // The window as a user sees it, with the window manager's frame around it.
    QImage grabFramed() const
    {
        const QString info = Run(QStringLiteral("xwininfo"), {"-id", window_});
        const QString extents =
            Run(QStringLiteral("xprop"), {"-id", window_, "_NET_FRAME_EXTENTS"});
        const auto number = [](const QString& text, const QString& pattern, int index = 1) {
            return QRegularExpression(pattern).match(text).captured(index).toInt();
        };
        const QString frame = QStringLiteral(R"(= (\d+), (\d+), (\d+), (\d+))");
        const int left = number(extents, frame, 1);
        const int top = number(extents, frame, 3);
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, number(info, R"(Absolute upper-left X:\s+(\d+))") - left,
                         number(info, R"(Absolute upper-left Y:\s+(\d+))") - top,
                         number(info, R"(Width: (\d+))") + left + number(extents, frame, 2),
                         number(info, R"(Height: (\d+))") + top + number(extents, frame, 4))
            .toImage();
    }
    QRect scaled(const QRect& area) const
    {
        return {area.topLeft() * scale_, area.size() * scale_};
    }

    void click(QPoint place)
    {
        place *= scale_;
        // xdotool otherwise waits 100 ms after the click before it returns.
        Xdotool({"mousemove", "--window", window_, QString::number(place.x()),
                 QString::number(place.y()), "click", "--delay", "0", "1"});
    }

    // Finishes within the time; false if it is still running.
    bool finished() { return process_.waitForFinished(10'000); }
    QProcess& process() { return process_; }

private:
    QProcess process_;
    QString window_;
    int scale_;
};

// Waits until what `show` returns differs from `before`, as a repaint takes a moment to arrive.
inline bool ChangesFrom(const QImage& before, const std::function<QImage()>& show)
{
    return QTest::qWaitFor([&] { return show() != before; }, 5'000);
}

// What `show` returns once it has stayed the same for 100 ms: repaints have all arrived.
inline QImage Steady(const std::function<QImage()>& show)
{
    QImage last = show();
    for (int i = 0; i < 50; ++i) {
        QTest::qWait(100);
        QImage now = show();
        if (now == last) {
            break;
        }
        last = std::move(now);
    }
    return last;
}

inline bool Settles(const QImage& expected, const std::function<QImage()>& show)
{
    return QTest::qWaitFor([&] { return show() == expected; }, 5'000);
}

inline bool HasDarkInk(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 80) {
                return true;
            }
        }
    }
    return false;
}

// Clicks Exit, finds its box by its title, answers it, and expects the program to end with
// status 0.
inline void ExitThroughTheBox(Program& program)
{
    program.click(ExitButton);
    const QString box = WaitForWindow({"--name", "^Pythagorean triple$"});
    QVERIFY(!box.isEmpty());
    Xdotool({"windowactivate", "--sync", box, "key", "Return"});
    QVERIFY(program.finished());
    QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process().exitCode(), 0);
}

} // namespace e2e
