// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pagehost.h"

#include <emscripten.h>
#include <utility>

// The page's side of the runtime (library.js). Texts travel as UTF-8 with their lengths in bytes,
// properties by their names; a store answers whether it was taken.
extern "C" {
bool forms_store_string(const char* control, std::size_t controlLength, const char* property,
                        std::size_t propertyLength, const char* value, std::size_t valueLength);
bool forms_store_boolean(const char* control, std::size_t controlLength, const char* property,
                         std::size_t propertyLength, bool value);
bool forms_print(const char* control, std::size_t controlLength, const char* line,
                 std::size_t lineLength);
void forms_msgbox(const char* prompt, std::size_t promptLength, const char* title,
                  std::size_t titleLength);
void forms_end();
}

namespace Forms {

namespace {

PageHost* ThePage = nullptr;

} // namespace

PageHost::PageHost()
{
    ThePage = this;
}

void PageHost::StoreString(std::string_view control, Property property, std::string_view value)
{
    const std::string_view name = PropertyName(property);
    if (!forms_store_string(control.data(), control.size(), name.data(), name.size(), value.data(),
                            value.size())) {
        throw PropertyStoreError(control, name);
    }
}

void PageHost::StoreBoolean(std::string_view control, Property property, bool value)
{
    const std::string_view name = PropertyName(property);
    if (!forms_store_boolean(control.data(), control.size(), name.data(), name.size(), value)) {
        throw PropertyStoreError(control, name);
    }
}

void PageHost::Print(std::string_view control, std::string_view line)
{
    if (!forms_print(control.data(), control.size(), line.data(), line.size())) {
        throw PropertyStoreError(control, "Print");
    }
}

void PageHost::MsgBox(std::string_view prompt, std::string_view title, MsgBoxClosed closed)
{
    closed_ = std::move(closed);
    forms_msgbox(prompt.data(), prompt.size(), title.data(), title.size());
}

void PageHost::End()
{
    closed_ = nullptr;
    forms_end();
}

void PageHost::BoxClosed() noexcept
{
    // An OK-only box gives OK, however it was closed.
    if (MsgBoxClosed closed = std::exchange(closed_, nullptr)) {
        Deliver([&closed] { closed(MsgBoxResult::Ok); });
    }
}

void PageHost::ShowErrorBox(const std::string& report, std::string_view title,
                            std::function<void()> closed)
{
    MsgBox(report, title, [closed = std::move(closed)](MsgBoxResult) { closed(); });
}

void PageHost::EndAfterError() noexcept
{
    End();
}

} // namespace Forms

extern "C" EMSCRIPTEN_KEEPALIVE void forms_msgbox_closed()
{
    if (Forms::ThePage) {
        Forms::ThePage->BoxClosed();
    }
}
