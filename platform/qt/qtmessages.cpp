#include "platform/qt/qtmessages.h"

#include <QString>
#include <QtGlobal>
#include <cstdlib>
#include <cstring>

namespace {

QtMessageHandler g_pQtHandler = nullptr;

void FilterMessage(QtMsgType type, const QMessageLogContext& context, const QString& strMessage) {
    if (type == QtWarningMsg &&
        strMessage.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (g_pQtHandler)
        g_pQtHandler(type, context, strMessage);
}

bool IsSet(const char* pszName) {
    const char* psz = std::getenv(pszName);
    return psz && *psz;
}

} // namespace

void QuietRuntimeDirWarning() {
    QtMessageHandler pPrevious = qInstallMessageHandler(FilterMessage);
    if (pPrevious != FilterMessage)
        g_pQtHandler = pPrevious;
}

bool HasDisplay(int argc, char** argv) {
    if (IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY"))
        return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    return false;
}
