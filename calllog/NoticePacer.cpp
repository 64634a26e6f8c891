#include "calllog/NoticePacer.h"

NoticePacer::Step NoticePacer::arrive(qint64 nowMs)
{
    if (m_held == 0 && (!m_shownBefore || nowMs - m_lastShownMs >= kGapMs)) {
        m_shownBefore = true;
        m_lastShownMs = nowMs;
        m_flood = 1;
        return {true, false, 1};
    }
    ++m_held;
    return {};
}

NoticePacer::Step NoticePacer::release(qint64 nowMs)
{
    if (m_held == 0)
        return {};
    m_flood += m_held;
    m_held = 0;
    m_lastShownMs = nowMs;
    return {true, true, m_flood};
}
