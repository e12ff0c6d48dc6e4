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

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

[[noreturn]] void Refuse(const QObject* control, const char* property)
{
    throw Forms::PropertyStoreError(control->objectName().toStdString(), property);
}

// The names that Qt's widgets give the properties that the handlers store.
const char* QtPropertyName(Forms::Property property)
{
    switch (property) {
    case Forms::Property::Caption:
        return "text";
    case Forms::Property::Enabled:
        return "enabled";
    case Forms::Property::Command:
        return "command";
    case Forms::Property::FileName:
        return "fileName";
    }
    return "";
}

} // namespace

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
            Refuse(control, property);
        }
    }
    if (!control->setProperty(property, value)) {
        Refuse(control, property);
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

void WidgetHost::store(std::string_view control, Forms::Property property, const QVariant& value)
{
    QObject* target = form_->findChild<QObject*>(FromUtf8(control));
    if (!target) {
        throw Forms::PropertyStoreError(control, Forms::PropertyName(property));
    }
    StoreProperty(target, QtPropertyName(property), value);
    // Screen readers know a value field by its name and read its caption with it, as the page's
    // fields give theirs.
    if (auto* widget = qobject_cast<QWidget*>(target);
        widget && property == Forms::Property::Caption && !widget->accessibleName().isEmpty()) {
        widget->setAccessibleDescription(value.toString());
    }
}

void WidgetHost::StoreString(std::string_view control, Forms::Property property,
                             std::string_view value)
{
    store(control, property, FromUtf8(value));
}

void WidgetHost::StoreBoolean(std::string_view control, Forms::Property property, bool value)
{
    store(control, property, value);
}

void WidgetHost::Print(std::string_view control, std::string_view line)
{
    // A picture box offers its print as an invokable method.
    QObject* target = form_->findChild<QObject*>(FromUtf8(control));
    if (!target || !QMetaObject::invokeMethod(target, "print", Q_ARG(QString, FromUtf8(line)))) {
        throw Forms::PropertyStoreError(control, "Print");
    }
}

void WidgetHost::MsgBox(std::string_view prompt, std::string_view title, Forms::MsgBoxClosed closed)
{
    const QMessageBox::StandardButton button =
        Runtime::MsgBox(form_, FromUtf8(prompt), FromUtf8(title));
    if (button == QMessageBox::Ok) {
        closed(Forms::MsgBoxResult::Ok);
    }
}

void WidgetHost::End()
{
    Runtime::End();
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
    bool handled = true;
    Deliver([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void FormsApplication::ShowErrorBox(const std::string& report, std::string_view title,
                                    std::function<void()> closed)
{
    QMessageBox::critical(activeWindow(), FromUtf8(title), QString::fromStdString(report));
    closed();
}

void FormsApplication::EndAfterError() noexcept
{
    End(RuntimeErrorStatus);
}

} // namespace Runtime
