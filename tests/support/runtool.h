#pragma once

#include <string>

// verlumo-db run as a child process, its outputs captured.
struct ToolResult {
    int nExit; // -1 when it did not exit normally
    std::string strOut;
    std::string strErr;
};

// strArgs are shell-quoted where needed (see Quote).
ToolResult RunTool(const std::string& strArgs);
std::string Quote(const std::string& s);
