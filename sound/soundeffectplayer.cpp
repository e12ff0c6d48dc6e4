// The chime player on Qt Multimedia's QSoundEffect, built as a plugin of its own.

#include "chimeplayer.h"

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

class SoundEffectPlayer : public QObject, public ChimePlayer
{
public:
    explicit SoundEffectPlayer(QObject* parent) : QObject(parent) {}

    void open(const QString& path) override
    {
        close();
        if (!IsCompleteWave(path)) {
            return;
        }
        // Made for the first good file, so that a folder without chimes never touches the
        // sound server.
        if (!effect_) {
            PreferShortAudioLatency();
            effect_ = new QSoundEffect(this);
        }
        effect_->setSource(QUrl::fromLocalFile(path));
    }

    void play() override
    {
        if (effect_ && !effect_->source().isEmpty()) {
            effect_->play();
        }
    }

    void stop() override
    {
        if (effect_) {
            effect_->stop();
        }
    }

    // Clearing the source also makes the next open load afresh: Qt ignores a source equal to the
    // current one, even when that one failed to load and the file has been mended since.
    void close() override
    {
        if (effect_) {
            effect_->stop();
            effect_->setSource(QUrl());
        }
    }

private:
    QSoundEffect* effect_ = nullptr;
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
