// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "commandbutton.h"

#include <QKeyEvent>

namespace {

bool IsEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    if (!IsEnter(event)) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // A held key repeats its press. Chosen again and again, Next would step to the limit,
    // disable itself and pass the focus on to Init, which the same key would then choose too.
    // The X server repeats a key as a release and a press of the same moment, which Qt does
    // not always mark as a repeat when the press is slow to arrive.
    const bool repeated =
        event->isAutoRepeat() || (event->timestamp() != 0 && event->timestamp() == enterReleased_);
    if (!repeated) {
        click();
    }
}

void CommandButton::keyReleaseEvent(QKeyEvent* event)
{
    if (IsEnter(event)) {
        enterReleased_ = event->timestamp();
    }
    QPushButton::keyReleaseEvent(event);
}
