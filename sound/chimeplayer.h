#pragma once

#include <QObject>
#include <QString>
#include <QtPlugin>

// What plays the chimes. It lives in a plugin that the media control loads at its first Open,
// so that Qt Multimedia and the sound server's libraries stay out of start-up, and out of
// memory until a chime is due.
class ChimePlayer
{
public:
    virtual ~ChimePlayer() = default;

    // Closes what was open, then takes the file when it is a complete wave file that is safe to
    // hand to the sound stack.
    // Anything else (missing, damaged, a folder, a pipe) leaves the player without a file, which
    // is not an error: the chime stays silent.
    virtual void open(const QString& path) = 0;
    // Starts the file from its beginning and returns at once; nothing without a file.
    virtual void play() = 0;
    virtual void stop() = 0;
    // Forgets the file.
    virtual void close() = 0;
};

// The plugin's root object.
class ChimePlayerFactory
{
public:
    virtual ~ChimePlayerFactory() = default;

    // A new player, itself a QObject, owned by `parent`.
    virtual ChimePlayer* createPlayer(QObject* parent) = 0;
};

#define ChimePlayerFactory_iid "io.github.pythagoreantriple.ChimePlayerFactory/1.0"
Q_DECLARE_INTERFACE(ChimePlayerFactory, ChimePlayerFactory_iid)
