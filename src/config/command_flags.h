#pragma once
// The three flags that decide which commands are offered. They always change together:
// idle offers Start, Exit, Port Settings and Config Load; running offers Stop.
// Written and read on the window thread only.

#include <cstdint>

namespace brenmoor::config {

struct CommandFlags {
    std::uint8_t m_bEnableSetup = 1;
    std::uint8_t m_bEnableStop = 0;
    std::uint8_t m_bEnableStart = 1;

    void setIdle() { m_bEnableSetup = 1, m_bEnableStop = 0, m_bEnableStart = 1; }
    void setRunning() { m_bEnableSetup = 0, m_bEnableStop = 1, m_bEnableStart = 0; }
    bool isIdle() const { return m_bEnableSetup == 1 && m_bEnableStop == 0 && m_bEnableStart == 1; }
};

}  // namespace brenmoor::config
