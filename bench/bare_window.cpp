// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// A plain Qt Widgets window of the program's size and kind, with nothing of the program in it:
// a few labels, three buttons and a panel that paints its text. Start-up and memory of the
// program are measured against this. Its texts use the same face and the same sorts of
// characters (full-width brackets and blanks), which come from a far part of the font file.

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

class Panel : public QFrame
{
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event);
        QPainter painter(this);
        for (int line = 0; line < 9; ++line) {
            if (line % 3 != 0) {
                painter.drawText(8, 16 + 16 * line,
                                 QStringLiteral(u"\u3000A line of explanation, about as long "
                                                u"as a line of the panel can be (a,b,c)."));
            }
        }
    }
};

void Fill(QFrame* frame, const QColor& colour)
{
    frame->setFrameShape(QFrame::Box);
    frame->setAutoFillBackground(true);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::WindowText, Qt::black);
    frame->setPalette(palette);
}

void Field(QWidget* parent, const QString& text, const QRect& place, const QColor& colour)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    label->setAlignment(Qt::AlignCenter);
    Fill(label, colour);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFont(QFont(QStringLiteral("IPAPGothic"), 11));
    window.setFixedSize(625, 341);
    window.setWindowTitle(QStringLiteral("Bare window"));

    // The orange field sits where the program's title does, so both are seen drawn alike.
    Field(&window, QStringLiteral("Title"), {224, 0, 217, 25}, QColor(255, 192, 128));
    for (int i = 0; i < 3; ++i) {
        Field(&window, QString::number(3 + i), {136 + 128 * i, 80, 97, 25}, Qt::white);
    }
    (new QLabel(QStringLiteral(u"\uFF1CMethod\uFF1E"), &window))->setGeometry(192, 40, 273, 17);
    const char16_t* const marks[] = {u"\uFF08", u"\uFF0C", u"\uFF0C", u"\uFF09"};
    for (int i = 0; i < 4; ++i) {
        (new QLabel(QString::fromUtf16(marks[i]), &window))->setGeometry(112 + 128 * i, 80, 17, 25);
    }
    // Buttons keep the desktop's own face, as the program's do.
    const QFont systemFace = QApplication::font();
    for (auto [text, place] : {std::pair{"Next", QRect(272, 296, 81, 25)},
                               {"Init", QRect(568, 0, 57, 25)},
                               {"Exit", QRect(0, 0, 57, 25)}}) {
        auto* button = new QPushButton(QString::fromLatin1(text), &window);
        button->setGeometry(place);
        button->setFont(systemFace);
    }
    auto* panel = new Panel(&window);
    panel->setGeometry(8, 128, 609, 153);
    Fill(panel, Qt::white);

    window.show();
    return app.exec();
}
