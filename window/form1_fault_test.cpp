#include "form1.h"
#include "runtime.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

#include <cstdint>

namespace {

// The rules as a user reads them off the explanation, kept apart from the program's own code.
struct Model
{
    std::int64_t a = 3;
    bool nextEnabled = true;

    void next()
    {
        if (!nextEnabled) {
            return; // a disabled button takes no clicks
        }
        if (a == 1000) {
            nextEnabled = false;
        } else {
            ++a;
        }
    }
    void init()
    {
        a = 3;
        nextEnabled = true;
    }
    QStringList shown() const
    {
        const std::int64_t b = a % 2 ? (a * a - 1) / 2 : (a / 2) * (a / 2) - 1;
        const std::int64_t c = a % 2 ? (a * a + 1) / 2 : (a / 2) * (a / 2) + 1;
        const QString method = a % 2 ? QStringLiteral(u"\uFF1CPythagorean method\uFF1E")
                                     : QStringLiteral(u"\uFF1CPlato's method\uFF1E");
        return {method, QString::number(a), QString::number(b), QString::number(c)};
    }
};

} // namespace

class Form1FaultTest : public QObject
{
    Q_OBJECT

private slots:
    void longRandomSessionAgreesWithModel();
    void stateBeyondRulesEndsWithReport();
};

void Form1FaultTest::longRandomSessionAgreesWithModel()
{
    const quint32 seed = qEnvironmentVariableIsSet("SOAK_SEED")
                             ? quint32(qEnvironmentVariableIntValue("SOAK_SEED"))
                             : QRandomGenerator::system()->generate();
    qInfo("soak seed %u (replay with SOAK_SEED=%u)", seed, seed);
    QRandomGenerator random(seed);

    Form1 form;
    QLineEdit elsewhere; // another window to move activation and focus to
    elsewhere.show();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* next = form.findChild<QPushButton*>("Command1");
    auto* init = form.findChild<QPushButton*>("Command2");
    const auto shown = [&] {
        QStringList texts;
        for (const char* name : {"Label8", "Label1", "Label2", "Label3"}) {
            texts << form.findChild<QLabel*>(name)->text();
        }
        return texts;
    };

    Model model;
    const int actions = 100'000;
    int limitsReached = 0;
    for (int i = 0; i < actions; ++i) {
        // Mostly Next, so that runs reach the limit; now and then Init, and the window losing
        // and regaining activation or focus, which must change nothing.
        const int roll = int(random.bounded(1000));
        QString action;
        if (roll < 900) {
            action = "Next";
            QTest::mouseClick(next, Qt::LeftButton);
            const bool wasEnabled = model.nextEnabled;
            model.next();
            limitsReached += wasEnabled && !model.nextEnabled;
        } else if (roll < 902) {
            action = "Init";
            QTest::mouseClick(init, Qt::LeftButton);
            model.init();
        } else if (roll < 951) {
            action = "deactivate and activate";
            QApplication::setActiveWindow(&elsewhere);
            QApplication::setActiveWindow(&form);
        } else {
            action = "focus away and back";
            QApplication::setActiveWindow(&elsewhere);
            elsewhere.setFocus();
            QApplication::setActiveWindow(&form);
            next->isEnabled() ? next->setFocus() : init->setFocus();
        }
        if (shown() != model.shown() || next->isEnabled() != model.nextEnabled) {
            QFAIL(qPrintable(QStringLiteral("action %1 (%2), seed %3: shown %4, Next %5; "
                                            "expected %6, Next %7")
                                 .arg(i + 1)
                                 .arg(action)
                                 .arg(seed)
                                 .arg(shown().join(' '), next->isEnabled() ? "on" : "off",
                                      model.shown().join(' '), model.nextEnabled ? "on" : "off")));
        }
    }
    qInfo("%d actions, zero divergences; Next reached the limit %d times", actions, limitsReached);
}

void Form1FaultTest::stateBeyondRulesEndsWithReport()
{
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.state_.a = 2147483647; // far past anything the rules allow

    QString report;
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [&report, poll] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            report = box->text();
            poll->stop();
            box->buttons().constFirst()->click();
        }
    });
    poll->start(10);
    QTimer::singleShot(0, &form, [&] {
        QTest::mouseClick(form.findChild<QPushButton*>("Command1"), Qt::LeftButton);
    });

    QEventLoop loop;
    QTimer::singleShot(10'000, &loop, [&] { loop.exit(-1); });
    QCOMPARE(loop.exec(), Runtime::RuntimeErrorStatus);
    QVERIFY2(report.startsWith("Run-time error:") && report.contains("Overflow"),
             qPrintable(report));
    QVERIFY(!form.isVisible());
}

int main(int argc, char* argv[])
{
    Runtime::FormsApplication app(argc, argv);
    Form1FaultTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "form1_fault_test.moc"
