#include "form1.h"
#include "mediacontrol.h"
#include "picturebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString Pythagorean = QStringLiteral(u"\uFF1CPythagorean method\uFF1E");
const QString Plato = QStringLiteral(u"\uFF1CPlato's method\uFF1E");

} // namespace

class Form1Test : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstDisplayShowsFirstTripleAndExplanation();
    void explanationFitsInsidePanel();
    void nextStepsThroughBothRules();
    void nextStopsAtLimitAndInitStartsAgain();
    void laterActivationChangesNothing();
    void exitAsksThenEndsWithStatusZero();
    void closingTheWindowEndsSilently();
    void layoutMatchesDesign();

private:
    template <typename T> T* control(const char* name) const
    {
        auto* widget = form_->findChild<T*>(QLatin1StringView(name));
        Q_ASSERT(widget);
        return widget;
    }
    QStringList shown() const;
    void click(const char* button)
    {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    }
    void clickNext() { click("Command1"); }

    std::unique_ptr<Form1> form_;
};

void Form1Test::init()
{
    form_ = std::make_unique<Form1>();
}

void Form1Test::cleanup()
{
    form_.reset();
}

QStringList Form1Test::shown() const
{
    return {control<QLabel>("Label8")->text(), control<QLabel>("Label1")->text(),
            control<QLabel>("Label2")->text(), control<QLabel>("Label3")->text()};
}

void Form1Test::firstDisplayShowsFirstTripleAndExplanation()
{
    // Before the window is first shown nothing has been computed.
    QCOMPARE(shown(), QStringList({{}, {}, {}, {}}));

    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QCOMPARE(shown(), QStringList({Pythagorean, "3", "4", "5"}));
    QVERIFY(control<QPushButton>("Command1")->isEnabled());
    QVERIFY(control<QPushButton>("Command1")->hasFocus());

    const QStringList lines = control<PictureBox>("Picture1")->printedLines();
    QCOMPARE(lines.size(), 9);
    for (int i = 0; i < lines.size(); ++i) {
        const bool blank = i % 3 == 0;
        QCOMPARE(lines.at(i).isEmpty(), blank);
        QVERIFY(blank || lines.at(i).startsWith(QChar(0x3000)));
    }
    QCOMPARE(lines.at(1), QStringLiteral(u"\u3000A set of positive integers (a,b,c) that satisfies "
                                         u"the Pythagorean thorem is called "));
    QCOMPARE(lines.at(8), QStringLiteral(u"\u3000c=(a\u00F72)^2 +1). This method is called the "
                                         u"(Plato's method)."));
}

void Form1Test::explanationFitsInsidePanel()
{
    form_->show();
    auto* panel = control<PictureBox>("Picture1");
    const QRect inside = panel->contentsRect();
    for (int i = 0; i < panel->printedLines().size(); ++i) {
        const QRect ink = panel->inkRect(i);
        if (ink.isEmpty()) {
            continue;
        }
        QVERIFY2(inside.contains(ink), qPrintable(QStringLiteral("line %1: ink %2,%3 %4x%5")
                                                      .arg(i + 1)
                                                      .arg(ink.x())
                                                      .arg(ink.y())
                                                      .arg(ink.width())
                                                      .arg(ink.height())));
    }
    // Lines must not overlap each other either.
    QVERIFY(panel->lineAdvance() >= QFontInfo(panel->font()).pixelSize());

    // And the pixels agree: the last line is drawn, and no text touches the inner edges, where
    // clipping would leave it.
    const QImage image = panel->grab().toImage();
    const auto inked = [&image](const QRect& area) {
        for (int x = area.left(); x <= area.right(); ++x) {
            for (int y = area.top(); y <= area.bottom(); ++y) {
                if (qGray(image.pixel(x, y)) < 160) {
                    return true;
                }
            }
        }
        return false;
    };
    QVERIFY(inked(panel->inkRect(8)));
    QVERIFY(!inked(QRect(inside.right() - 1, inside.top(), 2, inside.height())));
    QVERIFY(!inked(QRect(inside.left(), inside.bottom() - 1, inside.width(), 2)));
}

void Form1Test::nextStepsThroughBothRules()
{
    form_->show();
    clickNext();
    QCOMPARE(shown(), QStringList({Plato, "4", "3", "5"}));
    clickNext();
    QCOMPARE(shown(), QStringList({Pythagorean, "5", "12", "13"}));
    clickNext();
    QCOMPARE(shown(), QStringList({Plato, "6", "8", "10"}));
    // Stepping never prints into the panel.
    QCOMPARE(control<PictureBox>("Picture1")->printedLines().size(), 9);
}

void Form1Test::nextStopsAtLimitAndInitStartsAgain()
{
    form_->show();
    auto* next = control<QPushButton>("Command1");
    for (int i = 0; i < 997; ++i) {
        clickNext();
    }
    QCOMPARE(shown(), QStringList({Plato, "1000", "249999", "250001"}));
    QVERIFY(next->isEnabled());

    clickNext();
    QCOMPARE(shown(), QStringList({Plato, "1000", "249999", "250001"}));
    QVERIFY(!next->isEnabled());

    // A disabled button gives no clicks, and activating again does not re-enable it.
    clickNext();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(form_.get(), &activate);
    QVERIFY(!next->isEnabled());
    QCOMPARE(shown().at(1), "1000");

    // Init starts again and makes Next usable; clicked again while Next is enabled, it keeps
    // to the first triple. It never prints.
    click("Command2");
    QCOMPARE(shown(), QStringList({Pythagorean, "3", "4", "5"}));
    QVERIFY(next->isEnabled());
    clickNext();
    QCOMPARE(shown(), QStringList({Plato, "4", "3", "5"}));
    click("Command2");
    click("Command2");
    QCOMPARE(shown(), QStringList({Pythagorean, "3", "4", "5"}));
    QVERIFY(next->isEnabled());
    QCOMPARE(control<PictureBox>("Picture1")->printedLines().size(), 9);
}

void Form1Test::laterActivationChangesNothing()
{
    form_->show();
    clickNext();
    const QStringList before = shown();

    // Focus leaving for another application and coming back, a box closing over the window,
    // the window hidden and shown again: none of it is a first activation.
    QEvent deactivate(QEvent::WindowDeactivate);
    QEvent activate(QEvent::WindowActivate);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QFocusEvent focusIn(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(form_.get(), &deactivate);
    QApplication::sendEvent(control<QPushButton>("Command1"), &focusOut);
    QApplication::sendEvent(form_.get(), &activate);
    QApplication::sendEvent(control<QPushButton>("Command1"), &focusIn);
    form_->hide();
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));

    QCOMPARE(shown(), before);
    QCOMPARE(control<PictureBox>("Picture1")->printedLines().size(), 9);
}

void Form1Test::exitAsksThenEndsWithStatusZero()
{
    form_->show();
    clickNext();

    QString title;
    QString text;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QStringList shownUnderBox;
    // Poll: a single zero-delay timer could fire before the box exists.
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        poll.stop();
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            buttons << button->text();
        }
        shownUnderBox = shown();
        box->buttons().constFirst()->click();
    });
    poll.start(10);
    click("Command3");

    QCOMPARE(title, "Pythagorean triple");
    QCOMPARE(text, "This software will exit.");
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(shownUnderBox, QStringList({Plato, "4", "3", "5"}));

    // OK ended the program: the window is gone and the event loop stops with status 0.
    QVERIFY(!form_->isVisible());
    QEventLoop loop;
    QTimer::singleShot(5000, &loop, [&loop] { loop.exit(-1); });
    QCOMPARE(loop.exec(), 0);
}

void Form1Test::closingTheWindowEndsSilently()
{
    form_->show();
    bool boxSeen = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this,
            [&boxSeen] { boxSeen = boxSeen || QApplication::activeModalWidget(); });
    poll.start(5);
    // Closing the only window through its frame ends the application's loop, normally.
    QTimer::singleShot(0, form_.get(), [this] { form_->close(); });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    connect(&giveUp, &QTimer::timeout, qApp, [] { QCoreApplication::exit(-1); });
    giveUp.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!boxSeen);
    // No cue was ever given a file.
    QVERIFY(control<MediaControl>("MMControl1")->fileName().isEmpty());
}

void Form1Test::layoutMatchesDesign()
{
    form_->show();
    QCOMPARE(form_->size(), QSize(625, 341));
    QCOMPARE(form_->minimumSize(), form_->maximumSize());
    QVERIFY(form_->windowTitle().startsWith(" Pythagorean triple"));
    QVERIFY(!form_->windowIcon().isNull());

    // Every place and size, in twips as designed, at 15 twips a pixel.
    struct Place
    {
        const char* name;
        int left, top, width, height;
    };
    const Place places[] = {
        {"Picture1", 120, 1920, 9135, 2295}, {"MMControl1", 2880, 1680, 3540, 330},
        {"Command3", 0, 0, 855, 375},        {"Command2", 8520, 0, 855, 375},
        {"Command1", 4080, 4440, 1215, 375}, {"Label9", 3360, 0, 3255, 375},
        {"Label8", 2880, 600, 4095, 255},    {"Label7", 5520, 1200, 255, 375},
        {"Label6", 3600, 1200, 255, 375},    {"Label5", 7440, 1200, 255, 375},
        {"Label4", 1680, 1200, 255, 375},    {"Label3", 5880, 1200, 1455, 375},
        {"Label2", 3960, 1200, 1455, 375},   {"Label1", 2040, 1200, 1455, 375},
        {"Line1", 0, 360, 7080, 15},         {"Line2", 0, 360, 9360, 15},
    };
    for (const Place& p : places) {
        QCOMPARE(control<QWidget>(p.name)->geometry(),
                 QRect(p.left / 15, p.top / 15, p.width / 15, p.height / 15));
    }
    QVERIFY(!control<QWidget>("MMControl1")->isVisible());

    // Captions, fonts and colours.
    QCOMPARE(control<QLabel>("Label9")->text(), "Pythagorean Triple");
    QCOMPARE(control<QLabel>("Label4")->text(), QString(QChar(0xFF08)));
    QCOMPARE(control<QLabel>("Label5")->text(), QString(QChar(0xFF09)));
    QCOMPARE(control<QLabel>("Label6")->text(), QString(QChar(0xFF0C)));
    QCOMPARE(control<QLabel>("Label7")->text(), QString(QChar(0xFF0C)));
    const auto checkFont = [this](const char* name, qreal points, bool bold) {
        const QWidget* widget = control<QWidget>(name);
        QCOMPARE(widget->font().pointSizeF(), points);
        QCOMPARE(widget->font().bold(), bold);
        const QString face = QFontInfo(widget->font()).family();
        QVERIFY2(face == "IPAPGothic" || face == QStringLiteral(u"ＭＳ Ｐゴシック"),
                 qPrintable(face));
    };
    for (const char* name : {"Label1", "Label2", "Label3", "Label9"}) {
        checkFont(name, 14.25, true);
    }
    for (const char* name : {"Label4", "Label5", "Label6", "Label7"}) {
        checkFont(name, 15.75, true);
    }
    checkFont("Label8", 11.25, true);
    checkFont("Picture1", 12, false);

    const auto background = [this](const char* name) {
        const QWidget* widget = control<QWidget>(name);
        return widget->autoFillBackground() ? widget->palette().color(widget->backgroundRole())
                                            : QColor();
    };
    for (const char* name : {"Label1", "Label2", "Label3", "Picture1"}) {
        QCOMPARE(background(name), QColor(255, 255, 255));
    }
    QCOMPARE(background("Label9"), QColor(255, 192, 128));

    // The value row, the panel and Next share the window's centre line.
    const auto centre2 = [this](const char* first, const char* last) {
        return control<QWidget>(first)->geometry().left() +
               control<QWidget>(last)->geometry().right() + 1;
    };
    QCOMPARE(centre2("Label4", "Label5"), 625);
    QCOMPARE(centre2("Picture1", "Picture1"), 625);
    QCOMPARE(centre2("Command1", "Command1"), 625);

    // Keyboard order: Next, Init, Exit, panel, and round again.
    const char* order[] = {"Command2", "Command3", "Picture1", "Command1"};
    QWidget* focused = control<QWidget>("Command1");
    for (const char* name : order) {
        focused = focused->nextInFocusChain();
        while (focused->focusPolicy() == Qt::NoFocus || !focused->isVisible()) {
            focused = focused->nextInFocusChain();
        }
        QCOMPARE(focused->objectName(), QString::fromLatin1(name));
    }
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
