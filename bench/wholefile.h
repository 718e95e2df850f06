#pragma once

#include "data/databasefiles.h"

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// A file read whole with read(2), as the floors read their bytes: empty when
// it cannot be opened. Inline, so that each bench source stays one program.
inline std::string ReadWholeFile(const std::string& strPath) {
    std::string bytes;
    const int fd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t nDone = 0;
        while (nDone < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + nDone, bytes.size() - nDone);
            if (n <= 0)
                break;
            nDone += static_cast<std::size_t>(n);
        }
        bytes.resize(nDone);
    }
    ::close(fd);
    return bytes;
}

// The four data files the floors of dump and check read.
struct DatabaseBytes {
    std::string tree, pool, types, strips;
};

inline DatabaseBytes ReadDatabaseBytes(const std::string& strDir) {
    return {ReadWholeFile(CDatabaseFiles::PathIn(strDir, CDatabaseFiles::kTreeName)),
            ReadWholeFile(CDatabaseFiles::PathIn(strDir, CDatabaseFiles::kStringsName)),
            ReadWholeFile(CDatabaseFiles::PathIn(strDir, CDatabaseFiles::kAircraftName)),
            ReadWholeFile(CDatabaseFiles::PathIn(strDir, CDatabaseFiles::kStripsName))};
}
