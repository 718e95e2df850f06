#include "support/runtool.h"

#include "support/tempdir.h"

#include <cstdlib>
#include <sys/wait.h>

ToolResult RunTool(const std::string& strArgs) {
    CTempDir io;
    const std::string strCommand = std::string("'") + VERLUMO_DB_EXE + "' " + strArgs + " >" +
                                   io.File("out") + " 2>" + io.File("err") + " </dev/null";
    const int nStatus = std::system(strCommand.c_str());
    return {WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1, io.ReadFile("out"), io.ReadFile("err")};
}

std::string Quote(const std::string& s) {
    std::string strQuoted = "'";
    for (char c : s)
        strQuoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return strQuoted + "'";
}
