#include "tools/blockfile.h"

#include <algorithm>

std::optional<std::int64_t> CBlockFile::Place(std::string_view block,
                                              std::optional<std::int64_t> nAt) {
    const std::int64_t nStart = nAt.value_or(Size());
    const auto nLength = static_cast<std::int64_t>(block.size());
    if (nStart < 0 || nStart > kMaxSize || nLength > kMaxSize - nStart)
        return std::nullopt;
    if (nLength == 0)
        return nStart; // nothing to write, so no gap either
    const std::int64_t nShared = std::clamp<std::int64_t>(Size() - nStart, 0, nLength);
    if (block.substr(0, static_cast<std::size_t>(nShared)) !=
        std::string_view(m_bytes).substr(static_cast<std::size_t>(std::min(nStart, Size())),
                                         static_cast<std::size_t>(nShared)))
        return std::nullopt;
    if (nStart + nLength > Size()) {
        m_bytes.resize(static_cast<std::size_t>(std::max(nStart, Size())), '\0');
        m_bytes.append(block.substr(static_cast<std::size_t>(nShared)));
    }
    return nStart;
}
