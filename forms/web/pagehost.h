// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "host.h"

#include <exception>

namespace Forms {

// A form's handlers hosted by the web page: the page holds the controls as elements of the same
// names (library.js), and delivers the window's events to the handlers (runtime.js). One form,
// and so one page host, per page.
class PageHost : public Host
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

    // Runs one event's handler to its end. Handlers do not trap errors; one that leaves a handler
    // is shown in a box that names it, and the program then ends.
    template <typename Handler> void Deliver(Handler&& handler) noexcept
    {
        try {
            handler();
        } catch (const std::exception& error) {
            ReportRuntimeError(error.what());
        } catch (...) {
            ReportRuntimeError("Unknown error");
        }
    }

    // The page's box was closed.
    void BoxClosed() noexcept;

private:
    void ReportRuntimeError(const char* what) noexcept;

    MsgBoxClosed closed_;
    bool reporting_ = false;
};

} // namespace Forms
