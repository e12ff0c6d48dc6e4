// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The form's handlers as every host runs them, the desktop's window and the web page alike: what
// each event asks of the forms runtime, in order, recorded by a host that does nothing else.

#include "form1.h"

#include <QStringList>
#include <QTest>

#include <limits>

namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

class Recorder : public Forms::Host
{
public:
    void StoreString(std::string_view control, Forms::Property property,
                     std::string_view value) override
    {
        if (control == refusing) {
            throw Forms::PropertyStoreError(control, Forms::PropertyName(property));
        }
        log << Text(control) + "." + Text(Forms::PropertyName(property)) + " = " + Text(value);
    }
    void StoreBoolean(std::string_view control, Forms::Property property, bool value) override
    {
        StoreString(control, property, value ? "True" : "False");
    }
    void Print(std::string_view control, std::string_view line) override
    {
        log << Text(control) + ".Print " + Text(line);
    }
    // Returns before the box is closed, as the page's does; the test closes it.
    void MsgBox(std::string_view prompt, std::string_view title,
                Forms::MsgBoxClosed closed) override
    {
        log << "MsgBox " + Text(prompt) + " | " + Text(title);
        open = std::move(closed);
    }
    void End() override { log << "End"; }

    QStringList log;
    Forms::MsgBoxClosed open;
    std::string_view refusing; // the control whose stores are refused
};

const QString Pythagorean = QStringLiteral(u"Label8.Caption = \uFF1CPythagorean method\uFF1E");
const QString Plato = QStringLiteral(u"Label8.Caption = \uFF1CPlato's method\uFF1E");

QStringList Shows(int a, int b, int c)
{
    return {QStringLiteral("Label1.Caption = %1").arg(a),
            QStringLiteral("Label2.Caption = %1").arg(b),
            QStringLiteral("Label3.Caption = %1").arg(c)};
}

QStringList Cue(const QString& file)
{
    return {"MMControl1.Command = Stop", "MMControl1.Command = Close",
            "MMControl1.FileName = " + file, "MMControl1.Command = Open",
            "MMControl1.Command = Sound"};
}

} // namespace

class Form1Test : public QObject
{
    Q_OBJECT

private slots:
    void activationShowsTheFirstTripleAndExplains();
    void eachEventAsksItsStepsInOrder();
    void errorsLeaveTheHandlers();
};

void Form1Test::activationShowsTheFirstTripleAndExplains()
{
    Recorder host;
    Form1(host).Form_Activate();
    QCOMPARE(host.log.first(4), QStringList{Pythagorean} + Shows(3, 4, 5));
    const QStringList prints = host.log.mid(4);
    QCOMPARE(prints.size(), 9);
    for (int line = 0; line < 9; ++line) {
        // Every third line is empty; the others begin with an ideographic space.
        QVERIFY(line % 3 ? prints[line].startsWith(QStringLiteral(u"Picture1.Print \u3000"))
                         : prints[line] == "Picture1.Print ");
    }
    QVERIFY(prints[8].endsWith("(Plato's method)."));
}

void Form1Test::eachEventAsksItsStepsInOrder()
{
    // After activation and some clicks of Next, one event; "OK" marks where the test closes a
    // box that the event has left open.
    const struct
    {
        const char* what;
        int nextClicks;
        void (Form1::*handler)();
        QStringList asked;
    } events[] = {
        {"Next from the first triple", 0, &Form1::Command1_Click,
         QStringList{Plato} + Shows(4, 3, 5)},
        {"Next to an odd a", 1, &Form1::Command1_Click,
         QStringList{Pythagorean} + Shows(5, 12, 13)},
        {"Next to the limit", 996, &Form1::Command1_Click,
         QStringList{Plato} + Shows(1000, 249999, 250001)},
        {"Next at the limit", 997, &Form1::Command1_Click,
         QStringList{"Command1.Enabled = False", Plato} + Shows(1000, 249999, 250001)},
        {"Init after the limit", 998, &Form1::Command2_Click,
         Cue("pinpon.wav") + QStringList{"Command1.Enabled = True", Pythagorean} + Shows(3, 4, 5)},
        {"Exit, which ends once its box is closed", 5, &Form1::Command3_Click,
         Cue("endpinpon.wav") +
             QStringList{"MsgBox This software will exit. | Pythagorean triple", "OK", "End"}},
    };
    for (const auto& event : events) {
        Recorder host;
        Form1 form(host);
        form.Form_Activate();
        for (int i = 0; i < event.nextClicks; ++i) {
            form.Command1_Click();
        }
        host.log.clear();
        (form.*event.handler)();
        if (host.open) {
            host.log << "OK";
            host.open(Forms::MsgBoxResult::Ok);
        }
        QVERIFY2(host.log == event.asked, event.what);
    }
}

void Form1Test::errorsLeaveTheHandlers()
{
    // Neither a refused store nor an overflow of the rules is trapped by the handler, and the
    // report names the error.
    Recorder host;
    Form1 form(host);
    form.Form_Activate();
    host.refusing = "Label2";
    try {
        form.Command2_Click();
        QFAIL("the refused store was trapped");
    } catch (const Forms::PropertyStoreError& error) {
        QCOMPARE(Forms::RuntimeErrorReport(error.what()),
                 "Run-time error:\n\nInvalid property value: Label2.Caption");
    }
    host.refusing = {};
    form.state_.a = std::numeric_limits<std::int32_t>::max();
    QVERIFY_THROWS_EXCEPTION(TripleError, form.Command1_Click());
}

QTEST_APPLESS_MAIN(Form1Test)
#include "form1_test.moc"
