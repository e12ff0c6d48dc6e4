// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "form1.h"
#include "runtime.h"

#include <QWidget>

#include <memory>

namespace Ui {
class Form1;
}

// The form on the desktop: the window built from its layout, whose events it hands to the form's
// handlers.
class Form1Window : public QWidget
{
    Q_OBJECT

public:
    explicit Form1Window(QWidget* parent = nullptr);
    ~Form1Window() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class Form1WindowTest;

    std::unique_ptr<Ui::Form1> ui;
    Runtime::WidgetHost host_{this};
    Form1 form_{host_};
    bool activated_ = false;
};
