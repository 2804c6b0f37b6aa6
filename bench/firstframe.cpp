// SPDX-License-Identifier: GPL-3.0-or-later
#include "firstframe.h"

#include <QCoreApplication>
#include <QEvent>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace varnelo::bench {

std::int64_t now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

FirstFrame::FirstFrame(std::int64_t mainEntered)
    : m_mainEntered(mainEntered)
    , m_applicationReady(now())
{
    QCoreApplication::instance()->installEventFilter(this);
}

void FirstFrame::windowShown()
{
    m_windowShown = now();
}

bool FirstFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && !m_done && watched->isWidgetType()) {
        const auto *widget = static_cast<const QWidget *>(watched);
        if (!m_window && widget->isWindow())
            m_window = const_cast<QWidget *>(widget);
        m_painted.insert(watched);
        // The check runs after the whole paint pass, which includes the flush to the window.
        if (m_window && !m_checkQueued) {
            m_checkQueued = true;
            QMetaObject::invokeMethod(this, &FirstFrame::check, Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

void FirstFrame::check()
{
    m_checkQueued = false;
    if (m_done || !m_window || !m_painted.contains(m_window))
        return;
    const auto children = m_window->findChildren<QWidget *>();
    for (const QWidget *child : children) {
        if (child->isVisible() && !child->visibleRegion().isEmpty() && !m_painted.contains(child))
            return; // not a complete frame yet
    }
    m_done = true;
    std::printf("painted %lld %lld %lld %lld\n", static_cast<long long>(m_mainEntered),
                static_cast<long long>(m_applicationReady), static_cast<long long>(m_windowShown),
                static_cast<long long>(now()));
    std::fflush(stdout);
    // Ends here, without Qt's teardown: the memory figure is the peak up to the first frame, and a
    // window that never drew text would otherwise load the whole font configuration on the way out.
    std::_Exit(0);
}

} // namespace varnelo::bench
