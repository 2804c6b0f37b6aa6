// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <cstdint>

namespace varnelo::bench {

// Nanoseconds on the monotonic clock, the same clock bench_report reads when it starts a child.
std::int64_t now();

// The probe the two start-up benchmarks share. Installed on the application, it watches paint
// events; once a top-level window and every visible widget in it have been painted and that paint
// pass has returned (the backing store flushed), it writes one line to stdout and ends the process:
//   painted <main entered> <application constructed> <window shown> <frame complete>
// in monotonic nanoseconds.
class FirstFrame : public QObject
{
public:
    // Call right after the QApplication is constructed.
    explicit FirstFrame(std::int64_t mainEntered);

    // Call right after the window has been shown.
    void windowShown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void check();

    std::int64_t m_mainEntered;
    std::int64_t m_applicationReady;
    std::int64_t m_windowShown = 0;
    QPointer<QWidget> m_window;
    QSet<const QObject *> m_painted;
    bool m_checkQueued = false;
    bool m_done = false;
};

} // namespace varnelo::bench
