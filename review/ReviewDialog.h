// The striking review: the chart of a touch, its band figures and a table of
// each ringer's and each bell's, a way through the last few touches and
// through the rows of a long one, and the touch saved as CSV or its chart as
// PNG in the review folder (ReviewFolder). Opened from the main window's
// Review button over a copy of the touches the recorder kept.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "review/StrikingAnalysis.h"

// Where the review saves: $TOLMER_REVIEW_DIR, else "Tolmer" in the user's
// documents folder.
std::filesystem::path ReviewFolder();

class ReviewDialog : public platform::Dialog {
public:
    // touches: oldest first; the latest shows first. ringing: it is still being rung.
    ReviewDialog(std::vector<Touch> touches, std::string ownName, bool ringing);

    void DoDataExchange() override;
    bool OnInitDialog() override;

    void ShowTouch(int index);
    void ShowRows(int firstRow);
    // Each writes its file (a long chart several) and says where in the
    // window; the path, or empty on failure.
    std::filesystem::path SaveCsv();
    std::filesystem::path SavePng();

    int TouchShown() const { return touchShown_; }
    const Analysis& Shown() const { return analysis_; }

    platform::StaticText touchLabel;
    platform::Button earlierTouchButton;
    platform::Button laterTouchButton;
    platform::Canvas chart;
    platform::StaticText bandFigures;
    platform::StaticText savedLabel;
    platform::Button saveCsvButton;
    platform::Button savePngButton;
    platform::Button earlierRowsButton;
    platform::Button laterRowsButton;
    platform::StaticText rowsLabel;
    platform::ListView figuresList;

private:
    int OwnRinger() const;
    void ShowFigures();
    std::filesystem::path FileFor(const std::string& ending) const;
    // Writes each file with write(file, index) and says where in the window;
    // the first file, or empty when one could not be written.
    std::filesystem::path Saved(const std::vector<std::filesystem::path>& files,
                                const std::function<bool(const std::filesystem::path&, int)>& write);

    std::vector<Touch> touches_;
    std::string ownName_;
    bool ringing_;
    int touchShown_ = -1;
    int firstRow_ = 0;
    Analysis analysis_;
};
