#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QTimer>

#include <algorithm>

// The longest gap between ticks of a 5 ms timer, less the 5 ms: how long the
// GUI thread went without serving its events.
class StallMeter
{
public:
    StallMeter()
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            m_longest = std::max(m_longest, m_clock.restart() - 5);
        });
        m_clock.start();
        m_timer.start(5);
    }
    qint64 longest() const { return m_longest; }

    static double median(QList<double> values)
    {
        std::sort(values.begin(), values.end());
        return values.isEmpty() ? 0 : values.at(values.size() / 2);
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};
