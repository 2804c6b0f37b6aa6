// SPDX-License-Identifier: GPL-3.0-or-later
#include "decimal.h"

#include <QObject>
#include <QTest>

#include <bit>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

using namespace varnelo;

class TestDecimal : public QObject
{
    Q_OBJECT

private slots:
    // Bit for bit the double the standard library reads, over every two-decimal text a 16-bit
    // quotient can be written as, on both signs.
    void readsTheSameDoubleAsFromChars_data()
    {
        QTest::addColumn<bool>("negative");
        QTest::newRow("positive") << false;
        QTest::newRow("negative") << true;
    }

    void readsTheSameDoubleAsFromChars()
    {
        QFETCH(bool, negative);
        for (std::int64_t hundredths = 0; hundredths <= 3276800; ++hundredths) {
            char text[32];
            const int length = std::snprintf(text, sizeof text, "%s%lld.%02lld", negative ? "-" : "",
                                             static_cast<long long>(hundredths / 100),
                                             static_cast<long long>(hundredths % 100));
            double expected = 0;
            std::from_chars(text, text + length, expected);
            const std::optional<double> read = readTwoDecimals(std::string_view(text, length));
            QVERIFY2(read.has_value(), text);
            if (std::bit_cast<std::uint64_t>(*read) != std::bit_cast<std::uint64_t>(expected))
                QFAIL(text);
        }
    }

    void rejectsOtherText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("sign only") << QByteArray("-");
        QTest::newRow("one decimal") << QByteArray("1.5");
        QTest::newRow("three decimals") << QByteArray("1.500");
        QTest::newRow("no integer part") << QByteArray(".50");
        QTest::newRow("decimal comma") << QByteArray("1,50");
        QTest::newRow("exponent") << QByteArray("1e.00");
        QTest::newRow("two signs") << QByteArray("--1.00");
        QTest::newRow("beyond exact hundredths") << QByteArray("90071992547409.92");
    }

    void rejectsOtherText()
    {
        QFETCH(QByteArray, text);
        QVERIFY(!readTwoDecimals(std::string_view(text.constData(), std::size_t(text.size()))));
    }
};

QTEST_APPLESS_MAIN(TestDecimal)
#include "tst_decimal.moc"
