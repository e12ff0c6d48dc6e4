// Whatever command name and chime file the sound part is given, a store through the forms
// runtime is taken exactly when the name is a command's, a file is read as a chime or refused,
// and nothing crashes, hangs or reads out of bounds. The input is split into a command name and
// the bytes of a file.

#include "chime.h"
#include "mediacontrol.h"
#include "runtime.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMetaEnum>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

QApplication* App = nullptr;
QTemporaryDir* Folder = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    App = new QApplication(*argc, *argv);
    Folder = new QTemporaryDir;
    QDir::setCurrent(Folder->path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\0');
    const QString command = QString::fromUtf8(input.left(split < 0 ? input.size() : split));
    const QByteArray bytes = split < 0 ? QByteArray() : input.mid(split + 1);

    // Only the names of the commands are taken; those are not carried out here, as they would
    // start the player.
    MediaControl control;
    const QMetaEnum commands = QMetaEnum::fromType<MediaControl::Command>();
    bool known = false;
    commands.keyToValue(command.toUtf8().constData(), &known);
    if (!known) {
        try {
            Runtime::StoreProperty(&control, "command", command);
            std::abort();
        } catch (const Runtime::PropertyStoreError&) {
        }
    }

    QFile file(QStringLiteral("pinpon.wav"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        std::abort();
    }
    file.close();
    if (const std::unique_ptr<Chime> chime = Chime::Open("pinpon.wav")) {
        std::int64_t frames = 0;
        for (std::span<const float> piece; !(piece = chime->next(4096)).empty();) {
            frames += std::int64_t(piece.size() / 2);
        }
        if (frames > chime->frames()) {
            std::abort();
        }
    }
    return 0;
}
