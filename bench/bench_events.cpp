// SPDX-License-Identifier: GPL-3.0-or-later
// The event path on the window the program's start-up builds: one scroll step (the action an arrow
// click or key triggers, up to the hot end and back) and one list pick (through the selection model,
// as a click or an arrow key makes it, the rows in turn), each timed for the handler chain alone and
// with the repaint it causes: the one the event loop would do next, done by delivering the pending
// update requests, which paints the dirty widgets into the backing store and flushes it. Without the
// repaint in the time it still follows every step, so each step starts from a painted window.
#include "listbox.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "startup.h"
#include "varnelo.h"

#include <QElapsedTimer>
#include <QTest>

#include <utility>

using namespace varnelo;

// Counts the paint events one widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    qint64 count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

class BenchEvents : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        configureApplication();
        m_form = openMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_bar = m_form->findChild<ScrollBar *>(QStringLiteral("VScroll1"));
        m_list = m_form->findChild<ListBox *>(QStringLiteral("List1"));
        m_picture = m_form->findChild<PictureBox *>(QStringLiteral("Picture1"));
        QVERIFY(m_bar && m_list && m_picture);
    }

    void step_data()
    {
        QTest::addColumn<bool>("scroll");
        QTest::addColumn<bool>("withRepaint");
        QTest::newRow("scroll step, handler chain") << true << false;
        QTest::newRow("scroll step, with repaint") << true << true;
        QTest::newRow("list pick, handler chain") << false << false;
        QTest::newRow("list pick, with repaint") << false << true;
    }

    // Every step must raise exactly one Change of VScroll1 and repaint Picture1, so that a step that
    // quietly did nothing cannot look fast.
    void step()
    {
        QFETCH(bool, scroll);
        QFETCH(bool, withRepaint);
        qint64 changes = 0;
        const auto connection = connect(m_bar, &ScrollBar::Change, this, [&] { ++changes; });
        const PaintCounter paints(m_picture);
        int direction = -1;
        int row = 0;
        const auto act = [&] {
            if (scroll) {
                if (m_bar->value() == m_bar->minimum())
                    direction = 1;
                else if (m_bar->value() == m_bar->maximum())
                    direction = -1;
                m_bar->triggerAction(direction < 0 ? QAbstractSlider::SliderSingleStepSub
                                                   : QAbstractSlider::SliderSingleStepAdd);
            } else {
                row = (row + 1) % m_list->count();
                if (row == m_list->ListIndex()) // picking it again would raise nothing
                    row = (row + 1) % m_list->count();
                m_list->setCurrentRow(row);
            }
        };
        qint64 faults = 0;
        const auto counts = [&] { return std::pair(changes, paints.count); };
        const auto tally = [&](std::pair<qint64, qint64> before) {
            faults += changes != before.first + 1 || paints.count == before.second;
        };
        QCoreApplication::sendPostedEvents();
        if (withRepaint) {
            QBENCHMARK {
                const auto before = counts();
                act();
                QCoreApplication::sendPostedEvents();
                tally(before);
            }
        } else {
            // QBENCHMARK would time the repaint too, so the steps are timed one by one.
            QElapsedTimer timer;
            qint64 nanoseconds = 0;
            for (int i = 0; i < HandlerSteps; ++i) {
                const auto before = counts();
                timer.start();
                act();
                nanoseconds += timer.nsecsElapsed();
                QCoreApplication::sendPostedEvents();
                tally(before);
            }
            QTest::setBenchmarkResult(double(nanoseconds) / HandlerSteps, QTest::WalltimeNanoseconds);
        }
        disconnect(connection);
        QCOMPARE(faults, 0);
    }

private:
    static constexpr int HandlerSteps = 5000;
    std::unique_ptr<Varnelo> m_form;
    ScrollBar *m_bar = nullptr;
    ListBox *m_list = nullptr;
    PictureBox *m_picture = nullptr;
};

QTEST_MAIN(BenchEvents)
#include "bench_events.moc"
