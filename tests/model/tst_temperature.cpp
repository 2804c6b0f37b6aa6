// SPDX-License-Identifier: GPL-3.0-or-later
#include "designfacts.h"
#include "fractions.h"
#include "runtimeerror.h"
#include "temperature.h"

#include <QLocale>
#include <QObject>
#include <QString>
#include <QTest>

#include <algorithm>
#include <array>
#include <climits>
#include <clocale>
#include <cstdint>
#include <functional>
#include <limits>
#include <locale>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>

using namespace Qt::StringLiterals;
using namespace varnelo;

using Call = std::function<void()>;
Q_DECLARE_METATYPE(Call)

namespace {

constexpr std::int16_t Max = facts::Max;

// Results must match to the last bit and QCOMPARE on doubles is fuzzy, so compare the shortest text
// that reads back as the same double.
QString exact(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// What one scroll value shows, as a line that names the value when a comparison fails.
QString shown(int value, double level, double temperature, int fraction)
{
    return u"value %1: level %2, %3 degrees, fraction %4"_s.arg(value)
        .arg(exact(level), exact(temperature))
        .arg(fraction);
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

TempLimitTable filledTable()
{
    TempLimitTable table;
    table.fill();
    return table;
}

} // namespace

class TestTemperature : public QObject
{
    Q_OBJECT

private slots:
    void everyScrollValueGivesThePredictedLevelTemperatureAndFraction_data()
    {
        // Level is rounded by writing it out as text, which a decimal comma must not reach.
        QTest::addColumn<QString>("locale"); // empty for a C++ global locale with a decimal comma
        QTest::newRow("C") << u"C"_s;
        QTest::newRow("C++ global locale with a decimal comma") << QString();
#ifndef __EMSCRIPTEN__ // emscripten's C library knows no named locales: every name gives C
        QTest::newRow("bg_BG.UTF-8") << u"bg_BG.UTF-8"_s;
#endif
    }

    void everyScrollValueGivesThePredictedLevelTemperatureAndFraction()
    {
        QFETCH(QString, locale);
        const LocaleGuard guard;
        try {
            // A named locale becomes the C locale too.
            std::locale::global(locale.isEmpty()
                                    ? std::locale(std::locale::classic(), new CommaDecimalPoint)
                                    : std::locale(locale.toStdString()));
        } catch (const std::runtime_error &) {
            // Where the build compiled the locale for this test, it must load.
            if (qEnvironmentVariableIsSet("LOCPATH"))
                QFAIL(qPrintable(u"locale %1 not found in LOCPATH %2"_s.arg(locale, qEnvironmentVariable("LOCPATH"))));
            QSKIP("locale not installed");
        }
        // Otherwise the case would test the C locale again.
        QCOMPARE(std::use_facet<std::numpunct<char>>(std::locale()).decimal_point(), locale == u"C"_s ? '.' : ',');

        std::set<double> temperatures;
        for (int v = 0; v <= Max; ++v) {
            // The level is the two-decimal literal, read as C reads it.
            const int hundredths = facts::hundredthsAt(v);
            const double level = QString::asprintf("%d.%02d", hundredths / 100, hundredths % 100)
                                     .toDouble();
            const int temperature = facts::temperatureAt(v);
            const int fraction = facts::fractionAt(temperature);

            const double actualLevel = LevelFromValue(std::int16_t(v), Max);
            const double actualTemperature = TemperatureOf(actualLevel, Max);
            const int actualFraction = FractionOf(actualTemperature, m_table);
            QCOMPARE(shown(v, actualLevel, actualTemperature, actualFraction),
                     shown(v, level, temperature, fraction));
            temperatures.insert(actualTemperature);
        }
        QCOMPARE(temperatures.size(), std::size_t(101));
    }

    void pickedFractionRoundTripsThroughTheScrollBar_data()
    {
        QTest::addColumn<int>("picked");
        QTest::addColumn<double>("targetLevel");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("temperature");
        QTest::addColumn<int>("shown");
        QTest::newRow("volatile") << 0 << 0.936 << 468 << 30 << 0;
        QTest::newRow("petrol") << 1 << 0.79 << 395 << 104 << 1;
        QTest::newRow("naphtha") << 2 << 0.68 << 340 << 159 << 2;
        QTest::newRow("kerosene") << 3 << 0.54 << 270 << 229 << 3;
        QTest::newRow("gas oil, lands on fuel oil") << 4 << 0.14 << 70 << 430 << 5;
        QTest::newRow("fuel oil") << 5 << 0.0 << 0 << 500 << 5;
        QTest::newRow("empty slot 6 counts as 0") << 6 << 1.0 << 500 << 0 << 0;
    }

    void pickedFractionRoundTripsThroughTheScrollBar()
    {
        QFETCH(int, picked);
        QFETCH(double, targetLevel);
        QFETCH(int, value);
        QFETCH(int, temperature);
        QFETCH(int, shown);
        const FractionTarget target = ValueForFraction(picked, Max, m_table);
        QCOMPARE(exact(target.level), exact(targetLevel));
        QCOMPARE(target.value, value);
        const double actualTemperature = TemperatureOf(LevelFromValue(target.value, Max), Max);
        QCOMPARE(exact(actualTemperature), exact(temperature));
        QCOMPARE(FractionOf(actualTemperature, m_table), shown);
    }

    void pickedValueIsRoundedNotCutOff()
    {
        // On 0..500 every pick's product is whole; on 0..45, 45 * (13 / 45) is 12.999999999999998.
        QCOMPARE(ValueForFraction(0, 45, m_table).value, 13);
    }

    void temperatureEqualToALimitIsInTheHigherFraction()
    {
        const std::pair<double, int> cases[] = {{31, 0},  {32, 1},  {104, 1}, {105, 2}, {159, 2},
                                                {160, 3}, {229, 3}, {230, 4}, {429, 4}, {430, 5},
                                                {500, 5}};
        for (const auto &[temperature, fraction] : cases)
            QCOMPARE(std::pair(temperature, int(FractionOf(temperature, m_table))),
                     std::pair(temperature, fraction));
    }

    void badInputRaisesItsRuntimeError_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<QString>("error"); // number and description, as the report shows them
        const auto table = m_table;
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const QString divisionByZero = u"11 Division by zero"_s;
        const QString overflow = u"6 Overflow"_s;
        const QString subscript = u"9 Subscript out of range"_s;
        QTest::newRow("1 of max 0") << Call([] { LevelFromValue(1, 0); }) << divisionByZero;
        QTest::newRow("-1 of max 0") << Call([] { LevelFromValue(-1, 0); }) << divisionByZero;
        QTest::newRow("0 of max 0") << Call([] { LevelFromValue(0, 0); }) << overflow;
        QTest::newRow("level NaN") << Call([=] { TemperatureOf(nan, Max); }) << overflow;
        QTest::newRow("level +inf") << Call([=] { TemperatureOf(inf, Max); }) << overflow;
        QTest::newRow("level -inf") << Call([=] { TemperatureOf(-inf, Max); }) << overflow;
        QTest::newRow("level -1e308, max 32767")
            << Call([] { TemperatureOf(-1e308, 32767); }) << overflow;
        QTest::newRow("temperature NaN") << Call([=] { FractionOf(nan, table); }) << overflow;
        QTest::newRow("pick 0, max 0")
            << Call([=] { ValueForFraction(0, 0, table); }) << divisionByZero;
        QTest::newRow("pick empty slot 6, max 0")
            << Call([=] { ValueForFraction(6, 0, table); }) << overflow;
        QTest::newRow("pick 0, max -32768 gives -32800")
            << Call([=] { ValueForFraction(0, -32768, table); }) << overflow;
        QTest::newRow("pick -1") << Call([=] { ValueForFraction(-1, Max, table); }) << subscript;
        QTest::newRow("pick 8") << Call([=] { ValueForFraction(8, Max, table); }) << subscript;
        QTest::newRow("TempLimit slot 8") << Call([=] { table.slot(8); }) << subscript;
        QTest::newRow("TempLimit INT_MIN") << Call([=] { table.limit(INT_MIN); }) << subscript;
    }

    void badInputRaisesItsRuntimeError()
    {
        QFETCH(Call, call);
        QFETCH(QString, error);
        try {
            call();
        } catch (const RuntimeError &raised) {
            const QString description = QString::fromUtf8(RuntimeError::describe(raised.number()));
            QCOMPARE(u"%1 %2"_s.arg(raised.number()).arg(description), error);
            QCOMPARE(QString::fromUtf8(raised.what()), description);
            return;
        }
        QFAIL("returned without a run-time error");
    }

private:
    const TempLimitTable m_table = filledTable();
};

QTEST_APPLESS_MAIN(TestTemperature)
#include "tst_temperature.moc"
