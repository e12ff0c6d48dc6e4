// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "host.h"

#include <QApplication>
#include <QMessageBox>
#include <QVariant>

#include <thread>

// The forms runtime on the desktop, with Qt's widgets standing in for its controls: checked
// property stores, the message box, ending the program, and the one place where a run-time error
// that escapes a handler is reported.
namespace Runtime {

// Sets `property` of `control`, raising Forms::PropertyStoreError when the control refuses the
// value.
void StoreProperty(QObject* control, const char* property, const QVariant& value);

// A modal box with one OK button and no icon; returns the button that closed it.
QMessageBox::StandardButton MsgBox(QWidget* parent, const QString& prompt, const QString& title);

// Ends the program at once: every window goes away and the event loop stops with `status`, so
// that no further handler runs. Called before the loop has started, it ends the loop as soon as
// it starts.
void End(int status = 0);

// Exit status of a program ended by a run-time error.
inline constexpr int RuntimeErrorStatus = 1;

// A form's handlers hosted by a widget that holds its controls as children of the same names.
class WidgetHost : public Forms::Host
{
public:
    explicit WidgetHost(QWidget* form) : form_(form) {}

    void StoreString(std::string_view control, Forms::Property property,
                     std::string_view value) override;
    void StoreBoolean(std::string_view control, Forms::Property property, bool value) override;
    void Print(std::string_view control, std::string_view line) override;
    void MsgBox(std::string_view prompt, std::string_view title,
                Forms::MsgBoxClosed closed) override;
    void End() override;

private:
    void store(std::string_view control, Forms::Property property, const QVariant& value);

    QWidget* form_;
};

// The application object. Handlers do not trap errors; an exception that leaves one arrives
// here and is reported (Forms::ErrorReport) in a critical box, and the program ends with
// RuntimeErrorStatus.
class FormsApplication : public QApplication, public Forms::ErrorReport
{
    Q_OBJECT

public:
    FormsApplication(int& argc, char** argv);
    ~FormsApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

protected:
    void ShowErrorBox(const std::string& report, std::string_view title,
                      std::function<void()> closed) override;
    void EndAfterError() noexcept override;

private:
    // Reads the system's fonts as the program starts.
    std::thread fontsLoading_;
};

} // namespace Runtime
