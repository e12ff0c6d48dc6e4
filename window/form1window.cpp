// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form1window.h"

#include "ui_form1.h"

#include <QFont>
#include <QFontDatabase>
#include <QImageReader>
#include <QPixmap>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace {

// Where the layout's Japanese Gothic face is missing, the first of the form's fallback faces
// that is installed takes its place, so that full-width captions never show as boxes. The list
// of faces is asked first: left to Qt, a missing face is looked up with a full font match and
// sort, which costs a noticeable part of the time to the first frame. With none of them
// installed, the first is named and Qt finds what it can.
void UseFallbackFaceWhereMissing(QWidget* form, const QString& preferred)
{
    const QStringList families = QFontDatabase::families();
    const QStringList fallbacks = form->property("fallbackFamilies").toStringList();
    if (families.contains(preferred) || fallbacks.isEmpty()) {
        return;
    }
    const auto installed = std::ranges::find_if(
        fallbacks, [&](const QString& face) { return families.contains(face); });
    const QString& face = installed != fallbacks.end() ? *installed : fallbacks.first();
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        if (widget->testAttribute(Qt::WA_SetFont) && widget->font().family() == preferred) {
            QFont font = widget->font();
            font.setFamilies({face});
            widget->setFont(font);
        }
    }
}

} // namespace

Form1Window::Form1Window(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::Form1>())
{
    ui->setupUi(this);
    setFixedSize(size());

    // Named as PNG outright: left to guess, Qt loads every image format plugin to ask it first,
    // which costs more of start-up than anything else the window does.
    QImageReader icon(QStringLiteral(":/icon.png"), "png");
    icon.setAutoDetectImageFormat(false);
    setWindowIcon(QPixmap::fromImage(icon.read()));

    // Designer files hold whole point sizes only; the labels carry their fractional ones, and the
    // panel how much its face is condensed, as properties of their own.
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (const QVariant points = widget->property("pointSizeF"); points.isValid()) {
            QFont font = widget->font();
            font.setPointSizeF(points.toDouble());
            widget->setFont(font);
        }
        if (const QVariant stretch = widget->property("fontStretch"); stretch.isValid()) {
            QFont font = widget->font();
            font.setStretch(stretch.toInt());
            widget->setFont(font);
        }
    }

    connect(ui->Command1, &QPushButton::clicked, this, [this] { form_.Command1_Click(); });
    connect(ui->Command2, &QPushButton::clicked, this, [this] { form_.Command2_Click(); });
    connect(ui->Command3, &QPushButton::clicked, this, [this] { form_.Command3_Click(); });
    ui->Command1->setFocus();
}

Form1Window::~Form1Window() = default;

void Form1Window::showEvent(QShowEvent* event)
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
        form_.Form_Activate();
    }
}

bool Form1Window::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose) {
        watched->removeEventFilter(this);
        // The layout's face, as its labels carry it.
        UseFallbackFaceWhereMissing(this, ui->Label1->font().family());
    }
    return false;
}
