#include "mediacontrol.h"

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

} // namespace

MediaControl::MediaControl(QWidget* parent) : QWidget(parent) {}

void MediaControl::setCommand(Command command)
{
    command_ = command;
    switch (command) {
    case Stop:
        stop();
        break;
    case Close:
        close();
        break;
    case Open:
        open();
        break;
    case Sound:
        sound();
        break;
    }
}

void MediaControl::stop()
{
    if (effect_) {
        effect_->stop();
    }
}

void MediaControl::close()
{
    // Clearing the source also makes the next Open load afresh: Qt ignores a source equal to the
    // current one, even when that one failed to load and the file has been mended since.
    if (effect_) {
        effect_->stop();
        effect_->setSource(QUrl());
    }
}

void MediaControl::open()
{
    close();
    const QString path = QFileInfo(fileName_).absoluteFilePath();
    if (!IsCompleteWave(path)) {
        return;
    }
    if (!effect_) {
        PreferShortAudioLatency();
        effect_ = new QSoundEffect(this);
    }
    effect_->setSource(QUrl::fromLocalFile(path));
}

void MediaControl::sound()
{
    if (effect_ && !effect_->source().isEmpty()) {
        effect_->play();
    }
}
