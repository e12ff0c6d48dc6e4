#include "chime.h"
#include "cue.h"
#include "mediacontrol.h"
#include "runtime.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <sndfile.h>
#include <sys/stat.h>

namespace {

const QString GoodChime = QStringLiteral(ASSETS_DIR "/pinpon.wav");

// Stands in for the media control and notes every store made on it.
class StoreRecorder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString command READ command WRITE setCommand)
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName)

public:
    QStringList stores;

    QString command() const { return {}; }
    void setCommand(const QString& value) { stores << "command=" + value; }
    QString fileName() const { return {}; }
    void setFileName(const QString& value) { stores << "fileName=" + value; }
};

QByteArray ChimeBytes()
{
    QFile file(GoodChime);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// A wave file of `frames` frames in which channel c of frame i holds (i % 100 + c) / 1000.
bool WriteWave(const QString& path, int format, int channels, int rate, sf_count_t frames)
{
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = rate;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file) {
        return false;
    }
    std::vector<float> piece(4096 * std::size_t(channels));
    for (sf_count_t done = 0; done < frames;) {
        const sf_count_t count = std::min<sf_count_t>(4096, frames - done);
        for (sf_count_t i = 0; i < count; ++i) {
            for (int c = 0; c < channels; ++c) {
                piece[std::size_t(i * channels + c)] = float((done + i) % 100 + c) / 1000.0f;
            }
        }
        sf_writef_float(file, piece.data(), count);
        done += count;
    }
    return sf_close(file) == 0;
}

std::unique_ptr<Chime> OpenChime(const QString& path)
{
    return Chime::Open(QFile::encodeName(path).toStdString());
}

} // namespace

class SoundTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cueMakesItsFiveStoresInOrder();
    void controlRefusesUnknownCommands();
    void wavesAreReadAsStereo_data();
    void wavesAreReadAsStereo();
    void longChimeStaysOnDisk();
    void hostileFilesAreNoChime_data();
    void hostileFilesAreNoChime();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString previousDir_;
};

void SoundTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    previousDir_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_->path()));
}

void SoundTest::cleanup()
{
    QDir::setCurrent(previousDir_);
    dir_.reset();
}

void SoundTest::cueMakesItsFiveStoresInOrder()
{
    StoreRecorder recorder;
    PlayCue(&recorder, "endpinpon.wav");
    QCOMPARE(recorder.stores,
             QStringList({"command=Stop", "command=Close", "fileName=endpinpon.wav", "command=Open",
                          "command=Sound"}));
}

void SoundTest::controlRefusesUnknownCommands()
{
    MediaControl control;
    control.setObjectName("MMControl1");
    for (const char* known : {"Stop", "Close", "Open", "Sound"}) {
        Runtime::StoreProperty(&control, "command", QString::fromLatin1(known));
    }
    // Numbers and near-names too, which Qt on its own would read as some command or other.
    for (const char* unknown : {"Play", "stop", "", "Stop Close", "1", "7", "-1", "Close "}) {
        QVERIFY_THROWS_EXCEPTION(
            Runtime::PropertyStoreError,
            Runtime::StoreProperty(&control, "command", QString::fromLatin1(unknown)));
    }
    // A cue through a control that refuses its stores raises the run-time error too.
    QObject bare;
    QVERIFY_THROWS_EXCEPTION(Runtime::PropertyStoreError, PlayCue(&bare, "pinpon.wav"));
}

void SoundTest::wavesAreReadAsStereo_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");
    QTest::newRow("8-bit mono") << (SF_FORMAT_WAV | SF_FORMAT_PCM_U8) << 1 << 8000;
    QTest::newRow("16-bit stereo") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 2 << 44100;
    QTest::newRow("24-bit, 4 channels") << (SF_FORMAT_WAV | SF_FORMAT_PCM_24) << 4 << 48000;
    QTest::newRow("float, extensible") << (SF_FORMAT_WAVEX | SF_FORMAT_FLOAT) << 2 << 96000;
}

void SoundTest::wavesAreReadAsStereo()
{
    QFETCH(int, format);
    QFETCH(int, channels);
    QFETCH(int, rate);
    QVERIFY(WriteWave("chime.wav", format, channels, rate, 1000));
    const std::unique_ptr<Chime> chime = OpenChime("chime.wav");
    QVERIFY(chime);
    QCOMPARE(chime->rate(), rate);
    QCOMPARE(chime->frames(), 1000);
    QVERIFY(!chime->streamed());

    // A mono file sounds on both sides; of more, the first two channels are heard.
    const std::span<const float> all = chime->next(5000);
    QCOMPARE(all.size(), 2000u);
    const float step = format & SF_FORMAT_PCM_U8 ? 1.0f / 128 : 1e-4f;
    for (std::size_t i = 0; i < 1000; i += 37) {
        const float left = float(i % 100) / 1000.0f;
        QVERIFY2(std::abs(all[2 * i] - left) < step, qPrintable(QString::number(i)));
        QVERIFY(std::abs(all[2 * i + 1] - (left + (channels > 1 ? 0.001f : 0))) < step);
    }
    QVERIFY(chime->next(10).empty());
    chime->rewind();
    QCOMPARE(chime->next(10).size(), 20u);
}

void SoundTest::longChimeStaysOnDisk()
{
    // Past the limit the chime is decoded piece by piece as it plays, from the start again after
    // a rewind, and what it hands out is only ever the piece asked for.
    const sf_count_t frames = Chime::MaxDecodedBytes / 8 + 50'000;
    QVERIFY(WriteWave("long.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, frames));
    const std::unique_ptr<Chime> chime = OpenChime("long.wav");
    QVERIFY(chime);
    QVERIFY(chime->streamed());
    sf_count_t read = 0;
    for (std::span<const float> piece; !(piece = chime->next(22050)).empty();) {
        QVERIFY(piece.size() <= 44100);
        QVERIFY(std::abs(piece[0] - float(read % 100) / 1000.0f) < 1e-4f);
        read += sf_count_t(piece.size() / 2);
    }
    QCOMPARE(read, frames);
    chime->rewind();
    QVERIFY(std::abs(chime->next(3)[2] - 0.001f) < 1e-4f);
}

void SoundTest::hostileFilesAreNoChime_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind :
         {"missing", "empty", "random bytes", "truncated header", "data claimed beyond the end",
          "directory", "named pipe", "not a wave", "rate of a damaged header"}) {
        QTest::newRow(kind) << QString::fromLatin1(kind);
    }
}

void SoundTest::hostileFilesAreNoChime()
{
    QFETCH(QString, kind);
    const QByteArray chime = ChimeBytes();
    const QString path = "pinpon.wav";
    if (kind == "empty") {
        QVERIFY(WriteFile(path, {}));
    } else if (kind == "random bytes") {
        QByteArray noise(20000, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        QVERIFY(WriteFile(path, noise));
    } else if (kind == "truncated header") {
        QVERIFY(WriteFile(path, chime.left(30)));
    } else if (kind == "data claimed beyond the end") {
        QVERIFY(WriteFile(path, chime.left(2000)));
    } else if (kind == "directory") {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == "named pipe") {
        // Opening it would wait for a writer for ever; a hang fails the test by its time limit.
        QCOMPARE(::mkfifo("pinpon.wav", 0600), 0);
    } else if (kind == "not a wave") {
        QVERIFY(WriteWave(path, SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 44100, 1000));
    } else if (kind == "rate of a damaged header") {
        QVERIFY(WriteWave(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 1, 1000));
    }
    QVERIFY(!OpenChime(path));
    // The good chime opens all the same.
    QVERIFY(OpenChime(GoodChime));
}

QTEST_MAIN(SoundTest)
#include "sound_test.moc"
