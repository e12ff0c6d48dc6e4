// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form1window.h"
#include "picturebox.h"
#include "runtime.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

const QString Pythagorean = QStringLiteral(u"\uFF1CPythagorean method\uFF1E");
const QString Plato = QStringLiteral(u"\uFF1CPlato's method\uFF1E");

// What the window on the desktop adds to the form's handlers: its look, what screen readers find
// in it, its events reaching the handlers and the handlers' stores reaching its widgets, and the
// run-time error report.
class Form1WindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { form_ = std::make_unique<Form1Window>(); }
    void firstDisplayFollowsTheDesign();
    void clicksReachTheHandlersAndActivationComesOnce();
    void runTimeErrorIsReportedAndEnds();

private:
    QWidget* control(const char* name) { return form_->findChild<QWidget*>(name); }
    void click(const char* button) { QTest::mouseClick(control(button), Qt::LeftButton); }
    QString text(const char* label) { return static_cast<QLabel*>(control(label))->text(); }
    QStringList shown() { return {text("Label8"), text("Label1"), text("Label2"), text("Label3")}; }

    std::unique_ptr<Form1Window> form_;
};

void Form1WindowTest::firstDisplayFollowsTheDesign()
{
    QCOMPARE(shown(), QStringList({{}, {}, {}, {}}));
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QCOMPARE(shown(), QStringList({Pythagorean, "3", "4", "5"}));
    QVERIFY(control("Command1")->hasFocus() && !control("MMControl1")->isVisible() &&
            !form_->windowIcon().isNull());
    // The window's fixed size and the faces as designed, the panel's alone not bold.
    QVERIFY(form_->minimumSize() == QSize(625, 341) && form_->maximumSize() == QSize(625, 341));
    const std::pair<const char*, qreal> faces[] = {
        {"Label1", 14.25}, {"Label2", 14.25}, {"Label3", 14.25}, {"Label4", 15.75},
        {"Label5", 15.75}, {"Label6", 15.75}, {"Label7", 15.75}, {"Label8", 11.25},
        {"Label9", 14.25}, {"Picture1", 12}};
    for (const auto& [name, points] : faces) {
        const QFont face = control(name)->font();
        QVERIFY2(face.pointSizeF() == points && face.bold() == (points != 12) &&
                     QStringList({"IPAPGothic", QStringLiteral(u"ＭＳ Ｐゴシック")})
                         .contains(QFontInfo(face).family()),
                 name);
    }

    auto* panel = static_cast<PictureBox*>(control("Picture1"));
    // Every line fits the panel whole, and a screen reader finds each character of the text it
    // reads (the nine lines, each ended by a break) where the panel shows it.
    const QRect inside = panel->contentsRect();
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(panel)->textInterface();
    const QString all = text->text(0, text->characterCount());
    QVERIFY(all == panel->printedLines().join('\n') + '\n' && text->text(1, 5) == all.mid(1, 4) &&
            text->selectionCount() == 0);
    const QRect global(panel->mapToGlobal(inside.topLeft()), inside.size());
    for (int offset = 0, line = 0; offset < all.size(); line += all.at(offset++) == '\n') {
        const QRect box = text->characterRect(offset), ink = panel->inkRect(line);
        const int top = box.top() - global.top();
        QVERIFY2(top >= line * 16 - 1 && top < (line + 1) * 16 &&
                     (box.width() > 0) == (all.at(offset) != '\n') &&
                     (all.at(offset) == '\n' || global.contains(box)) &&
                     (ink.isEmpty() || inside.contains(ink)),
                 qPrintable(QString::number(offset)));
        if (offset > 0 && all.at(offset - 1) != '\n') {
            QVERIFY(std::abs(box.left() - text->characterRect(offset - 1).right() - 1) <= 1);
        }
    }
}

void Form1WindowTest::clicksReachTheHandlersAndActivationComesOnce()
{
    form_->show();
    click("Command1");
    QCOMPARE(shown(), QStringList({Plato, "4", "3", "5"}));
    // Shown or activated again, the window is not activated anew.
    form_->hide();
    form_->show();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(form_.get(), &activate);
    click("Command1");
    QCOMPARE(shown(), QStringList({Pythagorean, "5", "12", "13"}));
    // The click that finds a at the limit disables Next, which then gives no clicks until Init.
    form_->form_.state_.a = TripleLimit;
    click("Command1");
    click("Command1");
    QCOMPARE(shown(), QStringList({Plato, "1000", "249999", "250001"}));
    QVERIFY(!control("Command1")->isEnabled());
    click("Command2");
    QCOMPARE(shown(), QStringList({Pythagorean, "3", "4", "5"}));
    QVERIFY(control("Command1")->isEnabled());
    QCOMPARE(static_cast<PictureBox*>(control("Picture1"))->printedLines().size(), 9);
}

void Form1WindowTest::runTimeErrorIsReportedAndEnds()
{
    form_->show();
    click("Command1");
    form_->form_.state_.a = 2147483647; // far past anything the rules allow
    QString report;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&report] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            report = box->windowTitle() + ": " + box->text();
            box->buttons().constFirst()->click();
        }
    });
    poll.start(10);
    // A click inside the event loop, so that the error travels out through the application.
    QTimer::singleShot(0, this, [this] { click("Command1"); });
    QCOMPARE(QApplication::exec(), Runtime::RuntimeErrorStatus);
    QCOMPARE(report, "Pythagorean triple: Run-time error:\n\nOverflow");
    QCOMPARE(shown(), QStringList({Plato, "4", "3", "5"}));
    QVERIFY(!form_->isVisible());
}

int main(int argc, char* argv[])
{
    Runtime::FormsApplication app(argc, argv);
    Form1WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "form1window_test.moc"
