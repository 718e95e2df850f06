#pragma once

#include <functional>

class QSocketNotifier;

// SIGTERM and SIGINT as a close request on the event loop: the handler only
// writes a byte to a pipe, and the loop, reading it, calls onSignal. So a
// viewer ended by the session or from a terminal closes its window the
// ordinary way and stores its position. One instance at a time; the old
// handlers come back when it goes.
class CTerminationSignals {
public:
    explicit CTerminationSignals(std::function<void()> onSignal);
    ~CTerminationSignals();
    CTerminationSignals(const CTerminationSignals&) = delete;
    CTerminationSignals& operator=(const CTerminationSignals&) = delete;

    // False when the pipe or the handlers could not be set up; the signals
    // then keep their default action.
    bool IsInstalled() const { return m_pNotifier != nullptr; }

private:
    void OnReadable();

    std::function<void()> m_onSignal;
    QSocketNotifier* m_pNotifier = nullptr;
};
