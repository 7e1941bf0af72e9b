#pragma once

// Polls a condition until it holds or a deadline passes; the end-to-end tests
// wait on windows, files and pixels this way instead of sleeping.

#include <QElapsedTimer>
#include <QThread>

template <typename Condition>
bool waitFor(Condition&& condition, int deadlineMs, int pollMs = 50)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (condition())
            return true;
        if (clock.elapsed() >= deadlineMs)
            return false;
        QThread::msleep(static_cast<unsigned long>(pollMs));
    }
}
