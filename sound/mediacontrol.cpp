// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mediacontrol.h"

#include "chimeplayer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QLibrary>
#include <QTimer>

#include <chrono>

namespace {

// The player's library sits in the program's library folder once installed, and beside the
// program in the build tree. Without it every chime is silent and nothing else changes.
CreateChimePlayer LoadPlayerEntry()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString& dir : {programDir + QStringLiteral("/" PLAYER_RELATIVE_DIR), programDir}) {
        QLibrary library(dir + QStringLiteral("/" PLAYER_FILE_NAME));
        // Unloaded as the application object goes, the library would take its code away from a
        // player thread that was left to finish on its own; it stays until the process ends.
        library.setLoadHints(QLibrary::PreventUnloadHint);
        if (auto entry =
                reinterpret_cast<CreateChimePlayer>(library.resolve(CHIME_PLAYER_ENTRY_NAME))) {
            return entry;
        }
    }
    return nullptr;
}

CreateChimePlayer PlayerEntry()
{
    static const CreateChimePlayer entry = LoadPlayerEntry();
    return entry;
}

// The player is made this long after the window's first paint. The paint reaches the display
// server only at the end of the event loop's turn, and the milliseconds that loading the player
// takes must not hold it back.
constexpr auto AfterFirstPaint = std::chrono::milliseconds(50);

} // namespace

MediaControl::MediaControl(QWidget* parent) : QWidget(parent)
{
    if (parent) {
        window()->installEventFilter(this);
    }
}

MediaControl::~MediaControl() = default;

bool MediaControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window() && event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        QTimer::singleShot(AfterFirstPaint, this, &MediaControl::prepare);
    }
    return false;
}

void MediaControl::prepare()
{
    if (!player_) {
        if (const CreateChimePlayer entry = PlayerEntry()) {
            player_.reset(entry());
        }
    }
}

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
    if (player_) {
        player_->stop();
    }
}

void MediaControl::close()
{
    if (player_) {
        player_->close();
    }
}

void MediaControl::open()
{
    // Opening replaces whatever the player had open.
    prepare();
    if (player_) {
        player_->open(QFileInfo(fileName_).absoluteFilePath().toUtf8().constData());
    }
}

void MediaControl::sound()
{
    if (player_) {
        player_->play();
    }
}
