// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What plays the chimes. It lives in a library of its own that the media control loads once the
// window is on screen, so that the sound system's libraries stay out of start-up.
//
// The boundary holds nothing of Qt or of the standard library: on Windows Qt is linked into the
// program, and the player, which has no Qt, carries its own copy of the C++ run-time. Both sides
// only share this table of virtual calls, and file names cross it in UTF-8.
//
// Every call only hands the command to the player's own thread and returns at once; that thread
// carries the commands out in the order given. The window's thread never waits for the sound
// server, whatever the server does.
class ChimePlayer
{
public:
    // Lets the player finish for a moment, then leaves it behind: ending the program never waits
    // for the sound server. The player's library frees what it allocated.
    virtual ~ChimePlayer() = default;

    // Closes what was open, then takes the file named `path` (in UTF-8) when it is a complete
    // wave file. Anything else (missing, damaged, a folder, a pipe) leaves the player without a
    // file, which is not an error: the chime stays silent.
    virtual void open(const char* path) = 0;
    // Starts the file from its beginning; nothing without a file. A chime that cannot start soon
    // after this call, as when the sound server does not answer, is dropped rather than played
    // late.
    virtual void play() = 0;
    virtual void stop() = 0;
    // Stops and forgets the file.
    virtual void close() = 0;
};

// The one function the player's library exports: a new player, which starts its thread and
// connects to the sound server straight away, so that the first chime finds the way ready; null
// when it cannot. Its name changes with the boundary, so that a program never takes a player
// made for another.
#define CHIME_PLAYER_ENTRY CreateChimePlayer3
#define CHIME_PLAYER_STRING(name) #name
#define CHIME_PLAYER_NAME(name) CHIME_PLAYER_STRING(name)
#define CHIME_PLAYER_ENTRY_NAME CHIME_PLAYER_NAME(CHIME_PLAYER_ENTRY)
using CreateChimePlayer = ChimePlayer* (*)();

#ifdef _WIN32
#define CHIME_PLAYER_EXPORT extern "C" __declspec(dllexport)
#else
#define CHIME_PLAYER_EXPORT extern "C" __attribute__((visibility("default")))
#endif
