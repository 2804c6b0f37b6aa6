// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtimeerror.h"

#include <QObject>
#include <QString>
#include <QTest>

using namespace Qt::StringLiterals;
using varnelo::RuntimeError;

class TestRuntimeError : public QObject
{
    Q_OBJECT

private slots:
    void eachNumberCarriesItsStandardDescription_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        QTest::newRow("5") << 5 << u"Invalid procedure call or argument"_s;
        QTest::newRow("6") << 6 << u"Overflow"_s;
        QTest::newRow("7") << 7 << u"Out of memory"_s;
        QTest::newRow("9") << 9 << u"Subscript out of range"_s;
        QTest::newRow("11") << 11 << u"Division by zero"_s;
        QTest::newRow("13") << 13 << u"Type mismatch"_s;
        QTest::newRow("28") << 28 << u"Out of stack space"_s;
        QTest::newRow("380") << 380 << u"Invalid property value"_s;
        const QString unknown = u"Application-defined or object-defined error"_s;
        QTest::newRow("0") << 0 << unknown;
        QTest::newRow("10, between two known") << 10 << unknown;
        QTest::newRow("1000") << 1000 << unknown;
        QTest::newRow("-6") << -6 << unknown;
    }

    void eachNumberCarriesItsStandardDescription()
    {
        QFETCH(int, number);
        QFETCH(QString, description);
        QCOMPARE(QString::fromUtf8(RuntimeError::describe(number)), description);
        const RuntimeError error(number);
        QCOMPARE(error.number(), number);
        QCOMPARE(QString::fromUtf8(error.description()), description);
        QCOMPARE(QString::fromUtf8(error.what()), description);
    }
};

QTEST_APPLESS_MAIN(TestRuntimeError)
#include "tst_runtimeerror.moc"
