#pragma once

#include "platform/fileerrorreport.h"

#include <exception>

// The boundary of a window message: whatever the handler throws is reported
// (a file once per run, anything else each time) and ends that message; the
// next message runs as usual. Nothing a handler throws reaches Qt's event
// loop, which cannot carry exceptions.
template <class F> void HandleMessage(CFileErrorReport* pReport, F&& handler) {
    try {
        handler();
    } catch (const CFileException& e) {
        if (pReport)
            pReport->Report(e);
    } catch (const std::exception& e) {
        if (pReport)
            pReport->ReportException(e);
    }
}
