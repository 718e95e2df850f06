#include "viewer/terminationsignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_fdPipe[2] = {-1, -1};
struct sigaction g_oldTerm, g_oldInt;

void OnSignal(int) {
    const int nSavedErrno = errno;
    const char c = 1;
    // A full pipe already holds a close request; nothing is lost.
    [[maybe_unused]] const ssize_t n = ::write(g_fdPipe[1], &c, 1);
    errno = nSavedErrno;
}

void ClosePipe() {
    for (int& fd : g_fdPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace

CTerminationSignals::CTerminationSignals(std::function<void()> onSignal)
    : m_onSignal(std::move(onSignal)) {
    if (g_fdPipe[0] >= 0 || ::pipe2(g_fdPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    if (::sigaction(SIGTERM, &sa, &g_oldTerm) != 0) {
        ClosePipe();
        return;
    }
    if (::sigaction(SIGINT, &sa, &g_oldInt) != 0) {
        ::sigaction(SIGTERM, &g_oldTerm, nullptr);
        ClosePipe();
        return;
    }
    m_pNotifier = new QSocketNotifier(g_fdPipe[0], QSocketNotifier::Read);
    QObject::connect(m_pNotifier, &QSocketNotifier::activated, [this] { OnReadable(); });
}

CTerminationSignals::~CTerminationSignals() {
    if (!m_pNotifier)
        return;
    ::sigaction(SIGTERM, &g_oldTerm, nullptr);
    ::sigaction(SIGINT, &g_oldInt, nullptr);
    delete m_pNotifier;
    ClosePipe();
}

void CTerminationSignals::OnReadable() {
    char buf[64];
    while (::read(g_fdPipe[0], buf, sizeof buf) > 0) {
    }
    if (m_onSignal)
        m_onSignal();
}
