// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up to the first complete frame, for hyperfine: main() line for line (BENCH_PROGRAM), a bare
// Qt window of the program's size, or that window with one line of text in the program's font
// (BENCH_TEXT), which shows what drawing any text costs. Each ends its process once the window and
// every visible widget in it have been painted and that paint pass, flush included, has returned.
#include <QApplication>
#include <QLabel>
#include <QSet>

#include <cstdlib>

#ifdef BENCH_PROGRAM
#include "startup.h"
#include "varnelo.h"
#endif

namespace {

class FirstFrame : public QObject
{
public:
    FirstFrame() { QCoreApplication::instance()->installEventFilter(this); }

private:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            if (!m_window && static_cast<QWidget *>(watched)->isWindow())
                m_window = static_cast<QWidget *>(watched);
            m_painted.insert(watched);
            if (m_window) // checked after the whole paint pass
                QMetaObject::invokeMethod(this, &FirstFrame::check, Qt::QueuedConnection);
        }
        return false;
    }

    void check() const
    {
        if (!m_painted.contains(m_window))
            return;
        for (const QWidget *child : m_window->findChildren<QWidget *>()) {
            if (child->isVisible() && !child->visibleRegion().isEmpty() && !m_painted.contains(child))
                return;
        }
        // Without Qt's teardown: run time and peak memory are start-up alone, and a window that never
        // drew text would load the whole font configuration on the way out.
        std::_Exit(0);
    }

    QWidget *m_window = nullptr;
    QSet<const QObject *> m_painted;
};

} // namespace

int main(int argc, char *argv[])
{
#ifdef BENCH_PROGRAM
    varnelo::configureApplication();
    QApplication app(argc, argv);
    FirstFrame probe;
    const auto form = varnelo::openMainWindow();
#else
    QApplication app(argc, argv);
    FirstFrame probe;
    QWidget window;
    window.resize(476, 345);
#ifdef BENCH_TEXT
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    font.setPixelSize(16);
    window.setFont(font);
    QLabel label(QStringLiteral("Достигната температура: 105 градуса."), &window);
    label.setGeometry(10, 10, 300, 25);
#endif
    window.show();
#endif
    return QApplication::exec();
}
