// The review's files: the touch as CSV and its whole chart as PNG, named
// after the touch's start, in the review folder. A chart of more than
// kRowsPerPicture rows goes into several pictures, "-1.png" and on, so that
// none needs more than about 55 MB while it is drawn.
#include <fstream>

#include "platform/Files.h"
#include "platform/PngEncoder.h"
#include "review/ReviewChart.h"
#include "review/ReviewDialog.h"
#include "review/ReviewText.h"
#include "review/TouchCsv.h"

namespace {

constexpr int kExportedChartWidth = 760;
constexpr int kRowsPerPicture = 1000;

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool WriteFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !bytes.empty() && static_cast<bool>(out);
}

}  // namespace

std::filesystem::path ReviewFolder() {
    const std::filesystem::path chosen = platform::EnvironmentPath("TOLMER_REVIEW_DIR");
    return chosen.empty() ? platform::DocumentsFolder() / "Tolmer" : chosen;
}

std::filesystem::path ReviewDialog::SaveCsv() {
    if (touchShown_ < 0) return {};
    const std::string csv = TouchCsv(analysis_, touches_[touchShown_]);
    return Saved({FileFor(".csv")}, [&](const std::filesystem::path& file, int) { return WriteFile(file, csv); });
}

std::filesystem::path ReviewDialog::SavePng() {
    if (touchShown_ < 0) return {};
    const int rows = static_cast<int>(analysis_.rows.size());
    const int pictures = std::max(1, (rows + kRowsPerPicture - 1) / kRowsPerPicture);
    std::vector<std::filesystem::path> files;
    for (int p = 1; p <= pictures; ++p)
        files.push_back(FileFor(pictures > 1 ? "-" + std::to_string(p) + ".png" : ".png"));
    return Saved(files, [&](const std::filesystem::path& file, int picture) {
        const int first = picture * kRowsPerPicture;
        const int height = ChartHeight(std::min(kRowsPerPicture, rows - first));
        const platform::Drawing chart = DrawChart(analysis_, {kExportedChartWidth, height, first, OwnRinger()});
        return WriteFile(file, platform::EncodePng(platform::RenderDrawing(chart)));
    });
}

std::filesystem::path ReviewDialog::FileFor(const std::string& ending) const {
    return ReviewFolder() / (TouchFileStem(touches_[touchShown_]) + ending);
}

std::filesystem::path ReviewDialog::Saved(const std::vector<std::filesystem::path>& files,
                                          const std::function<bool(const std::filesystem::path&, int)>& write) {
    std::error_code error;
    std::filesystem::create_directories(files.front().parent_path(), error);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!write(files[i], static_cast<int>(i))) {
            savedLabel.SetWindowText("Could not save " + Utf8(files[i]));
            return {};
        }
    }
    const std::string more = files.size() > 1 ? " and " + std::to_string(files.size() - 1) + " more" : "";
    savedLabel.SetWindowText("Saved " + Utf8(files.front()) + more);
    return files.front();
}
