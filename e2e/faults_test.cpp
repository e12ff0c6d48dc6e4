// The real program against what a machine can throw at it: damaged or strange chime files, and
// a sound server that is missing, dies mid-chime, turns up late or stops answering. Whatever
// happens the buttons keep working, no box but Exit's ever appears, and Exit ends the program
// with status 0.

#include "session.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>
#include <sys/stat.h>

using namespace e2e;

namespace {

// A private PulseAudio server with a null sink, listening on a socket of our choosing.
class SoundServer
{
public:
    explicit SoundServer(const QString& socket) : socket_(socket) {}
    ~SoundServer() { kill(); }

    bool start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", home_.path());
        env.insert("HOME", home_.path());
        process_.setProcessEnvironment(env);
        process_.start(QStringLiteral("pulseaudio"),
                       {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                        "--log-target=stderr", "-L", "module-null-sink sink_name=chimes", "-L",
                        "module-native-protocol-unix socket=" + socket_ + " auth-anonymous=1"});
        return QTest::qWaitFor(
            [&] {
                QProcess pactl;
                pactl.start(QStringLiteral("pactl"), {"-s", "unix:" + socket_, "info"});
                return pactl.waitForFinished() && pactl.exitCode() == 0;
            },
            10'000);
    }

    // A server that stops answering, as one stopped in a debugger or stuck on a device does.
    void freeze() { ::kill(pid_t(process_.processId()), SIGSTOP); }
    void thaw() { ::kill(pid_t(process_.processId()), SIGCONT); }

    void kill()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }

    QString address() const { return "PULSE_SERVER=unix:" + socket_; }

private:
    QString socket_;
    QTemporaryDir home_;
    QProcess process_;
};

QByteArray WaveHeader(quint32 dataBytes)
{
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(44100) << quint32(88200) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << dataBytes;
    return header;
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Puts one kind of hostile thing in place of both chimes.
bool MakeHostile(const QString& folder, const QString& kind)
{
    for (const char* chime : {"pinpon.wav", "endpinpon.wav"}) {
        const QString path = folder + '/' + chime;
        bool made = true;
        if (kind == "empty") {
            made = WriteFile(path, {});
        } else if (kind == "random bytes") {
            QByteArray noise(4096, '\0');
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(noise.data()),
                                                  noise.size() / 4);
            made = WriteFile(path, noise);
        } else if (kind == "truncated header") {
            made = WriteFile(path, WaveHeader(1000).left(22));
        } else if (kind == "data claimed beyond the end") {
            made = WriteFile(path, WaveHeader(100'000'000) + QByteArray(1000, '\0'));
        } else if (kind == "directory") {
            made = QDir(folder).mkdir(chime);
        } else if (kind == "named pipe") {
            made = mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
        } else if (kind == "very large") {
            const quint32 bytes = 48 * 1024 * 1024;
            made = WriteFile(path, WaveHeader(bytes) + QByteArray(bytes, '\x10'));
        }
        if (!made) {
            return false;
        }
    }
    return true;
}

// Init, Next, whatever `meanwhile` does, Init again, and Exit answered with OK: the window must
// show each click and end with status 0, and no other box may appear on the way.
void UseAndExit(Program& program, const std::function<void()>& meanwhile = {})
{
    QVERIFY(program.waitForWindow());
    const auto first = [&] {
        return program.grab(ValueFields[0]);
    };
    const QImage start = first();

    program.click(InitButton);
    QElapsedTimer shown;
    shown.start();
    program.click(NextButton);
    QVERIFY(ChangesFrom(start, first));
    qInfo("Next shown %lld ms after the click", shown.elapsed());

    if (meanwhile) {
        meanwhile();
    }
    program.click(InitButton);
    QVERIFY(Settles(start, first));
    program.click(NextButton);
    QVERIFY(ChangesFrom(start, first));

    QVERIFY2(Xdotool({"search", "--onlyvisible", "--name", "^Pythagorean triple$"}).isEmpty(),
             "a box appeared");
    ExitThroughTheBox(program);
}

} // namespace

class FaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void hostileChimes_data();
    void hostileChimes();
    void soundServerFaults_data();
    void soundServerFaults();

private:
    QTemporaryDir sockets_;
    std::unique_ptr<SoundServer> server_;
};

void FaultsTest::initTestCase()
{
    server_ = std::make_unique<SoundServer>(sockets_.filePath("shared"));
    QVERIFY(server_->start());
}

void FaultsTest::hostileChimes_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind :
         {"missing", "empty", "random bytes", "truncated header", "data claimed beyond the end",
          "directory", "named pipe", "very large"}) {
        QTest::newRow(kind) << QString::fromLatin1(kind);
    }
}

void FaultsTest::hostileChimes()
{
    QFETCH(QString, kind);
    QTemporaryDir folder;
    QVERIFY(kind == "missing" || MakeHostile(folder.path(), kind));
    Program program({server_->address()}, 1, folder.path());
    UseAndExit(program);
}

void FaultsTest::soundServerFaults_data()
{
    QTest::addColumn<QString>("fault");
    for (const char* fault : {"none there", "killed mid-chime", "starts late",
                              "frozen before the program starts", "frozen before the first cue",
                              "frozen after a cue", "frozen mid-chime", "frozen for two seconds"}) {
        QTest::newRow(fault) << QString::fromLatin1(fault);
    }
}

void FaultsTest::soundServerFaults()
{
    QFETCH(QString, fault);
    SoundServer server(sockets_.filePath("server"));
    if (fault != "none there" && fault != "starts late") {
        QVERIFY(server.start());
    }
    if (fault == "frozen before the program starts") {
        server.freeze();
    }
    Program program({server.address()});
    if (fault == "frozen before the first cue") {
        QVERIFY(program.waitForWindow());
        server.freeze();
    }
    const auto chimeThen = [&](const std::function<void()>& fault) {
        program.click(InitButton);
        QTest::qWait(150);
        fault();
    };
    UseAndExit(program, [&] {
        if (fault == "starts late") {
            QVERIFY(server.start());
        } else if (fault == "killed mid-chime") {
            chimeThen([&] { server.kill(); });
        } else if (fault == "frozen after a cue") {
            QTest::qWait(1000);
            server.freeze();
        } else if (fault == "frozen mid-chime") {
            chimeThen([&] { server.freeze(); });
        } else if (fault == "frozen for two seconds") {
            server.freeze();
            chimeThen([] { QTest::qWait(2000); });
            server.thaw();
        }
    });
}

QTEST_MAIN(FaultsTest)
#include "faults_test.moc"
