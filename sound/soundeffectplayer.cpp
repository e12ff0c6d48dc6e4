// The chime player on Qt Multimedia's QSoundEffect, built as a plugin of its own.

#include "chimeplayer.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>
#include <QWaveDecoder>

namespace {

// Qt's sample loader waits forever for data that never comes: on a named pipe or device it
// blocks in open, and on a WAV whose header is cut short or claims more data than the file
// holds it never finishes. Worse, releasing any sample while one is stuck freezes the caller.
// So only a regular file whose header Qt's own decoder reads completely, with all the data the
// header promises, is handed over.
bool IsCompleteWave(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    QWaveDecoder decoder(&file);
    bool formatKnown = false;
    QObject::connect(&decoder, &QWaveDecoder::formatKnown, &decoder,
                     [&formatKnown] { formatKnown = true; });
    // On a file the decoder parses the header synchronously inside open().
    return decoder.open(QIODevice::ReadOnly) && formatKnown &&
           decoder.size() <= file.size() - file.pos();
}

// Qt's PulseAudio output buffers about 140 ms by default, late enough to hear against the click.
void PreferShortAudioLatency()
{
    if (!qEnvironmentVariableIsSet("PULSE_LATENCY_MSEC")) {
        qputenv("PULSE_LATENCY_MSEC", "30");
    }
}

// What identifies a file's contents well enough to reuse its loaded sample.
struct FileStamp
{
    QString path;
    qint64 size = -1;
    QDateTime modified;
    QDateTime changed;

    explicit FileStamp(const QString& file = {})
    {
        if (!file.isEmpty()) {
            const QFileInfo info(file);
            path = info.absoluteFilePath();
            size = info.size();
            modified = info.lastModified();
            changed = info.metadataChangeTime();
        }
    }
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

class SoundEffectPlayer : public QObject, public ChimePlayer
{
public:
    explicit SoundEffectPlayer(QObject* parent) : QObject(parent) {}

    void open(const QString& path) override
    {
        close();
        if (!IsCompleteWave(path)) {
            forget();
            return;
        }
        // Made for the first good file, so that a folder without chimes never touches the
        // sound server.
        if (!effect_) {
            PreferShortAudioLatency();
            effect_ = new QSoundEffect(this);
        }
        // Every cue closes and opens its file again. When it is the same file, unchanged and
        // loaded or loading, the sample is kept: loading it anew would cost the cue some 10 ms.
        const FileStamp stamp(path);
        const QSoundEffect::Status status = effect_->status();
        if (stamp != loaded_ || status == QSoundEffect::Null || status == QSoundEffect::Error) {
            forget();
            effect_->setSource(QUrl::fromLocalFile(path));
            loaded_ = stamp;
        }
        open_ = true;
    }

    void play() override
    {
        if (open_) {
            effect_->play();
        }
    }

    void stop() override
    {
        if (effect_) {
            effect_->stop();
        }
    }

    void close() override
    {
        stop();
        open_ = false;
    }

private:
    // Clearing the source also makes the next load real: Qt ignores a source equal to the
    // current one, even when that one failed to load and the file has been mended since.
    void forget()
    {
        if (effect_) {
            effect_->setSource(QUrl());
        }
        loaded_ = FileStamp();
    }

    QSoundEffect* effect_ = nullptr;
    FileStamp loaded_;
    bool open_ = false;
};

} // namespace

class SoundEffectPlayerFactory : public QObject, public ChimePlayerFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ChimePlayerFactory_iid)
    Q_INTERFACES(ChimePlayerFactory)

public:
    ChimePlayer* createPlayer(QObject* parent) override { return new SoundEffectPlayer(parent); }
};

#include "soundeffectplayer.moc"
