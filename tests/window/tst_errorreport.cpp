// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime.h"
#include "runtimeerror.h"

#include <QCoreApplication>
#include <QObject>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;
using varnelo::RuntimeError;

class TestErrorReport : public QObject
{
    Q_OBJECT

private slots:
    void textNamesNumberAndDescription_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        // 6 and 11 are read off the message of the started program below.
        QTest::newRow("380") << 380 << u"Run-time error '380':\n\nInvalid property value"_s;
        QTest::newRow("without a description")
            << 1000 << u"Run-time error '1000':\n\nApplication-defined or object-defined error"_s;
    }

    void textNamesNumberAndDescription()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        QCOMPARE(varnelo::runtimeErrorText(RuntimeError(number)), text);
    }

    // A failing handler in the started program: one modal message, answered with OK, then the
    // process ends by itself with a failure status.
    void failingHandlerShowsOneMessageThenEndsTheProgram_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("text");
        QTest::newRow("0/0") << u"overflow"_s << u"Run-time error '6':\n\nOverflow"_s;
        QTest::newRow("-4/0") << u"division-by-zero"_s << u"Run-time error '11':\n\nDivision by zero"_s;
    }

    void failingHandlerShowsOneMessageThenEndsTheProgram()
    {
        QFETCH(QString, how);
        QFETCH(QString, text);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        program.setProcessEnvironment(environment);
        // Read as text: a Windows program's standard output ends its lines in CR LF.
        const QString helper = QCoreApplication::applicationDirPath() + u'/' + QStringLiteral(ERROR_HELPER);
        program.start(helper, {how}, QIODevice::ReadOnly | QIODevice::Text);
        QVERIFY2(program.waitForFinished(120'000), "the program did not end");
        const QByteArray errors = program.readAllStandardError();
        QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()),
                 u"message\nVarnelo\n"_s + text + u"\nend\n"_s);
        QVERIFY2(program.exitStatus() == QProcess::NormalExit, errors.constData());
        QVERIFY2(program.exitCode() != 0, errors.constData());
        // Under the sanitizers a report may still end in a normal exit.
        QVERIFY2(!errors.contains("Sanitizer") && !errors.contains("runtime error:"), errors.constData());
    }
};

QTEST_GUILESS_MAIN(TestErrorReport)
#include "tst_errorreport.moc"
