// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "triple.h"

#include <QWidget>

#include <memory>

namespace Ui {
class Form1;
}

// The program's one window. It owns the current triple for its whole life and changes it only
// inside its event handlers, each a short straight sequence of steps.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Event handlers.
    void Form_Activate();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    void ShowTriple();
    void PrintExplanation();
    void SetCaption(QWidget* label, std::string_view text);

    // The tests put the triple where no sequence of clicks can take it.
    friend class Form1Test;

    std::unique_ptr<Ui::Form1> ui;
    TripleState state_;
    bool activated_ = false;
};
