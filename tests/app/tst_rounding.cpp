// The program's two rounding rules to whole pixels, whatever rounding mode the floating-point
// unit is left in (a library may change it): the quiz layout, the grade scale and the tiles'
// colours round halves to even, the card rounds them away from zero.

#include "common/rounding.h"

#include <QTest>

#include <cfenv>

class TestRounding : public QObject
{
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
};

void TestRounding::rules_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("toEven");
    QTest::addColumn<int>("awayFromZero");
    QTest::addColumn<int>("mode");

    const struct
    {
        double value;
        int toEven;
        int awayFromZero;
    } cases[] = {{0.5, 0, 1}, {1.5, 2, 2}, {2.5, 2, 3}, {-0.5, 0, -1}, {-1.5, -2, -2}, {2.4999, 2, 2}, {2.5001, 3, 3},
        {-2.6, -3, -3}, {7.0, 7, 7}};
    const std::pair<const char*, int> modes[] = {
        {"to nearest", FE_TONEAREST}, {"upward", FE_UPWARD}, {"downward", FE_DOWNWARD}, {"toward zero", FE_TOWARDZERO}};
    for (const auto& [name, mode] : modes) {
        for (const auto& c : cases)
            QTest::addRow("%g, %s", c.value, name) << c.value << c.toEven << c.awayFromZero << mode;
    }
}

void TestRounding::rules()
{
    QFETCH(double, value);
    QFETCH(int, toEven);
    QFETCH(int, awayFromZero);
    QFETCH(int, mode);

    const int saved = std::fegetround();
    std::fesetround(mode);
    const int even = roundHalfToEven(value);
    const int away = roundHalfAwayFromZero(value);
    std::fesetround(saved);
    QCOMPARE(even, toEven);
    QCOMPARE(away, awayFromZero);
}

QTEST_APPLESS_MAIN(TestRounding)
#include "tst_rounding.moc"
