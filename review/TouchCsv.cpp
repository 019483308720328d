#include "review/TouchCsv.h"

#include <cstdio>

namespace {

// Quoted when it holds a comma, a quote or a line break; quotes doubled.
std::string Field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string Ms(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ms);
    return text;
}

const char* KindName(AnalysedBlow::Kind kind) {
    switch (kind) {
    case AnalysedBlow::Kind::Counted: return "counted";
    case AnalysedBlow::Kind::Extra: return "extra";
    case AnalysedBlow::Kind::Stray: return "stray";
    }
    return "";
}

}  // namespace

std::string TouchCsv(const Analysis& analysis, const Touch& touch) {
    std::string csv = "row,stroke,place,bell,ringer,time_ms,ideal_ms,error_ms,blow,row_missing\n";
    for (const AnalysedBlow& blow : analysis.blows) {
        const bool counted = blow.kind == AnalysedBlow::Kind::Counted;
        std::string missing;
        if (blow.row >= 0) {
            const AnalysedRow& row = analysis.rows[blow.row];
            csv += std::to_string(blow.row + 1) + (row.stroke == kHandstroke ? ",hand," : ",back,");
            for (int bell : row.missingBells) missing += (missing.empty() ? "" : " ") + std::to_string(bell);
        } else {
            csv += ",,";
        }
        csv += (counted ? std::to_string(blow.place) : "") + "," + std::to_string(blow.bell) + ",";
        csv += Field(touch.ringers[blow.ringer]) + "," + Ms(blow.ms) + ",";
        csv += (counted ? Ms(blow.idealMs) + "," + Ms(blow.errorMs) : std::string(",")) + ",";
        csv += std::string(KindName(blow.kind)) + "," + missing + "\n";
    }
    return csv;
}
