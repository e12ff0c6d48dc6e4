// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window as its activation leaves it, for the page to be made showing it: so that the page's
// first frame holds the triple without waiting for the module. The build runs this under Node.js
// and puts what it prints into the page's HTML; in the browser the same handlers then activate
// the window afresh as the page loads (runtime.js).
//
// Prints one line for each store and print of the activation: the control, the property (or
// Print) and the value, apart by tabs.

#include "form1.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

class Snapshot : public Forms::Host
{
public:
    void StoreString(std::string_view control, Forms::Property property,
                     std::string_view value) override
    {
        write(control, Forms::PropertyName(property), value);
    }
    void StoreBoolean(std::string_view control, Forms::Property property, bool value) override
    {
        write(control, Forms::PropertyName(property), value ? "True" : "False");
    }
    void Print(std::string_view control, std::string_view line) override
    {
        write(control, "Print", line);
    }
    // Activation shows no box and does not end the program.
    void MsgBox(std::string_view, std::string_view, Forms::MsgBoxClosed) override
    {
        throw std::logic_error("a box at activation");
    }
    void End() override { throw std::logic_error("the end at activation"); }

private:
    static void write(std::string_view control, std::string_view property, std::string_view value)
    {
        std::printf("%.*s\t%.*s\t%.*s\n", int(control.size()), control.data(), int(property.size()),
                    property.data(), int(value.size()), value.data());
    }
};

} // namespace

int main()
{
    Snapshot host;
    Form1 form(host);
    form.Form_Activate();
    return 0;
}
