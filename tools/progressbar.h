#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

// A one-line progress bar with a count and a rate, redrawn at most ten times
// a second; nothing at all without a stream (not a terminal).
class CProgressBar {
public:
    CProgressBar(std::ostream* pOut, std::string strWhat, std::int64_t nTotal);
    ~CProgressBar();
    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;

    void Step();
    // Clears the line, so messages after it start at the margin.
    void Finish();

private:
    void Draw();

    std::ostream* m_pOut;
    std::string m_strWhat;
    std::int64_t m_nTotal;
    std::int64_t m_nDone = 0;
    std::chrono::steady_clock::time_point m_start, m_lastDraw;
};
