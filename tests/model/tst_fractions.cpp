// SPDX-License-Identifier: GPL-3.0-or-later
#include "fractions.h"
#include "raised.h"

#include <QObject>
#include <QString>
#include <QTest>
#include <QVariant>

#include <climits>
#include <cstddef>

using namespace Qt::StringLiterals;
using namespace varnelo;

class TestFractions : public QObject
{
    Q_OBJECT

private slots:
    void listShowsTheSixFractionsInOrder_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("codePoints");
        QTest::addColumn<int>("limit");
        // The code-point count keeps the doubled blanks honest should an editor collapse them in
        // both the model and this table.
        QTest::newRow("volatile") << 0 << u"Летливи въглеводороди <32"_s << 25 << 32;
        QTest::newRow("petrol") << 1 << u"Бензин  32 -  105"_s << 17 << 105;
        QTest::newRow("naphtha") << 2 << u"Нафта  105 - 160"_s << 16 << 160;
        QTest::newRow("kerosene") << 3 << u"Керосин 160 - 230"_s << 17 << 230;
        QTest::newRow("gas oil") << 4 << u"Газойл 230 -  430"_s << 17 << 430;
        QTest::newRow("fuel oil") << 5 << u"Мазут >  430"_s << 12 << 500;
    }

    void listShowsTheSixFractionsInOrder()
    {
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(int, codePoints);
        QFETCH(int, limit);
        QCOMPARE(Fractions.size(), std::size_t(6));
        const Fraction &fraction = Fractions[std::size_t(index)];
        const QString shown = QString::fromUtf8(fraction.text);
        QCOMPARE(shown, text);
        QCOMPARE(int(shown.toUcs4().size()), codePoints);
        QCOMPARE(int(fraction.limit), limit);
    }

    void fillSetsTheSixLimitsAndLeavesSlotsSixAndSevenEmpty_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QVariant>("filled"); // invalid for a slot that stays empty
        const int limits[] = {32, 105, 160, 230, 430, 500};
        for (int slot = 0; slot < 6; ++slot)
            QTest::addRow("slot %d", slot) << slot << QVariant(limits[slot]);
        QTest::newRow("slot 6") << 6 << QVariant();
        QTest::newRow("slot 7") << 7 << QVariant();
    }

    void fillSetsTheSixLimitsAndLeavesSlotsSixAndSevenEmpty()
    {
        QFETCH(int, slot);
        QFETCH(QVariant, filled);
        TempLimitTable table;
        QVERIFY(!table.slot(slot).has_value());
        QCOMPARE(int(table.limit(slot)), 0);

        table.fill();
        const auto content = table.slot(slot);
        QCOMPARE(content.has_value(), filled.isValid());
        if (content)
            QCOMPARE(int(*content), filled.toInt());
        // An empty slot counts as 0 in arithmetic.
        QCOMPARE(int(table.limit(slot)), filled.isValid() ? filled.toInt() : 0);
    }

    void readingOutsideSlotsZeroToSevenIsASubscriptError_data()
    {
        QTest::addColumn<int>("slot");
        QTest::newRow("-1") << -1;
        QTest::newRow("8") << 8;
        QTest::newRow("INT_MIN") << INT_MIN;
        QTest::newRow("INT_MAX") << INT_MAX;
    }

    void readingOutsideSlotsZeroToSevenIsASubscriptError()
    {
        QFETCH(int, slot);
        TempLimitTable table;
        table.fill();
        const Call reads[] = {[&] { table.slot(slot); }, [&] { table.limit(slot); }};
        for (const Call &read : reads) {
            const auto error = raised(read);
            QVERIFY(error);
            QCOMPARE(error->number(), 9);
            QCOMPARE(QString::fromUtf8(error->description()), u"Subscript out of range"_s);
        }
    }
};

QTEST_APPLESS_MAIN(TestFractions)
#include "tst_fractions.moc"
