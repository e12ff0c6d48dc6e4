#include "mediacontrol.h"

#include "chimeplayer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPluginLoader>

namespace {

// The player plugin sits in the program's library folder once installed, and beside the
// program in the build tree. Without it every chime is silent and nothing else changes.
ChimePlayerFactory* LoadPlayerFactory()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString& dir : {programDir + QStringLiteral("/" PLAYER_RELATIVE_DIR), programDir}) {
        QPluginLoader loader(dir + QStringLiteral("/" PLAYER_FILE_NAME));
        // Unloaded as the application object goes, the plugin would take Qt Multimedia with it
        // while the sound server's threads may still run; it stays until the process ends.
        loader.setLoadHints(QLibrary::PreventUnloadHint);
        if (auto* factory = qobject_cast<ChimePlayerFactory*>(loader.instance())) {
            return factory;
        }
    }
    return nullptr;
}

ChimePlayerFactory* PlayerFactory()
{
    static ChimePlayerFactory* const factory = LoadPlayerFactory();
    return factory;
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
    if (!player_) {
        ChimePlayerFactory* factory = PlayerFactory();
        if (!factory) {
            return;
        }
        player_ = factory->createPlayer(this);
    }
    player_->open(QFileInfo(fileName_).absoluteFilePath());
}

void MediaControl::sound()
{
    if (player_) {
        player_->play();
    }
}
