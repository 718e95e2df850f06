#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class CDatabaseFiles;

// Writes the pictures of the tree item at a pre-order position as the viewer
// shows them: preview.png when the viewer draws a preview (a type with
// pictures whose preview has 8 bits per pixel), then 1.png ... N.png for the
// series, top row first, each pixel as its colour. A picture the viewer cannot
// show is skipped with a note on diag. Returns the number of files written;
// throws std::runtime_error when Pictures.dat is not open or a file cannot be
// written. pWritten, when given, receives each file written: its number (0 for
// the preview) and its size in bytes.
struct WrittenPicture {
    int nNumber;
    std::size_t nBytes;
};
int ExportPictures(CDatabaseFiles& files, std::int32_t nRecord, const std::string& strOutDir,
                   std::ostream& diag, std::vector<WrittenPicture>* pWritten = nullptr);
