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
        store(control, property, Text(value));
    }
    void StoreBoolean(std::string_view control, Forms::Property property, bool value) override
    {
        store(control, property, value ? "True" : "False");
    }
    void Print(std::string_view control, std::string_view line) override
    {
        log << Text(control) + ".Print " + Text(line);
    }
    void MsgBox(std::string_view prompt, std::string_view title,
                Forms::MsgBoxClosed closed) override
    {
        log << "MsgBox " + Text(prompt) + " | " + Text(title);
        open = std::move(closed);
    }
    void End() override { log << "End"; }

    QStringList take() { return std::exchange(log, {}); }

    QStringList log;
    Forms::MsgBoxClosed open;
    // The control whose stores are refused.
    std::string_view refusing;

private:
    void store(std::string_view control, Forms::Property property, const QString& value)
    {
        if (control == refusing) {
            throw Forms::PropertyStoreError(control, Forms::PropertyName(property));
        }
        log << Text(control) + "." + Text(Forms::PropertyName(property)) + " = " + value;
    }
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
    void init()
    {
        host_ = Recorder();
        form_ = std::make_unique<Form1>(host_);
    }
    void activationShowsTheFirstTripleAndExplains();
    void eachEventAsksItsStepsInOrder();
    void exitEndsOnceTheBoxIsClosed();
    void errorsLeaveTheHandlers();

private:
    // Clicks Next `times` times and forgets what they asked.
    void next(int times)
    {
        for (int i = 0; i < times; ++i) {
            form_->Command1_Click();
        }
        host_.take();
    }

    Recorder host_;
    std::unique_ptr<Form1> form_;
};

void Form1Test::activationShowsTheFirstTripleAndExplains()
{
    form_->Form_Activate();
    const QStringList prints = host_.log.mid(4);
    QCOMPARE(host_.log.first(4), QStringList{Pythagorean} + Shows(3, 4, 5));
    QCOMPARE(prints.size(), 9);
    for (int line = 0; line < 9; ++line) {
        // Every third line is empty; the others begin with an ideographic space.
        QCOMPARE(prints[line].startsWith(QStringLiteral(u"Picture1.Print \u3000")), line % 3 != 0);
        QVERIFY(line % 3 != 0 || prints[line] == "Picture1.Print ");
    }
    QVERIFY(prints[8].endsWith("(Plato's method)."));
}

void Form1Test::eachEventAsksItsStepsInOrder()
{
    const struct
    {
        const char* what;
        int clicksBefore;
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
        {"Exit", 5, &Form1::Command3_Click,
         Cue("endpinpon.wav") +
             QStringList{"MsgBox This software will exit. | Pythagorean triple"}},
    };
    for (const auto& event : events) {
        init();
        form_->Form_Activate();
        next(event.clicksBefore);
        (form_.get()->*event.handler)();
        QVERIFY2(host_.take() == event.asked, event.what);
    }
}

void Form1Test::exitEndsOnceTheBoxIsClosed()
{
    // A host may return from the box before the user closes it, as the page does; the program
    // ends only then.
    form_->Form_Activate();
    form_->Command3_Click();
    host_.take();
    QVERIFY(host_.open);
    host_.open(Forms::MsgBoxResult::Ok);
    QCOMPARE(host_.take(), QStringList{"End"});
}

void Form1Test::errorsLeaveTheHandlers()
{
    // Neither a refused store nor an overflow of the rules is trapped by the handler, and the
    // report names the error.
    form_->Form_Activate();
    host_.refusing = "Label2";
    try {
        form_->Command2_Click();
        QFAIL("the refused store was trapped");
    } catch (const Forms::PropertyStoreError& error) {
        QCOMPARE(Forms::RuntimeErrorReport(error.what()),
                 "Run-time error:\n\nInvalid property value: Label2.Caption");
    }
    host_.refusing = {};
    form_->state_.a = std::numeric_limits<std::int32_t>::max();
    QVERIFY_THROWS_EXCEPTION(TripleError, form_->Command1_Click());
}

QTEST_APPLESS_MAIN(Form1Test)
#include "form1_test.moc"
