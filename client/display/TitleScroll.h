#pragma once

// A title wider than its background scrolls: one pixel per step (every 20 ms) towards one
// end, a one-second pause there, then back. A title that fits stands still at its start.

#include <cstdint>

namespace vantor::client {

class TitleScroll {
public:
    static constexpr int32_t kStepMs = 20;
    static constexpr int32_t kPauseMs = 1000;

    // A new title: back to the start, pausing there first.
    void Reset();
    // One step for a text `textWidth` pixels wide in a box `boxWidth` wide. True when the
    // offset changed (the title needs drawing again).
    bool Step(int32_t textWidth, int32_t boxWidth);
    // Pixels the text is moved left by.
    int32_t Offset() const { return m_offset; }
    static bool Scrolls(int32_t textWidth, int32_t boxWidth) { return textWidth > boxWidth; }

private:
    int32_t m_offset = 0;
    int32_t m_direction = 1;
    int32_t m_pauseLeftMs = kPauseMs;
};

}  // namespace vantor::client
