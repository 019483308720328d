#include "review/ReviewChart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "tower/RingerTable.h"

using platform::Colour;
using platform::Drawing;
using platform::TextAlign;

namespace {

constexpr int kHeader = 26;  // the place numbers
constexpr int kFooter = 6;
constexpr int kRowPitch = 18;
constexpr int kLeft = 48;    // row numbers and strokes, and the broken-row mark
constexpr int kRight = 140;  // the handstroke gap and what a broken row lacks
constexpr int kDotRadius = 7;
constexpr int kGapTick = 24;  // pixels for a gap of one blow

constexpr Colour kInk{40, 40, 40};
constexpr Colour kGrid{205, 205, 205};
constexpr Colour kRowLine{238, 238, 238};
constexpr Colour kBroken{200, 30, 30};
constexpr Colour kWhite{255, 255, 255};

std::string BrokenNote(const AnalysedRow& row, const Analysis& analysis) {
    std::string note;
    for (int bell : row.missingBells) note += BellSymbols[bell - 1];
    if (!note.empty()) note = "no " + note;
    if (row.extraBlows > 0) {
        std::string twice;
        for (int i : row.blows)
            if (analysis.blows[i].kind == AnalysedBlow::Kind::Extra) twice += BellSymbols[analysis.blows[i].bell - 1];
        note += (note.empty() ? "" : ", ") + twice + " twice";
    }
    return note;
}

class ChartPainter {
public:
    ChartPainter(const Analysis& analysis, const ChartPage& page, Drawing& drawing)
        : a_(analysis), page_(page), d_(drawing) {
        const int bells = std::max<int>(1, static_cast<int>(analysis.bells.size()));
        column_ = std::max(1.0, double(drawing.width - kLeft - kRight) / bells);
    }

    void Header(int lastRow) {
        for (std::size_t p = 0; p < a_.bells.size(); ++p) {
            const int x = PlaceX(static_cast<int>(p) + 1);
            Add(Drawing::Text{x, 6, std::to_string(p + 1), kInk, 12, true, TextAlign::Centre});
            Add(Drawing::Line{x, kHeader - 4, x, kHeader + (lastRow - page_.firstRow) * kRowPitch, kGrid, 1});
        }
        Add(Drawing::Text{4, 6, "Row", kInk, 11, false, TextAlign::Left});
        Add(Drawing::Text{d_.width - kRight + 8, 6, "Gap", kInk, 11, false, TextAlign::Left});
    }

    void Row(int r) {
        const AnalysedRow& row = a_.rows[r];
        const int y = kHeader + (r - page_.firstRow) * kRowPitch + kRowPitch / 2;
        Add(Drawing::Line{kLeft - 4, y, d_.width - kRight, y, kRowLine, 1});
        const std::string label = std::to_string(r + 1) + (row.stroke == kHandstroke ? " H" : " B");
        Add(Drawing::Text{4, y - 7, label, kInk, 11, false, TextAlign::Left});
        if (row.Broken()) {
            Add(Drawing::Fill{kLeft - 12, y - 6, 6, 12, kBroken});
            Add(Drawing::Text{d_.width - kRight + 12 + 2 * kGapTick, y - 7, BrokenNote(row, a_), kBroken, 11});
        }
        GapBar(r, y);
        for (int i : row.blows) Blow(a_.blows[i], y);
    }

private:
    int PlaceX(double place) const { return kLeft + static_cast<int>(std::lround((place - 0.5) * column_)); }

    void Blow(const AnalysedBlow& blow, int y) {
        const Colour colour = BellColour(blow.bell);
        const std::string symbol(1, BellSymbols[blow.bell - 1]);
        const bool own = blow.ringer == page_.ownRinger;
        if (blow.kind == AnalysedBlow::Kind::Counted) {
            const double interval = IntervalOf(blow.row);
            const double offset = interval > 0 ? blow.errorMs / interval : 0;
            const int x = std::clamp(PlaceX(blow.place + offset), kLeft, d_.width - kRight);
            Add(Drawing::Dot{x, y, kDotRadius, colour, kInk, own ? 3 : 0});
            Add(Drawing::Text{x, y - 6, symbol, kWhite, 10, true, TextAlign::Centre});
        } else {
            // An extra blow: hollow, where it fell in time after the row's first.
            const AnalysedBlow& first = a_.blows[a_.rows[blow.row].blows.front()];
            const double interval = IntervalOf(blow.row);
            const double place = 1 + (interval > 0 ? (blow.ms - first.ms) / interval : 0);
            const int x = std::clamp(PlaceX(place), kLeft, d_.width - kRight);
            Add(Drawing::Dot{x, y, kDotRadius, kWhite, colour, 2});
            Add(Drawing::Text{x, y - 6, symbol, colour, 10, true, TextAlign::Centre});
        }
    }

    void GapBar(int r, int y) {
        for (const PullRhythm& pull : a_.pulls) {
            if (pull.firstRow != r || !pull.handstrokeGapMs || pull.intervalMs <= 0) continue;
            const int x = d_.width - kRight + 8;
            const double blows = std::clamp(*pull.handstrokeGapMs / pull.intervalMs, 0.0, 2.0);
            Add(Drawing::Fill{x, y - 3, static_cast<int>(std::lround(blows * kGapTick)), 6, {120, 120, 120}});
            Add(Drawing::Line{x + kGapTick, y - 6, x + kGapTick, y + 6, kInk, 1});
        }
    }

    double IntervalOf(int row) const {
        for (const PullRhythm& pull : a_.pulls)
            if (row >= pull.firstRow && row < pull.firstRow + pull.rowCount) return pull.intervalMs;
        return 0;
    }

    void Add(Drawing::Item item) { d_.items.push_back(std::move(item)); }

    const Analysis& a_;
    const ChartPage& page_;
    Drawing& d_;
    double column_ = 1;
};

}  // namespace

int RowsThatFit(int height) { return std::max(1, (height - kHeader - kFooter) / kRowPitch); }

int ChartHeight(int rows) { return kHeader + rows * kRowPitch + kFooter; }

platform::Drawing DrawChart(const Analysis& analysis, const ChartPage& page) {
    Drawing drawing;
    const int rows = static_cast<int>(analysis.rows.size());
    const int first = std::clamp(page.firstRow, 0, std::max(0, rows - 1));
    const int shown = page.height > 0 ? std::min(RowsThatFit(page.height), rows - first) : rows - first;
    drawing.width = page.width;
    drawing.height = page.height > 0 ? page.height : ChartHeight(shown);
    if (rows == 0) {
        drawing.items.push_back(
            Drawing::Text{page.width / 2, 20, "Nothing rung yet", kInk, 14, false, TextAlign::Centre});
        return drawing;
    }
    ChartPage clamped = page;
    clamped.firstRow = first;
    ChartPainter painter(analysis, clamped, drawing);
    painter.Header(first + shown);
    for (int r = first; r < first + shown; ++r) painter.Row(r);
    return drawing;
}

Colour BellColour(int bell) {
    static constexpr std::array<Colour, 12> kColours = {{{214, 39, 40},
                                                         {31, 119, 180},
                                                         {44, 160, 44},
                                                         {148, 103, 189},
                                                         {255, 127, 14},
                                                         {140, 86, 75},
                                                         {227, 119, 194},
                                                         {23, 150, 170},
                                                         {127, 127, 127},
                                                         {150, 150, 20},
                                                         {57, 59, 121},
                                                         {173, 73, 74}}};
    return kColours[(bell - 1 + 12) % 12];
}
