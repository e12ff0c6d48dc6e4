// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picturebox.h"

#include <QAccessibleWidget>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

namespace {

// What is printed is only painted, so without this a screen reader would find an empty frame.
// The panel offers its lines as one read-only text, a line break after each.
class PictureBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit PictureBoxAccessible(PictureBox* box) : QAccessibleWidget(box, QAccessible::StaticText)
    {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Value ? box()->printedText() : QAccessibleWidget::text(type);
    }

    QString text(int start, int end) const override
    {
        return box()->printedText().mid(start, end - start);
    }
    int characterCount() const override { return int(box()->printedText().size()); }

    QRect characterRect(int offset) const override
    {
        const QStringList& lines = box()->printedLines();
        for (int line = 0; line < lines.size(); ++line) {
            const QString& text = lines.at(line);
            if (offset <= text.size()) {
                const QFontMetrics metrics = box()->fontMetrics();
                const QRect ink = box()->inkRect(line);
                const QPoint topLeft(ink.left() + metrics.horizontalAdvance(text.left(offset)),
                                     ink.top());
                const int width =
                    offset < text.size() ? metrics.horizontalAdvance(text.at(offset)) : 0;
                return {box()->mapToGlobal(topLeft), QSize(width, metrics.height())};
            }
            offset -= int(text.size()) + 1;
        }
        return {};
    }

    // Nothing to select, no caret, no styling and nothing to scroll.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    PictureBox* box() const { return static_cast<PictureBox*>(widget()); }
};

QAccessibleInterface* CreateAccessible(const QString& className, QObject* object)
{
    auto* box = qobject_cast<PictureBox*>(object);
    return box && className == QLatin1StringView(PictureBox::staticMetaObject.className())
               ? new PictureBoxAccessible(box)
               : nullptr;
}

} // namespace

PictureBox::PictureBox(QWidget* parent) : QFrame(parent)
{
    static const bool factoryInstalled = (QAccessible::installFactory(CreateAccessible), true);
    Q_UNUSED(factoryInstalled);
}

void PictureBox::print(const QString& text)
{
    const int position = int(printedText().size());
    lines_.append(text);
    update();
    QAccessibleTextInsertEvent event(this, position, text + QLatin1Char('\n'));
    QAccessible::updateAccessibility(&event);
}

QString PictureBox::printedText() const
{
    QString text;
    for (const QString& line : lines_) {
        text += line + QLatin1Char('\n');
    }
    return text;
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
