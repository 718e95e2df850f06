#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Places in a JSON document ("tree[2].children[0].type.speeds"), each kept as
// its parent's place plus one step and spelt out only when an error names
// it, so walking a deep document costs linear time.
class CJsonPlaces {
public:
    static constexpr std::size_t kNone = SIZE_MAX;

    // A step is "[3]", ".key", or a first name such as "tree"; returns the
    // new place.
    std::size_t Add(std::size_t nParent, std::string strStep);
    // The whole place; a leading '.' (a key at the top) is left out.
    std::string Spell(std::size_t nPlace) const;

private:
    struct CStep {
        std::size_t nParent;
        std::string strStep;
    };
    std::vector<CStep> m_steps;
};
