#pragma once

#include "tools/linesim/LineSimulatorThread.h"

#include <QCoreApplication>
#include <QtTest/QTest>

using SimThread = LineSimulatorThread;

// Waits for a condition while the event loop runs; generous, as the machine may be busy.
template <class Pred> bool eventually(Pred pred, int timeoutMs = 15000)
{
    return QTest::qWaitFor(pred, timeoutMs);
}
