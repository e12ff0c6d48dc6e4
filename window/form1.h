// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "host.h"
#include "triple.h"

#include <string_view>

// The program's one form: its event handlers, each a short straight sequence of steps, and the
// triple that it owns for its whole life and changes only inside them. The handlers reach the
// controls through the runtime that hosts the form, the desktop's or the web page's, by the
// names of the layout.
class Form1
{
public:
    explicit Form1(Forms::Host& host) : host_(host) {}

    // The window became active, which happens once, when it is first shown.
    void Form_Activate();
    // Next, Init and Exit.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

private:
    void ShowTriple();
    void PrintExplanation();
    void SetCaption(std::string_view label, std::string_view text);

    // The tests put the triple where no sequence of clicks can take it.
    friend class Form1Test;
    friend class Form1WindowTest;

    Forms::Host& host_;
    TripleState state_;
};
