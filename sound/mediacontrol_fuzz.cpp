// Whatever command name and file the media control is given, a store through the forms
// runtime is taken exactly when the name is a command's, and nothing crashes, hangs or reads out
// of bounds. The input is split into a command name, a file name and the bytes of a file; the
// file is offered under the chime's name too.

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
    const QList<QByteArray> parts = input.split('\0');
    const QString command = QString::fromUtf8(parts.value(0));
    const QString name = QString::fromUtf8(parts.value(1));
    const QByteArray bytes = parts.mid(2).join('\0');

    QFile file(QStringLiteral("pinpon.wav"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        std::abort();
    }
    file.close();

    MediaControl control;
    const QMetaEnum commands = QMetaEnum::fromType<MediaControl::Command>();
    bool known = false;
    commands.keyToValue(command.toUtf8().constData(), &known);
    // The fuzzed name as a file name must be taken as it is; it names no file here, or a
    // file of the fuzzed bytes.
    for (const QString& fileName : {name, QStringLiteral("pinpon.wav")}) {
        Runtime::StoreProperty(&control, "fileName", fileName);
        if (control.fileName() != fileName) {
            std::abort();
        }
        bool taken = true;
        try {
            Runtime::StoreProperty(&control, "command", command);
        } catch (const Runtime::PropertyStoreError&) {
            taken = false;
        }
        if (taken != known) {
            std::abort();
        }
        for (const char* step : {"Stop", "Close", "Open", "Sound", "Stop", "Close"}) {
            Runtime::StoreProperty(&control, "command", QString::fromLatin1(step));
        }
    }
    QCoreApplication::processEvents();
    return 0;
}
