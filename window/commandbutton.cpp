#include "commandbutton.h"

#include <QKeyEvent>

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // A held key repeats its press. Chosen again and again, Next would step to the limit,
    // disable itself and pass the focus on to Init, which the same key would then choose too.
    if (!event->isAutoRepeat()) {
        click();
    }
}
