#pragma once

#include <cstdint>
#include <ostream>
#include <string>

struct HtmlExportOptions {
    std::string strDir;    // the database
    std::string strOutDir; // the site, created when missing
    std::string strTitle;  // UTF-8; empty: the main window's title
};

struct HtmlExportSummary {
    std::int64_t nTreeItems = 0;
    std::int64_t nTypes = 0; // distinct records the tree shows
    std::int64_t nPictures = 0;
    std::int64_t nFiles = 0;
    std::int64_t nBytes = 0;
};

// `verlumo-db export-html DIR -o SITE`: the whole database as a static site
// (index.html with our own script and style sheet, data files loaded as
// scripts so the site also works from file://). The tree comes in one file
// per group page, the cards, the additional data and the search index in
// chunks, the pictures as PNG files. Notes on what cannot be shown go to
// diag; a progress bar counts the types on pProgress (none without a stream).
// Throws std::runtime_error when a file cannot be written and CFileException
// when a data file fails to read.
HtmlExportSummary ExportHtml(const HtmlExportOptions& options, std::ostream& diag,
                             std::ostream* pProgress);
