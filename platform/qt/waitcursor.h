#pragma once

#include <QCursor>
#include <QGuiApplication>

// A cursor shown for the length of a scope, as MFC's CWaitCursor; a read that
// throws restores the previous cursor too.
class CWaitCursor {
public:
    explicit CWaitCursor(const QCursor& cursor = QCursor(Qt::WaitCursor)) {
        QGuiApplication::setOverrideCursor(cursor);
    }
    ~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
