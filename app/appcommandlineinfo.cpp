#include "app/appcommandlineinfo.h"

#include <cstring>

void CAppCommandLineInfo::ParseParam(const char* pszParam, bool bFlag, bool /*bLast*/) {
    m_bTopMost = bFlag && std::strcmp(pszParam, "tm") == 0;
}

void CAppCommandLineInfo::ParseCommandLine(const std::vector<std::string>& args) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const char* pszParam = args[i].c_str();
        const bool bFlag = pszParam[0] == '-' || pszParam[0] == '/';
        ParseParam(bFlag ? pszParam + 1 : pszParam, bFlag, i + 1 == args.size());
    }
}
