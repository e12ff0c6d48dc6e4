// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <QtPlugin>

// What plays the chimes. It lives in a plugin that the media control loads once the window is on
// screen, so that the sound server's libraries stay out of start-up.
//
// Every call only hands the command to the player's own thread and returns at once; that thread
// carries the commands out in the order given. The window's thread never waits for the sound
// server, whatever the server does.
class ChimePlayer
{
public:
    // Lets the player finish for a moment, then leaves it behind: ending the program never waits
    // for the sound server.
    virtual ~ChimePlayer() = default;

    // Closes what was open, then takes the file when it is a complete wave file. Anything else
    // (missing, damaged, a folder, a pipe) leaves the player without a file, which is not an
    // error: the chime stays silent.
    virtual void open(const QString& path) = 0;
    // Starts the file from its beginning; nothing without a file. A chime that cannot start soon
    // after this call, as when the sound server does not answer, is dropped rather than played
    // late.
    virtual void play() = 0;
    virtual void stop() = 0;
    // Stops and forgets the file.
    virtual void close() = 0;
};

// The plugin's root object.
class ChimePlayerFactory
{
public:
    virtual ~ChimePlayerFactory() = default;

    // A new player, itself a QObject, owned by `parent`. It starts its thread and connects to the
    // sound server straight away, so that the first chime finds the way ready.
    virtual ChimePlayer* createPlayer(QObject* parent) = 0;
};

#define ChimePlayerFactory_iid "io.github.pythagoreantriple.ChimePlayerFactory/2.0"
Q_DECLARE_INTERFACE(ChimePlayerFactory, ChimePlayerFactory_iid)
