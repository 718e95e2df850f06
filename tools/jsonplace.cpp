#include "tools/jsonplace.h"

#include <utility>

std::size_t CJsonPlaces::Add(std::size_t nParent, std::string strStep) {
    m_steps.push_back({nParent, std::move(strStep)});
    return m_steps.size() - 1;
}

std::string CJsonPlaces::Spell(std::size_t nPlace) const {
    std::vector<const std::string*> parts;
    for (std::size_t n = nPlace; n != kNone; n = m_steps[n].nParent)
        parts.push_back(&m_steps[n].strStep);
    std::string s;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it)
        s += **it;
    return s.starts_with('.') ? s.substr(1) : s;
}
