// SPDX-License-Identifier: GPL-3.0-or-later
// The toolkit's own texts in Bulgarian: the context menus a pupil opens with the right mouse button,
// and a start without the translation file, which must not stop the program.

#include "windowtest.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace varnelo::test;

namespace {

// A toolkit text without its mnemonic and shortcut: Cyrillic words, no Latin letter left.
bool readsBulgarian(const QString &text)
{
    static const QRegularExpression bulgarian(u"^[\\p{Cyrillic} ]+$"_s);
    return bulgarian.match(text.section(u'\t', 0, 0).remove(u'&')).hasMatch();
}

// The entries of the context menu that a right-click at `at` on `control` opens, read while it is
// open and then closed without choosing.
QStringList contextMenuOf(QWidget *control, QPoint at)
{
    QStringList entries;
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        opened = true;
        for (const QAction *action : menu->actions()) {
            if (!action->isSeparator())
                entries << action->text();
        }
        menu->close();
    });
    // Through the window, where Qt turns the right button into a context-menu request.
    QWidget *window = control->window();
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, control->mapTo(window, at));
    return opened ? entries : QStringList{u"(no menu opened)"_s};
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private:
    Window m;

private slots:
    void initTestCase() { varnelo::configureApplication(); }
    void init() { m.open(); }
    void cleanup() { m.close(); }

    void contextMenusAreBulgarian_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("entries");
        QTest::newRow("VScroll1") << u"VScroll1"_s << 7; // scroll here, top, bottom, two pages, two steps
        QTest::newRow("Text1(0)") << u"Text1(0)"_s << 2; // copy and select all: the text is read-only
    }

    void contextMenusAreBulgarian()
    {
        QFETCH(QString, control);
        QFETCH(int, entries);
        auto *widget = m.form->findChild<QWidget *>(control);
        QVERIFY(widget);
        const QStringList texts = contextMenuOf(widget, widget->rect().center());
        QCOMPARE(texts.size(), entries);
        for (const QString &text : texts)
            QVERIFY2(readsBulgarian(text), qPrintable(text));
        QCOMPARE(m.seen(), (Seen{500, DesignCaption, -1, {}, -1})); // opening and closing changed nothing
    }

    // A copy of the program's start-up beside a qt.conf that points the translations at Qt's own
    // folder or at one without the file.
    void startsWithTheTranslationFileOrWithout_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::newRow("installed: Bulgarian") << true;
        QTest::newRow("missing: English, and one line on stderr") << false;
    }

    void startsWithTheTranslationFileOrWithout()
    {
        QFETCH(bool, installed);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString program = root.filePath(u"starthelper"_s);
        const QString helper = QCoreApplication::applicationDirPath() + u'/' + QStringLiteral(START_HELPER);
        QVERIFY(QFile::copy(helper, program));
        QFile conf(root.filePath(u"qt.conf"_s));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        const QString translations = installed ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : root.filePath(u"none"_s);
        conf.write(u"[Paths]\nPlugins=%1\nTranslations=%2\n"_s
                       .arg(QLibraryInfo::path(QLibraryInfo::PluginsPath), translations).toUtf8());
        conf.close();

        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        run.setProcessEnvironment(environment);
        run.start(program, {}, QIODevice::ReadOnly | QIODevice::Text); // Windows ends its lines in CR LF
        QVERIFY2(run.waitForFinished(120'000), "the program did not end");
        const QString errors = QString::fromLocal8Bit(run.readAllStandardError());
        QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0, qPrintable(errors));
        const QStringList said = QString::fromUtf8(run.readAllStandardOutput()).split(u'\n');
        QCOMPARE(said.value(0), u"shown"_s);
        if (installed)
            QVERIFY2(readsBulgarian(said.value(1)), qPrintable(said.value(1)));
        else
            QCOMPARE(said.value(1), u"Scroll here"_s);
        const QStringList about = errors.split(u'\n').filter(u"qtbase_bg.qm"_s);
        QCOMPARE(about.size(), installed ? 0 : 1);
        if (!installed)
            QVERIFY2(about.constFirst().contains(translations), qPrintable(errors));
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
