// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form1.h"

#include "cue.h"
#include "runtime.h"
#include "ui_form1.h"

#include <QFont>
#include <QFontDatabase>
#include <QImageReader>
#include <QPixmap>
#include <QWindow>

#include <algorithm>
#include <utility>

using Runtime::StoreProperty;

namespace {

const auto PreferredFace = QStringLiteral(u"ＭＳ Ｐゴシック");
const auto DebianFace = QStringLiteral(u"IPAPGothic");
// Where the layout's Japanese Gothic face is missing, the first of these that is installed takes
// its place: the same face under the English name that Windows outside Japan lists it by,
// Debian's, then those that Windows ships, so that full-width captions never show as boxes.
const QString FallbackFaces[] = {
    QStringLiteral(u"MS PGothic"),   DebianFace,
    QStringLiteral(u"Yu Gothic UI"), QStringLiteral(u"Meiryo"),
    QStringLiteral(u"MS Gothic"),
};

// The list of faces is asked first: left to Qt, a missing face is looked up with a full font
// match and sort, which costs a noticeable part of the time to the first frame. With none of
// them installed, Debian's is named and Qt finds what it can.
void UseFallbackFaceWhereMissing(QWidget* form)
{
    const QStringList families = QFontDatabase::families();
    if (families.contains(PreferredFace)) {
        return;
    }
    const auto installed = std::ranges::find_if(
        FallbackFaces, [&](const QString& face) { return families.contains(face); });
    const QString& face = installed != std::end(FallbackFaces) ? *installed : DebianFace;
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        if (widget->testAttribute(Qt::WA_SetFont) && widget->font().family() == PreferredFace) {
            QFont font = widget->font();
            font.setFamilies({face});
            widget->setFont(font);
        }
    }
}

// Designer files hold whole point sizes only; these labels need the fractional ones.
void SetPointSize(QWidget* widget, qreal points)
{
    QFont font = widget->font();
    font.setPointSizeF(points);
    widget->setFont(font);
}

const char16_t* const Explanation[] = {
    nullptr,
    u"\u3000A set of positive integers (a,b,c) that satisfies the Pythagorean thorem is called ",
    u"\u3000a Pythagorean triple.",
    nullptr,
    u"\u3000When a is odd number , the Pythagorean triple is obtained by b=(a^2-1)\u00F72 and ",
    u"\u3000c=(a^2+1)\u00F72. This method is called the (Pythagorean method) .",
    nullptr,
    u"\u3000When a is even number , the Pythagorean triple is obtained by b=(a\u00F72)^2 -1) and ",
    u"\u3000c=(a\u00F72)^2 +1). This method is called the (Plato's method).",
};

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::Form1>())
{
    ui->setupUi(this);
    setFixedSize(size());

    // Named as PNG outright: left to guess, Qt loads every image format plugin to ask it first,
    // which costs more of start-up than anything else the window does.
    QImageReader icon(QStringLiteral(":/icon.png"), "png");
    icon.setAutoDetectImageFormat(false);
    setWindowIcon(QPixmap::fromImage(icon.read()));

    for (QWidget* label : {ui->Label1, ui->Label2, ui->Label3, ui->Label9}) {
        SetPointSize(label, 14.25);
    }
    for (QWidget* label : {ui->Label4, ui->Label5, ui->Label6, ui->Label7}) {
        SetPointSize(label, 15.75);
    }
    SetPointSize(ui->Label8, 11.25);

    // The widest explanation line runs some 14 px past the panel at the Gothic face's natural
    // width; condensing the face by 3 % keeps every line whole without giving up its size.
    QFont panelFont = ui->Picture1->font();
    panelFont.setStretch(97);
    ui->Picture1->setFont(panelFont);

    connect(ui->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(ui->Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    ui->Command1->setFocus();
}

Form1::~Form1() = default;

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The window activates once, when first shown. Window managers differ in whether and when
    // they hand focus to a new window, and focus that later leaves and returns must not count.
    if (!std::exchange(activated_, true)) {
        // The faces are settled when the window is first exposed, just before its first paint,
        // rather than as it is built: the system's fonts may still be being read then, and
        // waiting for them would hold back the window's mapping, which the display server and
        // the window manager can go on with meanwhile.
        if (windowHandle()) {
            windowHandle()->installEventFilter(this);
        }
        Form_Activate();
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose) {
        watched->removeEventFilter(this);
        UseFallbackFaceWhereMissing(this);
    }
    return false;
}

void Form1::Form_Activate()
{
    SetCaption(ui->Label8, MethodCaption(TripleMethod::Pythagorean));
    ResetTriple(state_);
    ShowTriple();
    PrintExplanation();
}

void Form1::Command1_Click()
{
    if (AdvanceTriple(state_)) {
        StoreProperty(ui->Command1, "enabled", false);
    }
    SetCaption(ui->Label8, MethodCaption(MethodOf(state_.a)));
    ShowTriple();
}

void Form1::Command2_Click()
{
    PlayCue(ui->MMControl1, QStringLiteral("pinpon.wav"));
    StoreProperty(ui->Command1, "enabled", true);
    SetCaption(ui->Label8, MethodCaption(TripleMethod::Pythagorean));
    ResetTriple(state_);
    ShowTriple();
}

void Form1::Command3_Click()
{
    // The closing chime goes on sounding while the box is up.
    PlayCue(ui->MMControl1, QStringLiteral("endpinpon.wav"));
    if (Runtime::MsgBox(this, QStringLiteral("This software will exit."),
                        QStringLiteral("Pythagorean triple")) == QMessageBox::Ok) {
        Runtime::End();
    }
}

void Form1::ShowTriple()
{
    StoreProperty(ui->Label1, "text", QString::number(state_.a));
    StoreProperty(ui->Label2, "text", QString::number(state_.b));
    StoreProperty(ui->Label3, "text", QString::number(state_.c));
    // Screen readers know the fields by their names, a, b and c; the numbers go with them.
    for (QLabel* field : {ui->Label1, ui->Label2, ui->Label3}) {
        field->setAccessibleDescription(field->text());
    }
}

void Form1::PrintExplanation()
{
    for (const char16_t* line : Explanation) {
        ui->Picture1->print(line ? QString::fromUtf16(line) : QString());
    }
}

void Form1::SetCaption(QWidget* label, std::string_view text)
{
    StoreProperty(label, "text", QString::fromUtf8(text.data(), qsizetype(text.size())));
}
