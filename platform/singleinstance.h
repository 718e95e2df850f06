#pragma once

#include <string>

// Keeps a second viewer from starting while one runs. Linux has no global
// search of windows by title, so the guard is an exclusive lock on a file of
// the user's runtime directory, held from before the first data file is
// opened until the main window is gone. The kernel drops the lock however
// the process ends, so a crash never leaves a stale guard behind.
class CSingleInstance {
public:
    CSingleInstance() = default;
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // False when another holder has the lock. When no lock file can be made
    // at all there is nothing to guard with, and the start goes on (true).
    bool Acquire();
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

    // $XDG_RUNTIME_DIR/verlumo.lock, or /tmp/verlumo-<uid>.lock without it.
    static std::string LockPath();

private:
    int m_fd = -1;
};
