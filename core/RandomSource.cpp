#include "core/RandomSource.h"

#include <QTime>

void SystemRandom::seedFromTime() {
    m_generator.seed(static_cast<quint32>(QTime::currentTime().msecsSinceStartOfDay()));
}

double SystemRandom::next() {
    return m_generator.generateDouble();
}
