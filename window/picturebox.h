// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFrame>
#include <QStringList>

// A panel that text is printed into line by line, like a teletype: each print lands on the
// current print line at the left edge, and the print line then moves down by one line of the
// panel's font. Nothing wraps and nothing is ever cleared; what passes the edge is cut off.
class PictureBox : public QFrame
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Prints one line; an empty text prints an empty line. Invokable, as the forms runtime
    // prints into any picture box by name.
    Q_INVOKABLE void print(const QString& text = {});

    const QStringList& printedLines() const { return lines_; }
    // Everything printed so far, each line ended by a line break.
    QString printedText() const;

    // The distance between two print lines: the font's em height, so that a panel sized for a
    // number of lines at a given point size holds exactly that many.
    int lineAdvance() const;

    // Where line `index` sits, as the rectangle of its text's ink in widget coordinates.
    QRect inkRect(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint baseline(int index) const;

    QStringList lines_;
};
