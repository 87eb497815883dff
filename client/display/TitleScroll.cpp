#include "client/display/TitleScroll.h"

#include <algorithm>

namespace vantor::client {

void TitleScroll::Reset() {
    m_offset = 0;
    m_direction = 1;
    m_pauseLeftMs = kPauseMs;
}

bool TitleScroll::Step(int32_t textWidth, int32_t boxWidth) {
    if (!Scrolls(textWidth, boxWidth)) {
        const bool moved = m_offset != 0;
        Reset();
        return moved;
    }
    if (m_pauseLeftMs > 0) {
        m_pauseLeftMs -= kStepMs;
        return false;
    }
    const int32_t end = textWidth - boxWidth;
    m_offset = std::clamp(m_offset + m_direction, 0, end);
    if (m_offset == 0 || m_offset == end) {
        m_direction = -m_direction;
        m_pauseLeftMs = kPauseMs;
    }
    return true;
}

}  // namespace vantor::client
