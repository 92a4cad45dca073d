#include "RunningParts.h"

RunningParts* RunningParts::instance()
{
    static RunningParts parts;
    return &parts;
}

void RunningParts::acquire()
{
    ++m_count;
}

void RunningParts::release()
{
    if (m_count > 0)
        --m_count;
    emit slotReleased();
}
