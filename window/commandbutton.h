// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPushButton>

// A command button as the window's keyboard users know it: while it has the focus, Enter chooses
// it as well as Space, once per press, and still it is not the window's default button.
class CommandButton : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // When Enter was last let go, in the window system's time.
    quint64 enterReleased_ = 0;
};
