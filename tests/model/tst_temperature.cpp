// SPDX-License-Identifier: GPL-3.0-or-later
#include "fractions.h"
#include "raised.h"
#include "temperature.h"

#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTest>

#include <algorithm>
#include <array>
#include <clocale>
#include <cstdint>
#include <iterator>
#include <limits>
#include <locale>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>

using namespace Qt::StringLiterals;
using namespace varnelo;

Q_DECLARE_METATYPE(Call)

namespace {

constexpr std::int16_t Max = 500;

// The temperatures shown one degree below their multiple of five: the level is only the double
// nearest to its two decimals, and for these (1 - level) * 500 lands just under the whole degree.
constexpr std::array OneDegreeLow{34, 39, 44, 49, 54, 94, 99, 104, 109, 114,
                                  159, 164, 169, 219, 224, 229, 329, 334, 339, 464};

// Results must match to the last bit and QCOMPARE on doubles is fuzzy, so compare the shortest text
// that reads back as the same double.
QString exact(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// v / 500 to two decimals is v / 5 to the nearest whole; v / 5 never ends in .5, so no ties.
int hundredths(int v)
{
    return (v + 2) / 5;
}

double expectedLevel(int v)
{
    const int k = hundredths(v);
    return QString::asprintf("%d.%02d", k / 100, k % 100).toDouble();
}

int expectedTemperature(int v)
{
    const int whole = Max - 5 * hundredths(v);
    return std::ranges::count(OneDegreeLow, whole - 1) ? whole - 1 : whole;
}

// The bands as the list names them: a temperature equal to a bound is in the higher band.
int expectedFraction(int temperature)
{
    constexpr int bounds[] = {32, 105, 160, 230, 430};
    return int(std::ranges::upper_bound(bounds, temperature) - std::begin(bounds));
}

TempLimitTable filledTable()
{
    TempLimitTable table;
    table.fill();
    return table;
}

struct CommaDecimalPoint : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

// Puts the C and C++ global locales back however the test function ends.
class LocaleGuard
{
public:
    ~LocaleGuard()
    {
        std::locale::global(m_cpp);
        std::setlocale(LC_ALL, m_c.c_str());
    }

private:
    std::locale m_cpp;
    std::string m_c = std::setlocale(LC_ALL, nullptr);
};

} // namespace

class TestTemperature : public QObject
{
    Q_OBJECT

private slots:
    void everyScrollValueGivesThePredictedLevelTemperatureAndFraction_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<double>("level");
        QTest::addColumn<int>("temperature");
        QTest::addColumn<int>("fraction");
        for (int v = 0; v <= Max; ++v) {
            const int temperature = expectedTemperature(v);
            QTest::addRow("value %d", v) << v << expectedLevel(v) << temperature
                                         << expectedFraction(temperature);
        }
    }

    void everyScrollValueGivesThePredictedLevelTemperatureAndFraction()
    {
        QFETCH(int, value);
        QFETCH(double, level);
        QFETCH(int, temperature);
        QFETCH(int, fraction);
        const double actualLevel = LevelFromValue(std::int16_t(value), Max);
        QCOMPARE(exact(actualLevel), exact(level));
        const double actualTemperature = TemperatureOf(actualLevel, Max);
        QCOMPARE(exact(actualTemperature), exact(temperature));
        QCOMPARE(int(FractionOf(actualTemperature, m_table)), fraction);
    }

    void levelGivesItsReadOutTemperature_data()
    {
        QTest::addColumn<double>("level");
        QTest::addColumn<int>("temperature");
        const std::pair<double, int> oneLow[] = {
            {0.93, 34}, {0.92, 39}, {0.91, 44}, {0.90, 49}, {0.89, 54}, {0.81, 94}, {0.80, 99},
            {0.79, 104}, {0.78, 109}, {0.77, 114}, {0.68, 159}, {0.67, 164}, {0.66, 169},
            {0.56, 219}, {0.55, 224}, {0.54, 229}, {0.34, 329}, {0.33, 334}, {0.32, 339},
            {0.07, 464}};
        for (const auto &[level, temperature] : oneLow)
            QTest::addRow("%.2f, one low", level) << level << temperature;
        const std::pair<double, int> exactOnes[] = {
            {0.94, 30}, {0.21, 395}, {0.14, 430}, {0.01, 495}, {0.00, 500}, {1.00, 0}};
        for (const auto &[level, temperature] : exactOnes)
            QTest::addRow("%.2f", level) << level << temperature;
    }

    void levelGivesItsReadOutTemperature()
    {
        QFETCH(double, level);
        QFETCH(int, temperature);
        QCOMPARE(exact(TemperatureOf(level, Max)), exact(temperature));
    }

    void scrollValuesGiveExactly101DistinctTemperatures()
    {
        std::set<double> temperatures;
        for (int v = 0; v <= Max; ++v)
            temperatures.insert(TemperatureOf(LevelFromValue(std::int16_t(v), Max), Max));
        QCOMPARE(temperatures.size(), std::size_t(101));
    }

    void pickedFractionRoundTripsThroughTheScrollBar_data()
    {
        QTest::addColumn<int>("picked");
        QTest::addColumn<double>("targetLevel");
        QTest::addColumn<int>("value");
        QTest::addColumn<double>("level");
        QTest::addColumn<int>("temperature");
        QTest::addColumn<int>("shown");
        QTest::newRow("volatile") << 0 << 0.936 << 468 << 0.94 << 30 << 0;
        QTest::newRow("petrol") << 1 << 0.79 << 395 << 0.79 << 104 << 1;
        QTest::newRow("naphtha") << 2 << 0.68 << 340 << 0.68 << 159 << 2;
        QTest::newRow("kerosene") << 3 << 0.54 << 270 << 0.54 << 229 << 3;
        QTest::newRow("gas oil, lands on fuel oil") << 4 << 0.14 << 70 << 0.14 << 430 << 5;
        QTest::newRow("fuel oil") << 5 << 0.0 << 0 << 0.0 << 500 << 5;
        QTest::newRow("empty slot 6") << 6 << 1.0 << 500 << 1.0 << 0 << 0;
        QTest::newRow("empty slot 7") << 7 << 1.0 << 500 << 1.0 << 0 << 0;
    }

    void pickedFractionRoundTripsThroughTheScrollBar()
    {
        QFETCH(int, picked);
        QFETCH(double, targetLevel);
        QFETCH(int, value);
        QFETCH(double, level);
        QFETCH(int, temperature);
        QFETCH(int, shown);
        const FractionTarget target = ValueForFraction(picked, Max, m_table);
        QCOMPARE(exact(target.level), exact(targetLevel));
        QCOMPARE(int(target.value), value);
        const double actualLevel = LevelFromValue(target.value, Max);
        QCOMPARE(exact(actualLevel), exact(level));
        const double actualTemperature = TemperatureOf(actualLevel, Max);
        QCOMPARE(exact(actualTemperature), exact(temperature));
        QCOMPARE(int(FractionOf(actualTemperature, m_table)), shown);
    }

    void temperatureFallsInTheBandOfTheTableLimits_data()
    {
        QTest::addColumn<double>("temperature");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<int>("fraction");
        const std::pair<double, int> bounds[] = {{-1, 0}, {31, 0}, {32, 1}, {104, 1}, {105, 2},
                                                 {159, 2}, {160, 3}, {229, 3}, {230, 4},
                                                 {429, 4}, {430, 5}, {500, 5}};
        for (const auto &[temperature, fraction] : bounds)
            QTest::addRow("%g", temperature) << temperature << true << fraction;
        // Unfilled, every limit counts as 0: nothing below it but negative temperatures.
        QTest::newRow("unfilled, -1") << -1.0 << false << 0;
        QTest::newRow("unfilled, 0") << 0.0 << false << 5;
        QTest::newRow("unfilled, 31") << 31.0 << false << 5;
        QTest::newRow("unfilled, 500") << 500.0 << false << 5;
    }

    void temperatureFallsInTheBandOfTheTableLimits()
    {
        QFETCH(double, temperature);
        QFETCH(bool, filled);
        QFETCH(int, fraction);
        QCOMPARE(int(FractionOf(temperature, filled ? m_table : TempLimitTable())), fraction);
    }

    void levelsDoNotDependOnTheLocale_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("C++ global locale with a decimal comma") << QString();
        QTest::newRow("bg_BG.UTF-8") << u"bg_BG.UTF-8"_s;
        QTest::newRow("de_DE.UTF-8") << u"de_DE.UTF-8"_s;
    }

    void levelsDoNotDependOnTheLocale()
    {
        QFETCH(QString, name);
        const LocaleGuard guard;
        if (name.isEmpty()) {
            std::locale::global(std::locale(std::locale::classic(), new CommaDecimalPoint));
        } else {
            try {
                std::locale::global(std::locale(name.toStdString())); // sets the C locale too
            } catch (const std::runtime_error &) {
                QSKIP("locale not installed");
            }
            QCOMPARE(QString::fromLatin1(std::localeconv()->decimal_point), u","_s);
        }
        QCOMPARE(std::use_facet<std::numpunct<char>>(std::locale()).decimal_point(), ',');
        QStringList levels;
        QStringList expected;
        for (int v = 0; v <= Max; ++v) {
            levels << exact(LevelFromValue(std::int16_t(v), Max));
            expected << exact(expectedLevel(v));
        }
        QCOMPARE(levels, expected); // a difference is reported at its index, the scroll value
    }

    void badArithmeticRaisesARuntimeError_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<int>("number");
        const auto table = m_table;
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("1 of max 0") << Call([] { LevelFromValue(1, 0); }) << 11;
        QTest::newRow("-1 of max 0") << Call([] { LevelFromValue(-1, 0); }) << 11;
        QTest::newRow("0 of max 0") << Call([] { LevelFromValue(0, 0); }) << 6;
        QTest::newRow("level NaN") << Call([=] { TemperatureOf(nan, Max); }) << 6;
        QTest::newRow("level +inf") << Call([=] { TemperatureOf(inf, Max); }) << 6;
        QTest::newRow("level -inf") << Call([=] { TemperatureOf(-inf, Max); }) << 6;
        QTest::newRow("level -1e308, max 32767") << Call([] { TemperatureOf(-1e308, 32767); }) << 6;
        QTest::newRow("fraction 0, max 0") << Call([=] { ValueForFraction(0, 0, table); }) << 11;
        QTest::newRow("empty slot 6, max 0") << Call([=] { ValueForFraction(6, 0, table); }) << 6;
        QTest::newRow("empty slot 7, max 0") << Call([=] { ValueForFraction(7, 0, table); }) << 6;
        QTest::newRow("fraction 0, max -32768 gives -32800")
            << Call([=] { ValueForFraction(0, -32768, table); }) << 6;
        QTest::newRow("fraction -1") << Call([=] { ValueForFraction(-1, Max, table); }) << 9;
        QTest::newRow("fraction 8") << Call([=] { ValueForFraction(8, Max, table); }) << 9;
    }

    void badArithmeticRaisesARuntimeError()
    {
        QFETCH(Call, call);
        QFETCH(int, number);
        const auto error = raised(call);
        QVERIFY(error);
        QCOMPARE(error->number(), number);
    }

private:
    const TempLimitTable m_table = filledTable();
};

QTEST_APPLESS_MAIN(TestTemperature)
#include "tst_temperature.moc"
