#pragma once

#include "viewer/guidb.h"

#include <QImage>
#include <QPoint>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Pictures whose every pixel tells where in the picture it lies, so that a
// pixel check finds the offset, the cut edges and any scaling.
struct CPicturePattern {
    int nWidth = 0;
    int nHeight = 0;
    int nBitCount = 8;
};

// The pattern's colour at column x, row y counted from the top. Never the
// background grey.
QRgb PatternColour(const CPicturePattern& pattern, int x, int y);
// The whole picture record (header, colour table, LZW stream).
std::string PatternRecord(const CPicturePattern& pattern);

struct CTypePictures {
    // nCount: the record's picture count, the series' length by default.
    // strTail: raw bytes behind the type's records.
    CTypePictures(std::optional<CPicturePattern> preview_, std::vector<CPicturePattern> series_,
                  std::optional<std::int32_t> nCount_ = std::nullopt, std::string strTail_ = {})
        : preview(preview_), series(std::move(series_)), nCount(nCount_),
          strTail(std::move(strTail_)) {}

    std::optional<CPicturePattern> preview; // none: the type's offset is its first series record's
    std::vector<CPicturePattern> series;
    std::optional<std::int32_t> nCount;
    std::string strTail;
};

// Position 0 is the group "Типы"; type i stands at position i + 1 with record i.
// Returns each type's preview offset.
std::vector<std::int32_t> WritePictureDatabase(const CTempDir& dir,
                                               const std::vector<CTypePictures>& types);

// area shows the pattern with its top left corner at `at` (which may
// lie outside the area), and the grey (194, 194, 194) everywhere else.
testing::AssertionResult ShowsPattern(const QImage& area, const CPicturePattern& pattern,
                                      QPoint at);
testing::AssertionResult IsPlainGrey(const QImage& area);

// A main dialog of type TDialog on a database of WritePictureDatabase.
template <class TDialog> class CPictureDialogTest : public CDialogTest<TDialog> {
protected:
    void Start(const std::vector<CTypePictures>& types) {
        m_offsets = WritePictureDatabase(this->m_dir, types);
        this->OpenDialog();
    }

    std::vector<std::int32_t> m_offsets;
};
