#include "cue.h"
#include "mediacontrol.h"
#include "runtime.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>

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

} // namespace

class SoundTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cueMakesItsFiveStoresInOrder();
    void controlRefusesUnknownCommands();
    void opensRelativeToCurrentDirectory();
    void goodFileAfterFailedOneLoads();
    void hostileFilesStaySilent_data();
    void hostileFilesStaySilent();

private:
    QSoundEffect* effect() const { return control_->findChild<QSoundEffect*>(); }
    QString loadedSource() const;
    void writeChime(const QByteArray& bytes);

    std::unique_ptr<QTemporaryDir> dir_;
    QString previousDir_;
    std::unique_ptr<MediaControl> control_;
};

void SoundTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    previousDir_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_->path()));
    control_ = std::make_unique<MediaControl>();
    control_->setObjectName("MMControl1");
}

void SoundTest::cleanup()
{
    control_.reset();
    QDir::setCurrent(previousDir_);
    dir_.reset();
}

// The file the control has open once its sample finished loading; empty when none did.
QString SoundTest::loadedSource() const
{
    QSoundEffect* sound = effect();
    if (!sound || sound->source().isEmpty()) {
        return {};
    }
    if (sound->status() == QSoundEffect::Loading) {
        QSignalSpy loaded(sound, &QSoundEffect::statusChanged);
        loaded.wait(5000);
    }
    return sound->status() == QSoundEffect::Ready ? sound->source().toLocalFile() : QString();
}

void SoundTest::writeChime(const QByteArray& bytes)
{
    QFile file("pinpon.wav");
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
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
    for (const char* known : {"Stop", "Close", "Open", "Sound"}) {
        Runtime::StoreProperty(control_.get(), "command", QString::fromLatin1(known));
    }
    // Numbers and near-names too, which Qt on its own would read as some command or other.
    for (const char* unknown : {"Play", "stop", "", "Stop Close", "1", "7", "-1", "Close "}) {
        QVERIFY_THROWS_EXCEPTION(
            Runtime::PropertyStoreError,
            Runtime::StoreProperty(control_.get(), "command", QString::fromLatin1(unknown)));
    }
    // A cue through a control that refuses its stores raises the run-time error too.
    QObject bare;
    QVERIFY_THROWS_EXCEPTION(Runtime::PropertyStoreError, PlayCue(&bare, "pinpon.wav"));
}

void SoundTest::opensRelativeToCurrentDirectory()
{
    writeChime(ChimeBytes());
    PlayCue(control_.get(), "pinpon.wav");
    QCOMPARE(loadedSource(), QDir(dir_->path()).absoluteFilePath("pinpon.wav"));

    // Another folder without the file: the cue is silent and the old file is closed.
    QTemporaryDir empty;
    QDir::setCurrent(empty.path());
    PlayCue(control_.get(), "pinpon.wav");
    QCOMPARE(loadedSource(), QString());
}

void SoundTest::goodFileAfterFailedOneLoads()
{
    // Damaged, then mended under the same name: the second cue must not be ignored as a repeat.
    writeChime(ChimeBytes().left(30));
    PlayCue(control_.get(), "pinpon.wav");
    QCOMPARE(loadedSource(), QString());

    writeChime(ChimeBytes());
    PlayCue(control_.get(), "pinpon.wav");
    QVERIFY(!loadedSource().isEmpty());

    // The next cue of the same, unchanged file keeps its sample.
    QSignalSpy statusChanges(effect(), &QSoundEffect::statusChanged);
    PlayCue(control_.get(), "pinpon.wav");
    QVERIFY(!loadedSource().isEmpty());
    QCOMPARE(statusChanges.count(), 0);

    // Another chime under the same name is loaded anew, and a damaged one is not played.
    QFile end(QStringLiteral(ASSETS_DIR "/endpinpon.wav"));
    QVERIFY(end.open(QIODevice::ReadOnly));
    writeChime(end.readAll());
    PlayCue(control_.get(), "pinpon.wav");
    QVERIFY(!loadedSource().isEmpty());
    QVERIFY(statusChanges.count() > 0);
    writeChime(ChimeBytes().left(30));
    PlayCue(control_.get(), "pinpon.wav");
    QCOMPARE(loadedSource(), QString());
}

void SoundTest::hostileFilesStaySilent_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"missing", "empty", "random bytes", "truncated header",
                             "data claimed beyond the end", "directory", "named pipe"}) {
        QTest::newRow(kind) << QString::fromLatin1(kind);
    }
}

void SoundTest::hostileFilesStaySilent()
{
    QFETCH(QString, kind);
    const QByteArray chime = ChimeBytes();
    if (kind == "empty") {
        writeChime({});
    } else if (kind == "random bytes") {
        QByteArray noise(20000, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        writeChime(noise);
    } else if (kind == "truncated header") {
        writeChime(chime.left(30));
    } else if (kind == "data claimed beyond the end") {
        writeChime(chime.left(2000));
    } else if (kind == "directory") {
        QVERIFY(QDir().mkdir("pinpon.wav"));
    } else if (kind == "named pipe") {
        QCOMPARE(::mkfifo("pinpon.wav", 0600), 0);
    }

    // Each of these used to freeze the program, here or when it ended; a hang fails the test
    // by its time limit.
    PlayCue(control_.get(), "pinpon.wav");
    PlayCue(control_.get(), "pinpon.wav");
    QCOMPARE(loadedSource(), QString());

    // The control keeps working for a good file.
    QFile::copy(GoodChime, "endpinpon.wav");
    PlayCue(control_.get(), "endpinpon.wav");
    QVERIFY(!loadedSource().isEmpty());
}

QTEST_MAIN(SoundTest)
#include "sound_test.moc"
