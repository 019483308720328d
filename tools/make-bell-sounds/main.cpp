// make-bell-sounds OUTDIR: writes the client's thirteen bell sounds,
// bell1.wav to bell12.wav and bell6b.wav. The twelve form a descending major
// scale from bell 1, the lightest, to bell 12, the tenor, on the key note;
// bell6b is bell 6 a semitone flatter, so that bells 9 down to 1 with 6b in
// place of 6 form a major scale of their own.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "BellSynth.h"
#include "WavWriter.h"

namespace {

constexpr double kTenorNominalHz = 311.13;  // E flat above middle C
constexpr int kSampleRate = 44100;
constexpr double kSeconds = 3.0;
constexpr int kBells = 12;

// Semitones of the major scale's degrees above the key note, over an octave.
constexpr int kMajorScale[] = {0, 2, 4, 5, 7, 9, 11};

int SemitonesAboveTenor(int bell) {
    const int degree = kBells - bell;
    return 12 * (degree / 7) + kMajorScale[degree % 7];
}

bool WriteBell(const std::filesystem::path& dir, const std::string& label, int semitones, std::uint32_t seed) {
    bellsounds::BellStrike strike;
    strike.nominalHz = kTenorNominalHz * std::pow(2.0, semitones / 12.0);
    strike.tenorNominalHz = kTenorNominalHz;
    strike.sampleRate = kSampleRate;
    strike.seconds = kSeconds;
    strike.seed = seed;
    const std::filesystem::path file = dir / ("bell" + label + ".wav");
    if (bellsounds::WriteMonoWav(file.string(), bellsounds::SynthesiseBell(strike), kSampleRate)) return true;
    std::fprintf(stderr, "make-bell-sounds: cannot write %s\n", file.string().c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-bell-sounds OUTDIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "make-bell-sounds: cannot create %s: %s\n", dir.string().c_str(), error.message().c_str());
        return 1;
    }
    bool written = true;
    for (int bell = 1; bell <= kBells; ++bell) {
        const auto seed = static_cast<std::uint32_t>(bell);
        written = WriteBell(dir, std::to_string(bell), SemitonesAboveTenor(bell), seed) && written;
    }
    written = WriteBell(dir, "6b", SemitonesAboveTenor(6) - 1, kBells + 1) && written;
    return written ? 0 : 1;
}
