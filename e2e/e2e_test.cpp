// Drives the real program on a real X server with a window manager, the way a user meets it:
// clicks go through the X server, and what is checked is what the X server shows.

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

#include <chrono>

using namespace std::chrono_literals;

namespace {

// Places in the window's layout, in its own pixels at scale 1.
const QRect TitleField(224, 0, 217, 25);
const QRect MethodField(192, 40, 273, 17);
const QRect ValueFields[] = {{136, 80, 97, 25}, {264, 80, 97, 25}, {392, 80, 97, 25}};
const QRect Panel(8, 128, 609, 153);
const QPoint NextButton(312, 308);
const QPoint InitButton(596, 12);
const QPoint ExitButton(28, 12);
const QPoint FormBackground(20, 64);

const QColor White(255, 255, 255);

// A point of a field's own colour: inside its frame, above and left of any text.
QPoint Inside(const QRect& field)
{
    return field.topLeft() + QPoint(3, 3);
}
const QColor Orange(255, 192, 128);

QString Run(const QString& program, const QStringList& arguments)
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

QString Xdotool(const QStringList& arguments)
{
    return Run(QStringLiteral("xdotool"), arguments);
}

// The first window on screen that `xdotool search` finds by these criteria, once there is one.
QString WaitForWindow(const QStringList& criteria)
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
    explicit Program(const QStringList& environment = {}, int scale = 1) : scale_(scale)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : environment) {
            env.insert(entry.section('=', 0, 0), entry.section('=', 1));
        }
        process_.setProcessEnvironment(env);
        process_.setWorkingDirectory(QStringLiteral(CHIME_DIR));
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
        Xdotool({"mousemove", "--window", window_, QString::number(place.x()),
                 QString::number(place.y()), "click", "1"});
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
bool ChangesFrom(const QImage& before, const std::function<QImage()>& show)
{
    return QTest::qWaitFor([&] { return show() != before; }, 5'000);
}

bool Settles(const QImage& expected, const std::function<QImage()>& show)
{
    return QTest::qWaitFor([&] { return show() == expected; }, 5'000);
}

bool HasDarkInk(const QImage& image)
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

} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void roundTripThroughTheButtons();
    void switchingAwayAndBackChangesNothing();
    void darkThemeKeepsFixedFieldsReadable();
    void doubleScaleKeepsLayoutCrisp();
};

void EndToEndTest::roundTripThroughTheButtons()
{
    Program program;
    QVERIFY(program.waitForWindow());

    QCOMPARE(Xdotool({"getwindowname", program.window()}),
             QStringLiteral(u" Pythagorean triple \u2014 version 1.00"));
    QVERIFY(Xdotool({"getwindowgeometry", program.window()}).contains("Geometry: 625x341"));
    QCOMPARE(program.at(Inside(TitleField)), Orange);
    for (const QRect& field : ValueFields) {
        QCOMPARE(program.at(Inside(field)), White);
    }
    QCOMPARE(program.at(Inside(Panel)), White);

    // The picture that the README shows.
    QVERIFY(program.grabFramed().save(QStringLiteral("screenshot.png")));

    const auto triple = [&] {
        return program.grab(MethodField.united(ValueFields[2]));
    };
    const QImage first = triple();
    program.click(NextButton);
    QVERIFY(ChangesFrom(first, triple));
    const QImage second = triple();
    program.click(NextButton);
    QVERIFY(ChangesFrom(second, triple));
    program.click(InitButton);
    QVERIFY(Settles(first, triple));

    program.click(ExitButton);
    const QString box = WaitForWindow({"--name", "^Pythagorean triple$"});
    QVERIFY(!box.isEmpty());
    Xdotool({"windowactivate", "--sync", box, "key", "Return"});
    QVERIFY(program.finished());
    QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process().exitCode(), 0);
}

void EndToEndTest::switchingAwayAndBackChangesNothing()
{
    Program program;
    QVERIFY(program.waitForWindow());
    program.click(NextButton);
    const QImage before = program.grab();

    QProcess other;
    other.start(QStringLiteral("xmessage"), {"-name", "other", "another application"});
    const QString otherWindow = WaitForWindow({"--classname", "other"});
    QVERIFY(!otherWindow.isEmpty());
    Xdotool({"windowactivate", "--sync", otherWindow});
    QVERIFY(Xdotool({"getactivewindow"}) != program.window());
    Xdotool({"windowactivate", "--sync", program.window()});
    QVERIFY(Settles(before, [&] { return program.grab(); }));

    other.kill();
    other.waitForFinished();
}

void EndToEndTest::darkThemeKeepsFixedFieldsReadable()
{
    // What GNOME's dark style hands a Qt program.
    Program dark({"QT_QPA_PLATFORMTHEME=gtk3", "GTK_THEME=Adwaita:dark"});
    QVERIFY(dark.waitForWindow());
    QVERIFY2(qGray(dark.at(FormBackground).rgb()) < 100, "the dark theme did not take effect");

    for (const QRect& fixed : {TitleField, ValueFields[0], ValueFields[1], ValueFields[2], Panel}) {
        QVERIFY(HasDarkInk(dark.grab(fixed.adjusted(3, 3, -3, -3))));
    }
    QCOMPARE(dark.at(Inside(Panel)), White);
}

void EndToEndTest::doubleScaleKeepsLayoutCrisp()
{
    Program program({"QT_SCALE_FACTOR=2"}, 2);
    QVERIFY(program.waitForWindow());
    QVERIFY(Xdotool({"getwindowgeometry", program.window()}).contains("Geometry: 1250x682"));
    for (const QRect& field : ValueFields) {
        QCOMPARE(program.at(Inside(field)), White);
    }

    // Nine print lines of 16 px each from the panel's inner top; every third is blank. The middle
    // of each line is looked at, as descenders reach into the next line's top.
    const QImage panel = program.grab(Panel.adjusted(1, 1, -1, -1));
    const int advance = 32;
    for (int line = 0; line < 9; ++line) {
        const QImage band = panel.copy(0, line * advance + advance / 4, panel.width(), advance / 2);
        QVERIFY2(HasDarkInk(band) == (line % 3 != 0), qPrintable(QString::number(line + 1)));
    }
    // No line runs into the right-hand edge, where it would be cut off.
    QVERIFY(!HasDarkInk(panel.copy(panel.width() - 4, 0, 4, panel.height())));

    // Drawn at the full resolution rather than blown up: a doubled picture would be made of
    // uniform 2 x 2 blocks, and text drawn for this scale is not.
    int blocks = 0;
    int detailed = 0;
    for (int y = 0; y + 1 < panel.height(); y += 2) {
        for (int x = 0; x + 1 < panel.width(); x += 2) {
            const QRgb corner = panel.pixel(x, y);
            if (qGray(corner) == 255 && panel.pixel(x + 1, y + 1) == corner) {
                continue;
            }
            ++blocks;
            detailed += panel.pixel(x + 1, y) != corner || panel.pixel(x, y + 1) != corner ||
                        panel.pixel(x + 1, y + 1) != corner;
        }
    }
    QVERIFY2(detailed * 2 > blocks,
             qPrintable(QStringLiteral("%1 of %2").arg(detailed).arg(blocks)));
}

QTEST_MAIN(EndToEndTest)
#include "e2e_test.moc"
