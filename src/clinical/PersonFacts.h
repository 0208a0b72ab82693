#pragma once

#include <array>

namespace kavio::clinical {

// What the evaluation needs to know about a person beyond the measurements. Where these
// facts are stored and edited is decided elsewhere; the evaluation only takes them.

enum class Hand { Right, Left, Unknown }; // dominant hand: rechts / links / unbekannt
enum class Sex { Male, Female, Unknown };

// Limbs at risk in the order of kSegments: AL, AR, BL, BR.
using LimbsAtRisk = std::array<bool, 4>;

struct PersonFacts {
    Hand dominantHand = Hand::Unknown;
    Sex sex = Sex::Unknown;
    LimbsAtRisk atRisk{};
};

} // namespace kavio::clinical
