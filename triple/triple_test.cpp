#include "triple.h"

#include <QTest>

#include <cstdint>
#include <limits>

Q_DECLARE_METATYPE(TripleMethod)

class TripleTest : public QObject
{
    Q_OBJECT

private slots:
    void computesReferenceTriples_data();
    void computesReferenceTriples();
    void everyTripleInRangeIsPythagorean();
    void stepsUpToTheLimitAndStopsThere();
    void resetReturnsToFirstTripleAndNeverSetsTheFlag();
    void reportsConversionOverflowOutsideTheRange_data();
    void reportsConversionOverflowOutsideTheRange();
    void namesMethodsAndErrors();
};

void TripleTest::computesReferenceTriples_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("c");
    QTest::addColumn<TripleMethod>("method");

    const auto row = [](int a, int b, int c, TripleMethod method) {
        QTest::addRow("a=%d", a) << a << b << c << method;
    };
    row(3, 4, 5, TripleMethod::Pythagorean);
    row(4, 3, 5, TripleMethod::Plato);
    row(5, 12, 13, TripleMethod::Pythagorean);
    row(6, 8, 10, TripleMethod::Plato);
    row(7, 24, 25, TripleMethod::Pythagorean);
    row(8, 15, 17, TripleMethod::Plato);
    row(9, 40, 41, TripleMethod::Pythagorean);
    row(10, 24, 26, TripleMethod::Plato);
    row(998, 249000, 249002, TripleMethod::Plato);
    row(999, 499000, 499001, TripleMethod::Pythagorean);
    row(1000, 249999, 250001, TripleMethod::Plato);
    // Parity follows the truncating remainder, so negative odd a stays Pythagorean.
    row(-3, 4, 5, TripleMethod::Pythagorean);
    row(-4, 3, 5, TripleMethod::Plato);
}

void TripleTest::computesReferenceTriples()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, c);
    QFETCH(TripleMethod, method);

    const TripleSides sides = ComputeTriple(a);
    QCOMPARE(sides.b, b);
    QCOMPARE(sides.c, c);
    QCOMPARE(sides.method, method);
}

void TripleTest::everyTripleInRangeIsPythagorean()
{
    TripleState state;
    ResetTriple(state);
    for (std::int32_t a = 3; a <= TripleLimit; ++a) {
        QCOMPARE(state.a, a);
        const std::int64_t b = state.b;
        const std::int64_t c = state.c;
        QVERIFY2(std::int64_t{a} * a + b * b == c * c, qPrintable(QString::number(a)));
        QVERIFY(b > 0 && c > b);
        QCOMPARE(MethodOf(a), a % 2 == 0 ? TripleMethod::Plato : TripleMethod::Pythagorean);
        if (a < TripleLimit) {
            QVERIFY(!AdvanceTriple(state));
        }
    }
}

void TripleTest::stepsUpToTheLimitAndStopsThere()
{
    TripleState state{999, 499000, 499001};
    QVERIFY(!AdvanceTriple(state));
    QCOMPARE(state, (TripleState{1000, 249999, 250001}));

    // At the limit every further step reports it and leaves the same triple.
    for (int i = 0; i < 3; ++i) {
        QVERIFY(AdvanceTriple(state));
        QCOMPARE(state, (TripleState{1000, 249999, 250001}));
    }

    // A state put past the limit from elsewhere is not stepped either, only recomputed.
    TripleState beyond{5000, 0, 0};
    QVERIFY(AdvanceTriple(beyond));
    QCOMPARE(beyond, (TripleState{5000, 6249999, 6250001}));

    TripleState first;
    ResetTriple(first);
    QVERIFY(!AdvanceTriple(first));
    QCOMPARE(first, (TripleState{4, 3, 5}));
    QCOMPARE(MethodOf(first.a), TripleMethod::Plato);
}

void TripleTest::resetReturnsToFirstTripleAndNeverSetsTheFlag()
{
    TripleState state{1000, 249999, 250001};
    QVERIFY(AdvanceTriple(state));
    ResetTriple(state);
    QCOMPARE(state, (TripleState{3, 4, 5}));
    QCOMPARE(MethodOf(state.a), TripleMethod::Pythagorean);
    QVERIFY(!AdvanceTriple(state));
    QCOMPARE(state.a, 4);
}

void TripleTest::reportsConversionOverflowOutsideTheRange_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<bool>("overflows");

    // The largest a whose b and c still fit in 32 bits, and the first beyond, for each rule.
    QTest::newRow("odd 65535 fits") << 65535 << false;
    QTest::newRow("odd 65537 overflows") << 65537 << true;
    QTest::newRow("even 92680 fits") << 92680 << false;
    QTest::newRow("even 92682 overflows") << 92682 << true;
    QTest::newRow("int32 max") << std::numeric_limits<std::int32_t>::max() << true;
    QTest::newRow("int32 min") << std::numeric_limits<std::int32_t>::min() << true;
}

void TripleTest::reportsConversionOverflowOutsideTheRange()
{
    QFETCH(int, a);
    QFETCH(bool, overflows);

    if (!overflows) {
        const TripleSides sides = ComputeTriple(a);
        QVERIFY(sides.b > 0);
        QCOMPARE(sides.c - sides.b, a % 2 == 0 ? 2 : 1);
        return;
    }
    try {
        ComputeTriple(a);
        QFAIL("no error raised");
    } catch (const TripleError& error) {
        QCOMPARE(error.kind(), TripleError::Kind::Overflow);
    }

    // The same error travels out of a step that finds such a value past the limit.
    if (a > TripleLimit) {
        TripleState state{a, 0, 0};
        QVERIFY_THROWS_EXCEPTION(TripleError, AdvanceTriple(state));
        QCOMPARE(state.a, a);
    }
}

void TripleTest::namesMethodsAndErrors()
{
    QCOMPARE(QString::fromUtf8(MethodCaption(TripleMethod::Pythagorean)),
             QStringLiteral(u"\uFF1CPythagorean method\uFF1E"));
    QCOMPARE(QString::fromUtf8(MethodCaption(TripleMethod::Plato)),
             QStringLiteral(u"\uFF1CPlato's method\uFF1E"));
    QCOMPARE(TripleError(TripleError::Kind::Overflow).what(), "Overflow");
    QCOMPARE(TripleError(TripleError::Kind::FloatingPoint).what(), "Floating-point error");
}

QTEST_APPLESS_MAIN(TripleTest)
#include "triple_test.moc"
