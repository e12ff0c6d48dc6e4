// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class ChimePlayer;

// The window's hidden media control: it plays short waveform files and is driven entirely by
// two string properties, a command and a file name. Every outcome other than a refused store is
// swallowed: a file that is missing, damaged or unplayable, or a machine without a sound server,
// simply stays silent.
class MediaControl : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(Command command READ command WRITE setCommand)
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName)

public:
    // The commands the control knows; a store of any other name is refused.
    enum Command
    {
        Stop,  // stops what plays
        Close, // forgets the open file
        Open,  // opens fileName, relative to the current directory
        Sound, // starts the open file and returns at once
    };
    Q_ENUM(Command)

    explicit MediaControl(QWidget* parent = nullptr);
    ~MediaControl() override;

    // Loads the player and lets it connect to the sound server, unless that has been done. The
    // control does this by itself once its window is first painted, so that the first chime
    // does not wait for it and start-up does not pay for it.
    void prepare();

    Command command() const { return command_; }
    void setCommand(Command command);

    const QString& fileName() const { return fileName_; }
    void setFileName(const QString& fileName) { fileName_ = fileName; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void stop();
    void close();
    void open();
    void sound();

    Command command_ = Stop;
    QString fileName_;
    // From a library of its own, to keep the sound stack off start-up.
    std::unique_ptr<ChimePlayer> player_;
};
