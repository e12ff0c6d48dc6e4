#include "runtime.h"
#include "triple.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Runtime;

namespace {

// Answers the next modal box that opens by pressing its only button, after letting `inspect`
// look at it. A single zero-delay timer could fire before the box exists, so this polls.
void AnswerNextBox(std::function<void(QMessageBox*)> inspect)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, inspect] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        inspect(box);
        poll->deleteLater();
        box->buttons().constFirst()->click();
    });
    poll->start();
}

} // namespace

class RuntimeTest : public QObject
{
    Q_OBJECT

private slots:
    void storePropertyRaisesWhenRefused();
    void errorLeavingHandlerIsReportedAndEndsProgram();
};

void RuntimeTest::storePropertyRaisesWhenRefused()
{
    QLabel label;
    label.setObjectName("Label1");
    StoreProperty(&label, "text", QStringLiteral("3"));
    QCOMPARE(label.text(), "3");

    // A property the control does not have, and a value it cannot take, are both refused.
    try {
        StoreProperty(&label, "caption", QStringLiteral("3"));
        QFAIL("unknown property accepted");
    } catch (const PropertyStoreError& error) {
        QCOMPARE(error.what(), "Invalid property value: Label1.caption");
    }
    QVERIFY_THROWS_EXCEPTION(PropertyStoreError,
                             StoreProperty(&label, "alignment", QVariant::fromValue(&label)));
    QCOMPARE(label.text(), "3");
}

void RuntimeTest::errorLeavingHandlerIsReportedAndEndsProgram()
{
    QPushButton button("Next");
    QObject::connect(&button, &QPushButton::clicked, &button,
                     [] { throw TripleError(TripleError::Kind::Overflow); });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));

    QString report;
    AnswerNextBox([&](QMessageBox* box) { report = box->text(); });
    // A real mouse click, so that the error travels out through the application's notify.
    QTimer::singleShot(0, &button, [&] { QTest::mouseClick(&button, Qt::LeftButton); });

    QEventLoop loop;
    QTimer::singleShot(10000, &loop, [&] { loop.exit(-1); });
    QCOMPARE(loop.exec(), RuntimeErrorStatus);
    QVERIFY2(report.contains("Overflow"), qPrintable(report));
    QVERIFY(!button.isVisible());
}

int main(int argc, char* argv[])
{
    FormsApplication app(argc, argv);
    RuntimeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "runtime_test.moc"
