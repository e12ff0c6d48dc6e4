// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The program on the web page: the form, hosted by the page, whose runtime (runtime.js) calls
// each event's handler by its name.

#include "form1.h"
#include "pagehost.h"

#include <emscripten.h>

namespace {

Forms::PageHost host;
Form1 form(host);

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void Form_Activate()
{
    host.Deliver([] { form.Form_Activate(); });
}

EMSCRIPTEN_KEEPALIVE void Command1_Click()
{
    host.Deliver([] { form.Command1_Click(); });
}

EMSCRIPTEN_KEEPALIVE void Command2_Click()
{
    host.Deliver([] { form.Command2_Click(); });
}

EMSCRIPTEN_KEEPALIVE void Command3_Click()
{
    host.Deliver([] { form.Command3_Click(); });
}

} // extern "C"
