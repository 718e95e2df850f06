#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A data file laid out block by block, as the build writes Pictures.dat and
// FlightStrips.dat: a block goes at the end, or where the source says. A
// place past the end leaves a gap of zero bytes; a place inside what is
// already written must hold the same bytes there (two records sharing their
// pictures or rows).
class CBlockFile {
public:
    // The offset the block went to; nullopt when it would overwrite other
    // bytes or reach past kMaxSize, and then nothing changes.
    std::optional<std::int64_t> Place(std::string_view block,
                                      std::optional<std::int64_t> nAt = std::nullopt);

    // Records address the files with signed 32-bit offsets.
    static constexpr std::int64_t kMaxSize = INT32_MAX;

    const std::string& Bytes() const { return m_bytes; }
    std::int64_t Size() const { return static_cast<std::int64_t>(m_bytes.size()); }

private:
    std::string m_bytes;
};
