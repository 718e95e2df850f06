#pragma once

#include "platform/regfile.h"
#include "platform/winreg.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Where the registry calls keep their keys: one REGEDIT4 file per root key,
// "HKEY_LOCAL_MACHINE.reg" and so on, in $VERLUMO_REGISTRY_DIR, else
// $XDG_CONFIG_HOME/verlumo/registry, else ~/.config/verlumo/registry.
//
// Readers take no lock: every change replaces the whole file by a rename, so a
// reader sees the old file or the new one. Writers hold an exclusive lock on
// "<file>.lock" and re-read the file under it, so two processes never lose
// each other's values. A file that cannot be parsed is never overwritten.
namespace regstore {

enum class Root { ClassesRoot, CurrentUser, LocalMachine, Users };

const char* RootName(Root root);
// Empty when there is no home directory to put it in.
std::string Directory();
std::string FilePath(Root root);

// The hive of a root key; an empty hive when its file does not exist.
// ERROR_BADDB for a file that cannot be parsed (or is larger than
// regfile::kMaxFileSize), ERROR_ACCESS_DENIED for one that cannot be read.
// pnModified receives the file's modification time (ns since 1970, 0 for none).
LONG Read(Root root, std::shared_ptr<const regfile::CHive>& hive,
          std::int64_t* pnModified = nullptr);

// Runs change on the current hive under the lock; when it returns
// ERROR_SUCCESS with bChanged set, writes the result as the new file.
// ERROR_ACCESS_DENIED when the directory, the lock or the file cannot be
// written (nothing changes then), ERROR_BADDB for a file that cannot be
// parsed, ERROR_NOT_ENOUGH_QUOTA when the new file would be too large to read.
using Change = std::function<LONG(regfile::CHive& hive, bool& bChanged)>;
LONG Modify(Root root, const Change& change);

// The steps of writing a new file, for tests that end the process at each.
enum class WriteStep { BeforeTempWrite, AfterTempWrite, AfterFsync, AfterRename };
using WriteHook = void (*)(WriteStep step);
void SetWriteHook(WriteHook hook);

} // namespace regstore
