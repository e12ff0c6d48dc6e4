// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

// What a form's event handlers take from the runtime that hosts them: property stores on their
// controls, printing into a picture box, the message box and ending the program. The handlers
// name their controls as the layout does, so that the same handlers run on every host: the
// desktop's widgets and the web page.
namespace Forms {

// The properties that handlers store, by the names the forms runtime gives them.
enum class Property
{
    Caption,  // a label's text
    Enabled,  // whether a button gives clicks
    Command,  // a media control's command, carried out as it is stored
    FileName, // the file that a media control's next Open opens
};

std::string_view PropertyName(Property property) noexcept;

enum class MsgBoxResult
{
    Ok,
};

// What the box's closing passes on; an OK-only box gives OK.
using MsgBoxClosed = std::function<void(MsgBoxResult)>;

// A control refused a property store, or there is no such control.
class PropertyStoreError : public std::runtime_error
{
public:
    PropertyStoreError(std::string_view control, std::string_view property);
};

class Host
{
public:
    virtual ~Host() = default;

    // Each store either takes effect at once or throws PropertyStoreError.
    virtual void StoreString(std::string_view control, Property property,
                             std::string_view value) = 0;
    virtual void StoreBoolean(std::string_view control, Property property, bool value) = 0;

    // Prints one line into a picture box at its current print line; an empty text prints an
    // empty line.
    virtual void Print(std::string_view control, std::string_view line) = 0;

    // A modal box with the prompt, the title and one OK button, no icon. `closed` runs once the
    // user closes it: before MsgBox returns where the host runs a loop of its own for the box,
    // later where it cannot.
    virtual void MsgBox(std::string_view prompt, std::string_view title, MsgBoxClosed closed) = 0;

    // Ends the program at once: no further handler runs.
    virtual void End() = 0;
};

// The title of the program's own boxes.
inline constexpr std::string_view ProjectTitle = "Pythagorean triple";

// What the run-time error report says of an error that left a handler.
std::string RuntimeErrorReport(std::string_view error);

// The run-time error report, one policy for every runtime: an error that leaves an event handler
// is shown in a box that names it, under the program's title, and the program then ends; a
// second error while that box is up ends the program at once. Each runtime gives the box and the
// end in its own way.
class ErrorReport
{
public:
    virtual ~ErrorReport() = default;

    // Runs one event's handler to its end; an error that leaves it is reported.
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

    void ReportRuntimeError(std::string_view error) noexcept;

protected:
    // Shows the report in the runtime's box for errors; `closed` runs once the user closes it,
    // before ShowErrorBox returns where the box holds up the caller, later where it cannot.
    virtual void ShowErrorBox(const std::string& report, std::string_view title,
                              std::function<void()> closed) = 0;
    virtual void EndAfterError() noexcept = 0;

private:
    bool reporting_ = false;
};

} // namespace Forms
