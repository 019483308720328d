#pragma once
// Synthesis of one strike of a tuned church bell.
#include <cstdint>
#include <vector>

namespace bellsounds {

struct BellStrike {
    double nominalHz = 0;       // the strike note
    double tenorNominalHz = 0;  // the heaviest bell of the ring; sets the decay scale
    int sampleRate = 0;
    double seconds = 0;
    std::uint32_t seed = 1;  // for the noise of the clapper's blow
};

// The strike as 16-bit samples, peaking well below full scale so that several
// bells can sound together.
std::vector<std::int16_t> SynthesiseBell(const BellStrike& strike);

}  // namespace bellsounds
