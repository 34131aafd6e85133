// Scripted input and a virtual clock: what the software backend answers for polled input and
// time, deterministic so that tests can drive drags and timed idles. Standard library only, so
// that tests of other backends can script input the same way.
#pragma once

#include <cstdint>
#include <deque>

#include "platform/platform.h"

namespace platform::software {

// Each cursor poll first moves on to the next queued step, if any, and answers its position;
// button polls answer the current step. A drag loop that reads the position once per pass thus
// sees one step per pass; the last step holds.
class InputScript {
public:
    struct Step {
        PixelPoint screenPosition;
        InputState state;
    };

    void setInput(PixelPoint screenPosition, InputState state) {
        cursor = screenPosition;
        input = state;
    }
    void queueStep(PixelPoint screenPosition, InputState state) { script.push_back({screenPosition, state}); }
    std::size_t stepsLeft() const { return script.size(); }

    InputState inputState() const { return input; }
    PixelPoint cursorPosition() {
        if (!script.empty()) {
            setInput(script.front().screenPosition, script.front().state);
            script.pop_front();
        }
        return cursor;
    }

private:
    InputState input;
    PixelPoint cursor;
    std::deque<Step> script;
};

// Milliseconds that move only when slept or advanced by the script's owner.
class VirtualClock {
public:
    std::uint32_t tickCount() const { return clock; }
    void sleep(std::uint32_t milliseconds) {
        ++sleeps;
        clock += milliseconds;
    }
    void setTickCount(std::uint32_t ticks) { clock = ticks; }
    void advance(std::uint32_t milliseconds) { clock += milliseconds; }
    std::uint32_t sleepCalls() const { return sleeps; }

private:
    std::uint32_t clock = 1000;
    std::uint32_t sleeps = 0;
};

}  // namespace platform::software
