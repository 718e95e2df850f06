#pragma once

#include <string>
#include <vector>

// The viewer's command line. Of everything a user may type only the flag
// "tm" (as "-tm" or "/tm") means anything: it keeps the main window above
// all other windows.
class CAppCommandLineInfo {
public:
    // One argument, with its leading "-" or "/" already taken off when bFlag
    // is set. Every argument sets m_bTopMost anew, so the last one decides.
    void ParseParam(const char* pszParam, bool bFlag, bool bLast);

    // Hands argv[1] ... argv[n - 1] to ParseParam in order, the way the
    // framework splits a command line: an argument that begins with "-" or
    // "/" is a flag without that character.
    void ParseCommandLine(const std::vector<std::string>& args);

    bool m_bTopMost = false;
};
