#include "review/ReviewText.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

std::tm LocalStart(const Touch& touch) {
    const std::time_t start = std::chrono::system_clock::to_time_t(touch.startedAt);
    return *std::localtime(&start);  // one thread: its static result is safe to copy
}

std::string Format(const char* format, const std::tm& time) {
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &time));
}

std::string Whole(double value) { return std::to_string(std::lround(value)); }

}  // namespace

std::string SignedMs(double ms) {
    const long rounded = std::lround(ms);
    return (rounded > 0 ? "+" : "") + std::to_string(rounded);
}

std::string TouchLabel(const Touch& touch, const Analysis& analysis, int index, int count, bool ringing) {
    std::string label = "Touch " + std::to_string(index + 1) + " of " + std::to_string(count) + ", started " +
                        Format("%H:%M:%S", LocalStart(touch)) + ", " + std::to_string(analysis.bells.size()) + " bells";
    return ringing ? label + ", still ringing" : label;
}

std::string TouchFileStem(const Touch& touch) { return Format("touch-%Y-%m-%d-%H%M%S", LocalStart(touch)); }

std::string BandSummary(const Analysis& analysis) {
    const BandFigures& band = analysis.band;
    std::string text = std::to_string(band.rows) + " rows (" + std::to_string(band.brokenRows) + " broken), " +
                       Whole(band.intervalMs) + " ms a blow\n";
    text += "RMS error " + Whole(band.rmsErrorMs) + " ms\n";
    text += "Rows all within " + Whole(kGoodBlowMs) + " ms: " + Whole(100 * band.goodRowShare) + "%\n";
    if (band.handstrokeGap.blows > 0) {
        char blows[16];
        std::snprintf(blows, sizeof blows, "%.1f", band.handstrokeGap.meanMs / band.intervalMs);
        text += "Handstroke gap " + Whole(band.handstrokeGap.meanMs) + " ms, spread " + Whole(band.handstrokeGap.sdMs) +
                " ms (" + blows + " blows)\n";
    }
    return text + "Errors in ms: + late, - early";
}

std::vector<std::string> FigureTitles() {
    return {"Ringer or bell", "Bells or ringers", "Blows",     "Mean",   "SD",
            "Hand mean",      "Hand SD",          "Back mean", "Back SD"};
}

std::vector<std::string> FigureCells(const std::string& who, const std::string& what, const StrikingFigures& figures) {
    std::vector<std::string> cells = {who, what, std::to_string(figures.all.blows)};
    for (const ErrorFigures* part : {&figures.all, &figures.hand, &figures.back}) {
        cells.push_back(part->blows > 0 ? SignedMs(part->meanMs) : "");
        cells.push_back(part->blows > 1 ? Whole(part->sdMs) : "");
    }
    return cells;
}
