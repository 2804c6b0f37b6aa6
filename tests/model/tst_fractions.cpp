// SPDX-License-Identifier: GPL-3.0-or-later
#include "designfacts.h"
#include "fractions.h"

#include <QObject>
#include <QString>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace varnelo;

class TestFractions : public QObject
{
    Q_OBJECT

private slots:
    void listShowsTheSixFractionsInOrder()
    {
        // The code-point counts keep the doubled blanks honest should an editor collapse them in
        // both the model and this table.
        const struct {
            QString text;
            int codePoints;
            int limit;
        } expected[] = {
            {u"Летливи въглеводороди <32"_s, 25, 32}, {u"Бензин  32 -  105"_s, 17, 105},
            {u"Нафта  105 - 160"_s, 16, 160}, {u"Керосин 160 - 230"_s, 17, 230},
            {u"Газойл 230 -  430"_s, 17, 430}, {u"Мазут >  430"_s, 12, 500},
        };
        QCOMPARE(Fractions.size(), std::size(expected));
        for (std::size_t i = 0; i < Fractions.size(); ++i) {
            const QString text = QString::fromUtf8(Fractions[i].text);
            QCOMPARE(text, expected[i].text);
            QCOMPARE(text.toUcs4().size(), expected[i].codePoints);
            QCOMPARE(Fractions[i].limit, expected[i].limit);
        }
    }

    // Reading outside slots 0..7 is in the failure table of tst_temperature.
    void fillSetsSlotsZeroToFiveAndLeavesSixAndSevenEmpty()
    {
        TempLimitTable table;
        for (int slot = 0; slot < TempLimitTable::Slots; ++slot)
            QVERIFY2(!table.slot(slot), qPrintable(u"slot %1 before fill"_s.arg(slot)));

        table.fill();
        for (int slot = 0; slot < facts::Fractions; ++slot)
            QCOMPARE(table.slot(slot).value_or(-1), facts::Limits[std::size_t(slot)]);
        QVERIFY(!table.slot(6));
        QVERIFY(!table.slot(7));
        QCOMPARE(table.limit(7), 0); // an empty slot counts as 0 in arithmetic
    }
};

QTEST_APPLESS_MAIN(TestFractions)
#include "tst_fractions.moc"
