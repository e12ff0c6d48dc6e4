// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// Whatever command name and chime file the sound part is given, a store through the forms
// runtime is taken exactly when the name is a command's, a file is read as a chime or refused,
// and nothing crashes, hangs or reads out of bounds. The input is a command name, a zero byte and
// the bytes of a file.

#include "chime.h"
#include "mediacontrol.h"
#include "runtime.h"

#include <QApplication>
#include <QFile>
#include <QMetaEnum>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray command = input.left(input.indexOf('\0'));
    bool known = false, taken = true;
    QMetaEnum::fromType<MediaControl::Command>().keyToValue(command.constData(), &known);
    MediaControl control;
    try {
        Runtime::StoreProperty(&control, "command", QString::fromUtf8(command));
    } catch (const Forms::PropertyStoreError&) {
        taken = false;
    }
    QFile file(QStringLiteral("fuzzed.wav"));
    const QByteArray bytes = input.mid(command.size() + 1);
    if (taken != known || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::abort();
    }
    file.close();
    if (const std::unique_ptr<Chime> chime = Chime::Open("fuzzed.wav")) {
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
