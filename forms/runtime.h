// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QVariant>

#include <stdexcept>
#include <thread>

// The services that the window's event handlers take from their host: checked property stores,
// the message box, ending the program, and the one place where a run-time error that escapes a
// handler is reported.
namespace Runtime {

// A control refused a property store.
class PropertyStoreError : public std::runtime_error
{
public:
    PropertyStoreError(const QObject* control, const char* property);
};

// Sets `property` of `control`, raising PropertyStoreError when the control refuses the value.
void StoreProperty(QObject* control, const char* property, const QVariant& value);

// A modal box with one OK button and no icon; returns the button that closed it.
QMessageBox::StandardButton MsgBox(QWidget* parent, const QString& prompt, const QString& title);

// Ends the program at once: every window goes away and the event loop stops with `status`, so
// that no further handler runs. Called before the loop has started, it ends the loop as soon as
// it starts.
void End(int status = 0);

// Exit status of a program ended by a run-time error.
inline constexpr int RuntimeErrorStatus = 1;

// The application object. Handlers do not trap errors; an exception that leaves one arrives
// here, is shown in a box that names it, and ends the program with RuntimeErrorStatus.
class FormsApplication : public QApplication
{
    Q_OBJECT

public:
    FormsApplication(int& argc, char** argv);
    ~FormsApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void reportRuntimeError(const char* what);

    bool reporting_ = false;
    // Reads the system's fonts as the program starts.
    std::thread fontsLoading_;
};

} // namespace Runtime
