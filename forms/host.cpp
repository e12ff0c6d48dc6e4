// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "host.h"

#include <utility>

namespace Forms {

std::string_view PropertyName(Property property) noexcept
{
    switch (property) {
    case Property::Caption:
        return "Caption";
    case Property::Enabled:
        return "Enabled";
    case Property::Command:
        return "Command";
    case Property::FileName:
        return "FileName";
    }
    return {};
}

PropertyStoreError::PropertyStoreError(std::string_view control, std::string_view property)
    : std::runtime_error("Invalid property value: " + std::string(control) + "." +
                         std::string(property))
{}

std::string RuntimeErrorReport(std::string_view error)
{
    return "Run-time error:\n\n" + std::string(error);
}

void ErrorReport::ReportRuntimeError(std::string_view error) noexcept
{
    if (std::exchange(reporting_, true)) {
        EndAfterError();
        return;
    }
    try {
        ShowErrorBox(RuntimeErrorReport(error), ProjectTitle, [this] { EndAfterError(); });
    } catch (...) {
        EndAfterError();
    }
}

} // namespace Forms
