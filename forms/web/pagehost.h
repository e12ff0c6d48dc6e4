// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "host.h"

namespace Forms {

// A form's handlers hosted by the web page: the page holds the controls as elements of the same
// names (library.js), and delivers the window's events to the handlers (runtime.js), each through
// Deliver, which reports an error that leaves a handler. One form, and so one page host, per page.
class PageHost : public Host, public ErrorReport
{
public:
    PageHost();
    PageHost(const PageHost&) = delete;
    PageHost& operator=(const PageHost&) = delete;

    void StoreString(std::string_view control, Property property, std::string_view value) override;
    void StoreBoolean(std::string_view control, Property property, bool value) override;
    void Print(std::string_view control, std::string_view line) override;
    // The page's box cannot hold up the handler, so `closed` runs when the box is closed.
    void MsgBox(std::string_view prompt, std::string_view title, MsgBoxClosed closed) override;
    void End() override;

    // The page's box was closed.
    void BoxClosed() noexcept;

protected:
    void ShowErrorBox(const std::string& report, std::string_view title,
                      std::function<void()> closed) override;
    void EndAfterError() noexcept override;

private:
    MsgBoxClosed closed_;
};

} // namespace Forms
