#include "tools/progressbar.h"

#include <cstdio>

namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

} // namespace

CProgressBar::CProgressBar(std::ostream* pOut, std::string strWhat, std::int64_t nTotal)
    : m_pOut(pOut), m_strWhat(std::move(strWhat)), m_nTotal(nTotal),
      m_start(std::chrono::steady_clock::now()), m_lastDraw(m_start) {}

CProgressBar::~CProgressBar() {
    Finish();
}

void CProgressBar::Step() {
    ++m_nDone;
    if (!m_pOut)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastDraw >= kRedrawEvery || m_nDone == m_nTotal) {
        m_lastDraw = now;
        Draw();
    }
}

void CProgressBar::Draw() {
    const int nFilled =
        m_nTotal > 0 ? static_cast<int>(kBarWidth * std::min(m_nDone, m_nTotal) / m_nTotal) : 0;
    const double dSeconds = std::chrono::duration<double>(m_lastDraw - m_start).count();
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.0f/s", dSeconds > 0 ? m_nDone / dSeconds : 0.0);
    *m_pOut << "\r[" << std::string(static_cast<std::size_t>(nFilled), '#')
            << std::string(static_cast<std::size_t>(kBarWidth - nFilled), ' ') << "] " << m_nDone
            << '/' << m_nTotal << ' ' << m_strWhat << ' ' << rate << std::flush;
}

void CProgressBar::Finish() {
    if (!m_pOut)
        return;
    *m_pOut << "\r\033[K" << std::flush;
    m_pOut = nullptr;
}
