#pragma once

#include "platform/cfile.h"

#include <exception>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// What happens to a CFileException that no code of the program catches: at
// the boundary of the window message being handled it becomes a warning to
// the user, and the rest of that handler is skipped. The same file is
// reported once per run, so a missing data file that every selection reads
// does not bring up a box for every selection.
class CFileErrorReport {
public:
    // Receives the title and the text, both UTF-8. The viewer shows a warning
    // box; offscreen runs and tests put something that does not wait for a user.
    using Sink = std::function<void(const std::string& strTitle, const std::string& strText)>;

    // Hands the report to the sink unless this file was reported before;
    // true when it was handed on.
    bool Report(const CFileException& e);
    bool WasReported(const std::string& strFileName) const;

    // Anything else a handler throws (memory the data asks for, a length the
    // standard library refuses) goes to the sink as it comes: each one ended
    // an action the user asked for.
    void ReportException(const std::exception& e);

    // One warning for the files that could not be opened at all, each as
    // (path, errno); each then counts as reported, so the first read that
    // fails on it brings no second warning. Nothing when the list is empty.
    void ReportUnopened(const std::vector<std::pair<std::string, int>>& files);

    // The text in Russian (UTF-8), naming the file and the cause. File names
    // are shown as the system gave them (UTF-8 on Linux).
    static std::string Message(const CFileException& e);
    static std::string Message(const std::exception& e);
    // Why a file could not be opened, from its errno.
    static std::string OpenErrorText(int nError);

    std::string m_strTitle = "Verlumo";
    Sink m_sink;

private:
    std::set<std::string> m_reported;
};
