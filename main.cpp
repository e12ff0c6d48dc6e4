// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form1window.h"
#include "runtime.h"

int main(int argc, char* argv[])
{
    Runtime::FormsApplication app(argc, argv);
    Form1Window form;
    form.show();
    return app.exec();
}
