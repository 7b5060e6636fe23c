#include "core/EventLoopWait.h"

#include <QEventLoop>
#include <QTimer>

void sleepInEventLoop(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}
