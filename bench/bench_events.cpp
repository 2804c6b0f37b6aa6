// SPDX-License-Identifier: GPL-3.0-or-later
// The event path on the real window, built by the program's own start-up code: one scroll step and
// one list pick, each timed once for the handler chain alone and once with the repaint it causes.
// Every iteration is one step; the repaint is the one the event loop would do next, done by
// delivering the pending update requests, which paints the dirty widgets into the backing store and
// flushes it. In the handler-chain benchmarks that repaint happens too, outside the timed part, so
// each step starts from a painted window as it does for a user.
#include "listbox.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "startup.h"
#include "varnelo.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QTest>

#include <chrono>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Counts the paint events one widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }

    std::int64_t count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

struct Controls {
    varnelo::ScrollBar *VScroll1;
    varnelo::ListBox *List1;
    varnelo::PictureBox *Picture1;
};

enum class Repaint { Untimed, Timed };

// The GUI thread's own CPU time, which leaves out its waits: for the pool threads Qt's raster engine
// hands large fills to, and for other processes.
double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void repaintNow()
{
    QCoreApplication::sendPostedEvents();
}

// Runs `step` once per iteration and checks that every step raised exactly one Change of VScroll1
// and repainted Picture1, so that a step that quietly did nothing cannot look fast.
void measure(benchmark::State &state, const Controls &controls, const std::function<void()> &step,
             Repaint repaint)
{
    repaintNow();
    std::int64_t changes = 0;
    const auto connection
        = QObject::connect(controls.VScroll1, &varnelo::ScrollBar::Change, [&] { ++changes; });
    PaintCounter paints(controls.Picture1);
    std::int64_t wrongChanges = 0;
    std::int64_t unpainted = 0;
    double cpuSeconds = 0;
    for (auto _ : state) {
        const std::int64_t changesBefore = changes;
        const std::int64_t paintsBefore = paints.count;
        const double cpuStart = threadCpuSeconds();
        const auto start = Clock::now();
        step();
        if (repaint == Repaint::Timed)
            repaintNow();
        const auto stop = Clock::now();
        cpuSeconds += threadCpuSeconds() - cpuStart;
        if (repaint == Repaint::Untimed)
            repaintNow();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
        wrongChanges += changes != changesBefore + 1;
        unpainted += paints.count == paintsBefore;
    }
    QObject::disconnect(connection);
    state.counters["cpu_us"] = cpuSeconds * 1e6 / static_cast<double>(state.iterations());
    if (wrongChanges != 0 || unpainted != 0)
        state.SkipWithError(("of " + std::to_string(state.iterations()) + " steps, "
                             + std::to_string(wrongChanges) + " did not raise exactly one Change and "
                             + std::to_string(unpainted) + " did not repaint Picture1")
                                .c_str());
}

// One arrow step, the action an arrow click or an arrow key triggers, up to the hot end and back.
std::function<void()> scrollStep(varnelo::ScrollBar *bar)
{
    return [bar, direction = -1]() mutable {
        if (bar->value() == bar->minimum())
            direction = 1;
        else if (bar->value() == bar->maximum())
            direction = -1;
        bar->triggerAction(direction < 0 ? QAbstractSlider::SliderSingleStepSub
                                         : QAbstractSlider::SliderSingleStepAdd);
    };
}

// One pick, selecting a row as a click or an arrow key does, through the list's selection model;
// the rows in turn, skipping the one already selected (picking it again raises nothing).
std::function<void()> listPick(varnelo::ListBox *list)
{
    return [list, row = 0]() mutable {
        row = (row + 1) % list->count();
        if (row == list->ListIndex())
            row = (row + 1) % list->count();
        list->setCurrentRow(row);
    };
}

template<typename T> T *child(QWidget *form, const char *name)
{
    auto *found = form->findChild<T *>(QString::fromLatin1(name));
    if (!found) {
        std::fprintf(stderr, "bench_events: no %s in the window\n", name);
        std::exit(1);
    }
    return found;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    varnelo::configureApplication();
    QApplication app(argc, argv);
    const auto form = varnelo::openMainWindow();
    if (!QTest::qWaitForWindowExposed(form.get()))
        return 1;
    const Controls controls{child<varnelo::ScrollBar>(form.get(), "VScroll1"),
                            child<varnelo::ListBox>(form.get(), "List1"),
                            child<varnelo::PictureBox>(form.get(), "Picture1")};
    benchmark::AddCustomContext("platform", QGuiApplication::platformName().toStdString());

    const auto add = [&](const char *name, std::function<void()> step, Repaint repaint) {
        benchmark::RegisterBenchmark(
            name,
            [&controls, step, repaint](benchmark::State &state) { measure(state, controls, step, repaint); })
            ->UseManualTime()
            ->Iterations(5000)
            ->Unit(benchmark::kMicrosecond);
    };
    add("scroll step, handler chain", scrollStep(controls.VScroll1), Repaint::Untimed);
    add("scroll step, with repaint", scrollStep(controls.VScroll1), Repaint::Timed);
    add("list pick, handler chain", listPick(controls.List1), Repaint::Untimed);
    add("list pick, with repaint", listPick(controls.List1), Repaint::Timed);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
