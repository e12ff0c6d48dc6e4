// Drives the real program on a real X server with a window manager, the way a user meets it:
// clicks go through the X server, and what is checked is what the X server shows.

#include "session.h"

using namespace e2e;

class EndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void roundTripThroughTheButtons();
    void keysChooseTheFocusedButton();
    void switchingAwayAndBackChangesNothing();
    void darkThemeKeepsFixedFieldsReadable();
    void doubleScaleKeepsLayoutCrisp();
};

void EndToEndTest::roundTripThroughTheButtons()
{
    Program program;
    QVERIFY(program.waitForWindow());

    QCOMPARE(Xdotool({"getwindowname", program.window()}),
             QStringLiteral(u" Pythagorean triple \u2014 version 1.00"));
    QVERIFY(Xdotool({"getwindowgeometry", program.window()}).contains("Geometry: 625x341"));
    QCOMPARE(program.at(Inside(TitleField)), Orange);
    for (const QRect& field : ValueFields) {
        QCOMPARE(program.at(Inside(field)), White);
    }
    QCOMPARE(program.at(Inside(Panel)), White);

    // The picture that the README shows.
    QVERIFY(program.grabFramed().save(QStringLiteral("screenshot.png")));

    const auto triple = [&] {
        return program.grab(MethodField.united(ValueFields[2]));
    };
    const QImage first = triple();
    program.click(NextButton);
    QVERIFY(ChangesFrom(first, triple));
    const QImage second = triple();
    program.click(NextButton);
    QVERIFY(ChangesFrom(second, triple));
    program.click(InitButton);
    QVERIFY(Settles(first, triple));

    ExitThroughTheBox(program);
}

void EndToEndTest::keysChooseTheFocusedButton()
{
    // The triple as it shows at a = 3, 4 and 5, stepped with the mouse in a program of its own.
    QList<QImage> shown;
    {
        Program reference;
        QVERIFY(reference.waitForWindow());
        const auto triple = [&] {
            return reference.grab(MethodField.united(ValueFields[2]));
        };
        shown << Steady(triple);
        for (int step = 0; step < 2; ++step) {
            reference.click(NextButton);
            QVERIFY(ChangesFrom(shown.last(), triple));
            shown << Steady(triple);
        }
    }

    Program program;
    QVERIFY(program.waitForWindow());
    Xdotool({"windowactivate", "--sync", program.window()});
    const auto triple = [&] {
        return program.grab(MethodField.united(ValueFields[2]));
    };
    // Keys as the X server gets them from a keyboard, and the a then shown. Next has the focus
    // when the window opens; a key held down repeats its press some twenty times here.
    const struct
    {
        QStringList keys;
        int a;
    } rows[] = {
        {{"key", "Return"}, 4},
        {{"key", "KP_Enter"}, 5},
        {{"key", "Tab", "Return"}, 3},
        {{"key", "shift+Tab", "keydown", "Return", "sleep", "1.5", "keyup", "Return"}, 4},
    };
    for (const auto& row : rows) {
        Xdotool(row.keys);
        QVERIFY2(Settles(shown.at(row.a - 3), triple), qPrintable(row.keys.join(' ')));
    }

    // Exit lies two Tabs on from Next; its box takes Return as OK.
    Xdotool({"key", "Tab", "Tab", "Return"});
    QVERIFY(!WaitForWindow({"--name", "^Pythagorean triple$"}).isEmpty());
    Xdotool({"key", "Return"});
    QVERIFY(program.finished());
    QCOMPARE(program.process().exitCode(), 0);
}

void EndToEndTest::switchingAwayAndBackChangesNothing()
{
    Program program;
    QVERIFY(program.waitForWindow());
    program.click(NextButton);
    const QImage before = Steady([&] { return program.grab(); });

    QProcess other;
    other.start(QStringLiteral("xmessage"), {"-name", "other", "another application"});
    const QString otherWindow = WaitForWindow({"--classname", "other"});
    QVERIFY(!otherWindow.isEmpty());
    Xdotool({"windowactivate", "--sync", otherWindow});
    QVERIFY(Xdotool({"getactivewindow"}) != program.window());
    Xdotool({"windowactivate", "--sync", program.window()});
    QVERIFY(Settles(before, [&] { return program.grab(); }));

    other.kill();
    other.waitForFinished();
}

void EndToEndTest::darkThemeKeepsFixedFieldsReadable()
{
    // What GNOME's dark style hands a Qt program.
    Program dark({"QT_QPA_PLATFORMTHEME=gtk3", "GTK_THEME=Adwaita:dark"});
    QVERIFY(dark.waitForWindow());
    const int background = qGray(dark.at(FormBackground).rgb());
    qInfo("form background grey level %d under the dark theme", background);
    QVERIFY2(background < 100, "the dark theme did not take effect");

    for (const QRect& fixed : {TitleField, ValueFields[0], ValueFields[1], ValueFields[2], Panel}) {
        QVERIFY(HasDarkInk(dark.grab(fixed.adjusted(3, 3, -3, -3))));
    }
    QCOMPARE(dark.at(Inside(Panel)), White);
}

void EndToEndTest::doubleScaleKeepsLayoutCrisp()
{
    Program program({"QT_SCALE_FACTOR=2"}, 2);
    QVERIFY(program.waitForWindow());
    QVERIFY(Xdotool({"getwindowgeometry", program.window()}).contains("Geometry: 1250x682"));
    for (const QRect& field : ValueFields) {
        QCOMPARE(program.at(Inside(field)), White);
    }

    // Nine print lines of 16 px each from the panel's inner top; every third is blank. The middle
    // of each line is looked at, as descenders reach into the next line's top.
    const QImage panel = program.grab(Panel.adjusted(1, 1, -1, -1));
    const int advance = 32;
    for (int line = 0; line < 9; ++line) {
        const QImage band = panel.copy(0, line * advance + advance / 4, panel.width(), advance / 2);
        QVERIFY2(HasDarkInk(band) == (line % 3 != 0), qPrintable(QString::number(line + 1)));
    }
    // No line runs into the right-hand edge, where it would be cut off.
    QVERIFY(!HasDarkInk(panel.copy(panel.width() - 4, 0, 4, panel.height())));

    // Drawn at the full resolution rather than blown up: a doubled picture would be made of
    // uniform 2 x 2 blocks, and text drawn for this scale is not.
    int blocks = 0;
    int detailed = 0;
    for (int y = 0; y + 1 < panel.height(); y += 2) {
        for (int x = 0; x + 1 < panel.width(); x += 2) {
            const QRgb corner = panel.pixel(x, y);
            if (qGray(corner) == 255 && panel.pixel(x + 1, y + 1) == corner) {
                continue;
            }
            ++blocks;
            detailed += panel.pixel(x + 1, y) != corner || panel.pixel(x, y + 1) != corner ||
                        panel.pixel(x + 1, y + 1) != corner;
        }
    }
    qInfo("%d of %d inked 2 x 2 blocks in the panel have detail within them", detailed, blocks);
    QVERIFY(detailed * 2 > blocks);
}

QTEST_MAIN(EndToEndTest)
#include "e2e_test.moc"
