// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "runtime.h"

#include <QFontDatabase>
#include <QMetaProperty>
#include <QThread>
#include <QWidget>

#include <system_error>

namespace Runtime {

namespace {

const auto ProjectTitle = QStringLiteral("Pythagorean triple");

} // namespace

PropertyStoreError::PropertyStoreError(const QObject* control, const char* property)
    : std::runtime_error(QStringLiteral("Invalid property value: %1.%2")
                             .arg(control->objectName(), QLatin1StringView(property))
                             .toStdString())
{}

void StoreProperty(QObject* control, const char* property, const QVariant& value)
{
    // Qt reads a string that names no value of an enumerated property as a number where it can
    // ("1", "7", "Close ") and stores that; a control takes only the names it knows.
    const QMetaObject* meta = control->metaObject();
    const QMetaProperty target = meta->property(meta->indexOfProperty(property));
    if (target.isEnumType() && value.typeId() == QMetaType::QString) {
        bool known = false;
        target.enumerator().keyToValue(value.toString().toUtf8().constData(), &known);
        if (!known) {
            throw PropertyStoreError(control, property);
        }
    }
    if (!control->setProperty(property, value)) {
        throw PropertyStoreError(control, property);
    }
}

QMessageBox::StandardButton MsgBox(QWidget* parent, const QString& prompt, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::Ok, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void End(int status)
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        window->hide();
    }
    if (QThread::currentThread()->loopLevel() > 0) {
        // Leaves every running loop, nested ones (an open message box) included.
        QCoreApplication::exit(status);
    } else {
        QMetaObject::invokeMethod(
            qApp, [status] { QCoreApplication::exit(status); }, Qt::QueuedConnection);
    }
}

FormsApplication::FormsApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationVersion(QStringLiteral(APP_VERSION));
    // Wayland compositors find the program's name and icon through the desktop entry that its
    // app id names; X11 desktops match the entry's StartupWMClass to the window's class instead.
    setDesktopFileName(QStringLiteral(APP_ID));
    // Reading the system's fonts is the longest single step before the first window's first
    // frame, and needs nothing of the window; it runs while the window is built and mapped.
    // (Qt's font database is safe to use from any thread.)
    try {
        fontsLoading_ = std::thread([] { QFontDatabase::families(); });
    } catch (const std::system_error&) {
        // The fonts are read where they are first needed instead.
    }
}

FormsApplication::~FormsApplication()
{
    if (fontsLoading_.joinable()) {
        fontsLoading_.join();
    }
}

bool FormsApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        reportRuntimeError(error.what());
    } catch (...) {
        reportRuntimeError("Unknown error");
    }
    return true;
}

void FormsApplication::reportRuntimeError(const char* what)
{
    // A second error while the first is on screen must not stack another box.
    if (!reporting_) {
        reporting_ = true;
        QMessageBox::critical(activeWindow(), ProjectTitle,
                              QStringLiteral("Run-time error:\n\n%1").arg(QString::fromUtf8(what)));
    }
    End(RuntimeErrorStatus);
}

} // namespace Runtime
