#include "form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <numbers>
#include <vector>

// Plays the chimes through the real window into a PulseAudio null sink and listens to what
// arrives there. Needs PULSE_SERVER pointing at a server with a sink named "chimes".

namespace {

constexpr int Rate = 44100;
constexpr int Hop = Rate / 100; // 10 ms between frames
constexpr int Window = 4 * Hop; // 40 ms frames: fine enough to tell notes 125 Hz apart

// The notes of the chimes, in Hz.
constexpr double E6 = 1318.51, C6 = 1046.50, G5 = 783.99, C5 = 523.25;

// Records the null sink's monitor as 16-bit mono samples.
class Recorder
{
public:
    Recorder()
    {
        process_.setProgram("parec");
        process_.setArguments({"--device=chimes.monitor", "--raw", "--format=s16le",
                               QStringLiteral("--rate=%1").arg(Rate), "--channels=1",
                               "--latency-msec=10"});
        process_.start();
        // An idle null sink renders far ahead of the clock; what a new stream plays only
        // reaches the monitor once that head start has run out.
        QTest::qWait(2500);
    }
    ~Recorder() { finish(); }

    // Call only once the cue has ended: parec drops what it has not yet written when stopped.
    std::vector<float> finish()
    {
        if (process_.state() == QProcess::NotRunning) {
            return {};
        }
        process_.terminate();
        process_.waitForFinished(5000);
        const QByteArray raw = process_.readAllStandardOutput();
        std::vector<float> samples(size_t(raw.size() / 2));
        const auto* bytes = reinterpret_cast<const uchar*>(raw.constData());
        for (size_t i = 0; i < samples.size(); ++i) {
            samples[i] = float(qint16(bytes[2 * i] | bytes[2 * i + 1] << 8)) / 32768.0f;
        }
        return samples;
    }

    bool started() const { return process_.state() == QProcess::Running; }

private:
    QProcess process_;
};

// The strength of one frequency in each frame (Goertzel over a Hann window).
std::vector<double> Strength(const std::vector<float>& samples, double frequency)
{
    std::vector<double> strength;
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / Rate);
    for (size_t start = 0; start + Window <= samples.size(); start += Hop) {
        double s1 = 0, s2 = 0;
        for (int n = 0; n < Window; ++n) {
            const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * n / (Window - 1));
            const double s0 = samples[start + n] * window + coefficient * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        strength.push_back(std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - coefficient * s1 * s2)));
    }
    return strength;
}

// The times, in seconds, at which a note is struck: its strength jumps well above where it
// was. A strike within 150 ms of the previous one counts as the same, so that a dropout on the
// way does not count twice.
std::vector<double> Strikes(const std::vector<float>& samples, double frequency)
{
    const std::vector<double> strength = Strength(samples, frequency);
    const double peak = strength.empty() ? 0 : *std::max_element(strength.begin(), strength.end());
    std::vector<double> strikes;
    for (size_t i = 2; i < strength.size(); ++i) {
        const double before = std::min(strength[i - 1], strength[i - 2]);
        if (strength[i] > 0.25 * peak && strength[i] > 1.8 * before) {
            const double time = double(i) * Hop / Rate;
            if (strikes.empty() || time - strikes.back() > 0.15) {
                strikes.push_back(time);
            }
        }
    }
    return strikes;
}

float Peak(const std::vector<float>& samples)
{
    float peak = 0;
    for (float sample : samples) {
        peak = std::max(peak, std::abs(sample));
    }
    return peak;
}

QString Describe(const std::vector<double>& times)
{
    QStringList parts;
    for (double time : times) {
        parts << QString::number(time, 'f', 2);
    }
    return parts.join(", ");
}

} // namespace

class ChimesAudioTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void initChimeSoundsAndRestartsOnSecondClick();
    void exitChimeSoundsUnderTheBox();
    void folderWithoutChimesStaysSilent();
    void frozenServerDropsStaleChimes();

private:
    void withChimes();
    void click(const char* name)
    {
        QTest::mouseClick(form_->findChild<QPushButton*>(name), Qt::LeftButton);
    }

    std::unique_ptr<QTemporaryDir> dir_;
    QString previousDir_;
    std::unique_ptr<Form1> form_;
};

void ChimesAudioTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    previousDir_ = QDir::currentPath();
    QDir::setCurrent(dir_->path());
    form_ = std::make_unique<Form1>();
    form_->show();
}

void ChimesAudioTest::cleanup()
{
    form_.reset();
    QDir::setCurrent(previousDir_);
    dir_.reset();
}

void ChimesAudioTest::withChimes()
{
    for (const char* name : {"pinpon.wav", "endpinpon.wav"}) {
        QVERIFY(QFile::copy(QStringLiteral(ASSETS_DIR "/") + name, name));
    }
}

void ChimesAudioTest::initChimeSoundsAndRestartsOnSecondClick()
{
    withChimes();
    Recorder recorder;
    QVERIFY(recorder.started());

    click("Command2");
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    QTest::qWait(120);
    click("Command2");
    const double apart = double(sinceFirst.elapsed()) / 1000;
    QTest::qWait(2000);
    const std::vector<float> heard = recorder.finish();

    QVERIFY2(Peak(heard) > 0.1f, "no chime reached the sound server");
    // The second click cuts the first chime before its second note and starts it again from the
    // beginning: "pon" sounds once, at its place in the second chime, not in the first.
    const std::vector<double> pins = Strikes(heard, E6);
    const std::vector<double> pons = Strikes(heard, C6);
    const QString strikes = QStringLiteral("clicks %1 s apart; pin at %2; pon at %3")
                                .arg(apart)
                                .arg(Describe(pins), Describe(pons));
    QVERIFY2(!pins.empty() && pons.size() == 1, qPrintable(strikes));
    const double ponInSecond = pons[0] - pins[0] - apart;
    QVERIFY2(ponInSecond > 0.17 && ponInSecond < 0.27, qPrintable(strikes));

    // The desktop's volume controls list the stream by the program's name, and its system-sounds
    // volume applies; with the chime played out, the stream is corked so that the server rests.
    QProcess pactl;
    pactl.start("pactl", {"list", "sink-inputs"});
    QVERIFY(pactl.waitForFinished());
    const QString inputs = QString::fromUtf8(pactl.readAllStandardOutput());
    for (const char* line : {"application.name = \"Pythagorean triple\"", "media.role = \"event\"",
                             "application.icon_name = \"pythagorean-triple\"", "Corked: yes"}) {
        QVERIFY2(inputs.contains(QLatin1StringView(line)), qPrintable(inputs));
    }
}

void ChimesAudioTest::exitChimeSoundsUnderTheBox()
{
    withChimes();
    Recorder recorder;

    // The box stays up while the closing chime plays out, then OK is pressed.
    bool answered = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && !answered) {
            answered = true;
            QTimer::singleShot(2000, box, [box] { box->buttons().constFirst()->click(); });
        }
    });
    poll.start(10);
    click("Command3");
    QVERIFY(answered);
    const std::vector<float> heard = recorder.finish();

    QVERIFY2(Peak(heard) > 0.1f, "no chime reached the sound server");
    const std::vector<double> high = Strikes(heard, G5);
    const std::vector<double> low = Strikes(heard, C5);
    const QString strikes = QStringLiteral("G5 at %1; C5 at %2").arg(Describe(high), Describe(low));
    QVERIFY2(high.size() == 1 && low.size() == 1, qPrintable(strikes));
    QVERIFY2(low[0] > high[0], qPrintable(strikes));

    QEventLoop loop;
    QTimer::singleShot(5000, &loop, [&loop] { loop.exit(-1); });
    QCOMPARE(loop.exec(), 0);
}

void ChimesAudioTest::folderWithoutChimesStaysSilent()
{
    Recorder recorder;
    click("Command2");
    QTest::qWait(500);
    click("Command2");
    QTest::qWait(1500);
    const std::vector<float> heard = recorder.finish();
    QVERIFY2(Peak(heard) < 0.01f, qPrintable(QString::number(Peak(heard))));
    QCOMPARE(form_->findChild<QLabel*>("Label1")->text(), "3");
}

void ChimesAudioTest::frozenServerDropsStaleChimes()
{
    withChimes();
    Recorder recorder;
    const auto server = pid_t(qEnvironmentVariableIntValue("PULSE_SERVER_PID"));
    QVERIFY(server > 0);

    // Chimes asked for while the server does not answer are long stale when it wakes up: none
    // of them sounds then. The next one does.
    QCOMPARE(::kill(server, SIGSTOP), 0);
    for (int i = 0; i < 3; ++i) {
        click("Command2");
        QTest::qWait(300);
    }
    QTest::qWait(1000);
    QCOMPARE(::kill(server, SIGCONT), 0);
    QTest::qWait(1000);
    click("Command2");
    QTest::qWait(1500);

    const std::vector<double> pins = Strikes(recorder.finish(), E6);
    QVERIFY2(pins.size() == 1, qPrintable("pin at " + Describe(pins)));
}

QTEST_MAIN(ChimesAudioTest)
#include "chimes_audio_test.moc"
