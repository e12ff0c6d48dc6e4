// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form1.h"

#include "cue.h"

#include <charconv>

using Forms::Property;

namespace {

// Each line begins with an ideographic space, U+3000; the empty ones are empty prints.
constexpr std::string_view Explanation[] = {
    "",
    "\u3000A set of positive integers (a,b,c) that satisfies the Pythagorean thorem is called ",
    "\u3000a Pythagorean triple.",
    "",
    "\u3000When a is odd number , the Pythagorean triple is obtained by b=(a^2-1)\u00F72 and ",
    "\u3000c=(a^2+1)\u00F72. This method is called the (Pythagorean method) .",
    "",
    "\u3000When a is even number , the Pythagorean triple is obtained by b=(a\u00F72)^2 -1) and ",
    "\u3000c=(a\u00F72)^2 +1). This method is called the (Plato's method).",
};

} // namespace

void Form1::Form_Activate()
{
    SetCaption("Label8", MethodCaption(TripleMethod::Pythagorean));
    ResetTriple(state_);
    ShowTriple();
    PrintExplanation();
}

void Form1::Command1_Click()
{
    if (AdvanceTriple(state_)) {
        host_.StoreBoolean("Command1", Property::Enabled, false);
    }
    SetCaption("Label8", MethodCaption(MethodOf(state_.a)));
    ShowTriple();
}

void Form1::Command2_Click()
{
    PlayCue(host_, "MMControl1", "pinpon.wav");
    host_.StoreBoolean("Command1", Property::Enabled, true);
    SetCaption("Label8", MethodCaption(TripleMethod::Pythagorean));
    ResetTriple(state_);
    ShowTriple();
}

void Form1::Command3_Click()
{
    // The closing chime goes on sounding while the box is up.
    PlayCue(host_, "MMControl1", "endpinpon.wav");
    host_.MsgBox("This software will exit.", "Pythagorean triple",
                 [this](Forms::MsgBoxResult result) {
                     if (result == Forms::MsgBoxResult::Ok) {
                         host_.End();
                     }
                 });
}

void Form1::ShowTriple()
{
    const std::pair<std::string_view, std::int32_t> fields[] = {
        {"Label1", state_.a}, {"Label2", state_.b}, {"Label3", state_.c}};
    for (const auto& [label, value] : fields) {
        // Plain decimal: no blank, no leading zeros, no separators.
        char text[12];
        const auto end = std::to_chars(std::begin(text), std::end(text), value).ptr;
        SetCaption(label, std::string_view(text, std::size_t(end - text)));
    }
}

void Form1::PrintExplanation()
{
    for (const std::string_view line : Explanation) {
        host_.Print("Picture1", line);
    }
}

void Form1::SetCaption(std::string_view label, std::string_view text)
{
    host_.StoreString(label, Property::Caption, text);
}
