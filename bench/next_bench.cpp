// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Next handler as a user triggers it, on the real window: the click, the step, the caption
// and the three value stores, and the repaint that puts them on screen.

#include "form1window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Tells whether a widget has been painted since it was last asked.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    bool takePainted() { return std::exchange(painted_, false); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        painted_ |= event->type() == QEvent::Paint;
        return false;
    }

private:
    bool painted_ = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    constexpr int Windows = 10;
    // Next stays enabled for 997 clicks from (3, 4, 5).
    constexpr int ClicksPerWindow = 997;

    std::vector<double> micros;
    micros.reserve(Windows * ClicksPerWindow);
    for (int w = 0; w < Windows; ++w) {
        Form1Window form;
        form.show();
        if (!QTest::qWaitForWindowExposed(&form)) {
            std::fprintf(stderr, "the window was not exposed\n");
            return 1;
        }
        auto* next = form.findChild<QPushButton*>(QStringLiteral("Command1"));
        PaintWatch watch(form.findChild<QLabel*>(QStringLiteral("Label1")));
        for (int i = 0; i < ClicksPerWindow; ++i) {
            watch.takePainted();
            QElapsedTimer timer;
            timer.start();
            QTest::mouseClick(next, Qt::LeftButton);
            // The repaint happens when the window's pending update request is delivered.
            QCoreApplication::sendPostedEvents(&form, QEvent::UpdateRequest);
            const qint64 elapsed = timer.nsecsElapsed();
            if (!watch.takePainted()) {
                std::fprintf(stderr, "click %d was not repainted\n", i + 1);
                return 1;
            }
            micros.push_back(double(elapsed) / 1000.0);
        }
    }

    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) {
        return micros[size_t(q * double(micros.size() - 1))];
    };
    std::printf("next_clicks %zu\nnext_median_us %.1f\nnext_p99_us %.1f\nnext_max_us %.1f\n",
                micros.size(), at(0.5), at(0.99), micros.back());
    return 0;
}
