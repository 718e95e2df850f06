#include "app/rememberedposition.h"

#include "platform/registrystore.h"
#include "registry/key.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

// A store file the viewer cannot use keeps the position from ever being
// remembered again, since an unparsable file is never overwritten; the user
// has to hear of it. Said at the read, which every run does once.
void ReportUnusableStore(LONG nResult) {
    if (nResult != ERROR_BADDB && nResult != ERROR_ACCESS_DENIED)
        return;
    const std::string strPath = regstore::FilePath(regstore::Root::LocalMachine);
    struct stat st {};
    const char* pszCause = nResult == ERROR_ACCESS_DENIED ? "cannot be read"
                           : ::stat(strPath.c_str(), &st) == 0 && st.st_size == 0
                               ? "is empty"
                               : "is not a registry file or is too large";
    std::fprintf(stderr,
                 "verlumo: %s %s; the position in the tree is not remembered until it is "
                 "removed\n",
                 strPath.c_str(), pszCause);
}

} // namespace

void ReadRememberedPosition(std::int32_t& nPosition) {
    CKey key;
    ReportUnusableStore(key.Open(kPositionKey, 2, true, nullptr));
    key.ReadInt(&nPosition, kPositionValue, true);
    key.Close();
}
void StoreRememberedPosition(std::int32_t nPosition) {
    CKey key;
    key.Open(kPositionKey, 2, true, nullptr);
    key.WriteInt(nPosition, kPositionValue);
    key.Close();
}
