// The review's files: the touch as CSV and its whole chart as PNG, named
// after the touch's start, in the review folder.
#include <fstream>

#include "platform/Files.h"
#include "platform/PngEncoder.h"
#include "review/ReviewChart.h"
#include "review/ReviewDialog.h"
#include "review/ReviewText.h"
#include "review/TouchCsv.h"

namespace {

constexpr int kExportedChartWidth = 760;

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::filesystem::path ReviewFolder() {
    const std::filesystem::path chosen = platform::EnvironmentPath("TOLMER_REVIEW_DIR");
    return chosen.empty() ? platform::DocumentsFolder() / "Tolmer" : chosen;
}

std::filesystem::path ReviewDialog::SaveCsv() {
    if (touchShown_ < 0) return {};
    return Save(".csv", TouchCsv(analysis_, touches_[touchShown_]));
}

std::filesystem::path ReviewDialog::SavePng() {
    if (touchShown_ < 0) return {};
    const platform::Drawing whole = DrawChart(analysis_, {kExportedChartWidth, 0, 0, OwnRinger()});
    return Save(".png", platform::EncodePng(platform::RenderDrawing(whole)));
}

std::filesystem::path ReviewDialog::Save(const std::string& extension, const std::string& bytes) {
    const std::filesystem::path folder = ReviewFolder();
    const std::filesystem::path file = folder / (TouchFileStem(touches_[touchShown_]) + extension);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        savedLabel.SetWindowText("Could not save " + Utf8(file));
        return {};
    }
    savedLabel.SetWindowText("Saved " + Utf8(file));
    return file;
}
