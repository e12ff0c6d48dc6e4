#include "picturebox.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {}

void PictureBox::print(const QString& text)
{
    lines_.append(text);
    update();
}

int PictureBox::lineAdvance() const
{
    return QFontInfo(font()).pixelSize();
}

QPoint PictureBox::baseline(int index) const
{
    const QRect area = contentsRect();
    return {area.left(), area.top() + index * lineAdvance() + fontMetrics().ascent()};
}

QRect PictureBox::inkRect(int index) const
{
    return fontMetrics().boundingRect(lines_.at(index)).translated(baseline(index));
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);

    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.setPen(palette().color(foregroundRole()));
    for (int i = 0; i < lines_.size(); ++i) {
        painter.drawText(baseline(i), lines_.at(i));
    }
}
