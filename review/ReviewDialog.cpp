#include "review/ReviewDialog.h"

#include <algorithm>

#include "resources/ResourceIds.h"
#include "resources/Templates.h"
#include "review/ReviewChart.h"
#include "review/ReviewText.h"

ReviewDialog::ReviewDialog(std::vector<Touch> touches, std::string ownName, bool ringing)
    : platform::Dialog(ReviewTemplate()),
      touches_(std::move(touches)),
      ownName_(std::move(ownName)),
      ringing_(ringing) {
    MapCommand(ids::IDC_EARLIER_TOUCH, [this] { ShowTouch(touchShown_ - 1); });
    MapCommand(ids::IDC_LATER_TOUCH, [this] { ShowTouch(touchShown_ + 1); });
    MapCommand(ids::IDC_EARLIER_ROWS, [this] { ShowRows(firstRow_ - RowsThatFit(chart.Height())); });
    MapCommand(ids::IDC_LATER_ROWS, [this] { ShowRows(firstRow_ + RowsThatFit(chart.Height())); });
    MapCommand(ids::IDC_SAVE_CSV, [this] { SaveCsv(); });
    MapCommand(ids::IDC_SAVE_PNG, [this] { SavePng(); });
}

void ReviewDialog::DoDataExchange() {
    Bind(touchLabel, ids::IDC_REVIEW_TOUCH);
    Bind(earlierTouchButton, ids::IDC_EARLIER_TOUCH);
    Bind(laterTouchButton, ids::IDC_LATER_TOUCH);
    Bind(chart, ids::IDC_REVIEW_CHART);
    Bind(bandFigures, ids::IDC_BAND_FIGURES);
    Bind(savedLabel, ids::IDC_REVIEW_SAVED);
    Bind(saveCsvButton, ids::IDC_SAVE_CSV);
    Bind(savePngButton, ids::IDC_SAVE_PNG);
    Bind(earlierRowsButton, ids::IDC_EARLIER_ROWS);
    Bind(laterRowsButton, ids::IDC_LATER_ROWS);
    Bind(rowsLabel, ids::IDC_REVIEW_ROWS);
    Bind(figuresList, ids::IDC_REVIEW_FIGURES);
}

bool ReviewDialog::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    const std::vector<std::string> titles = FigureTitles();
    const int widths[] = {150, 110, 50, 60, 50, 75, 65, 75, 65};
    for (std::size_t c = 0; c < titles.size(); ++c) figuresList.InsertColumn(static_cast<int>(c), titles[c], widths[c]);
    if (touches_.empty()) {
        touchLabel.SetWindowText("No touch rung yet: ring, stand, and look again.");
        for (platform::Button* button : {&earlierTouchButton, &laterTouchButton, &earlierRowsButton, &laterRowsButton,
                                         &saveCsvButton, &savePngButton})
            button->EnableWindow(false);
        chart.SetDrawing(DrawChart(analysis_, {chart.Width(), chart.Height()}));
        return true;
    }
    ShowTouch(static_cast<int>(touches_.size()) - 1);
    return true;
}

void ReviewDialog::ShowTouch(int index) {
    const int count = static_cast<int>(touches_.size());
    if (index < 0 || index >= count) return;
    touchShown_ = index;
    analysis_ = AnalyseTouch(touches_[index]);
    touchLabel.SetWindowText(TouchLabel(touches_[index], analysis_, index, count, ringing_ && index == count - 1));
    earlierTouchButton.EnableWindow(index > 0);
    laterTouchButton.EnableWindow(index < count - 1);
    bandFigures.SetWindowText(BandSummary(analysis_));
    savedLabel.SetWindowText("");
    ShowFigures();
    ShowRows(0);
}

void ReviewDialog::ShowRows(int firstRow) {
    const int rows = static_cast<int>(analysis_.rows.size());
    const int perPage = RowsThatFit(chart.Height());
    firstRow_ = std::clamp(firstRow, 0, std::max(0, rows - perPage));
    chart.SetDrawing(DrawChart(analysis_, {chart.Width(), chart.Height(), firstRow_, OwnRinger()}));
    const int last = std::min(rows, firstRow_ + perPage);
    rowsLabel.SetWindowText("Rows " + std::to_string(rows == 0 ? 0 : firstRow_ + 1) + " to " + std::to_string(last) +
                            " of " + std::to_string(rows));
    earlierRowsButton.EnableWindow(firstRow_ > 0);
    laterRowsButton.EnableWindow(last < rows);
}

void ReviewDialog::ShowFigures() {
    figuresList.DeleteAllItems();
    auto addRow = [this](const std::vector<std::string>& cells) {
        const int row = figuresList.InsertItem(figuresList.GetItemCount(), cells[0]);
        for (std::size_t c = 1; c < cells.size(); ++c) figuresList.SetItemText(row, static_cast<int>(c), cells[c]);
    };
    for (const RingerFigures& ringer : analysis_.ringers)
        addRow(FigureCells(ringer.name.empty() ? "(nobody)" : ringer.name, ringer.bells, ringer.figures));
    for (const BellFigures& bell : analysis_.bellFigures) {
        std::string ringers;
        for (const std::string& name : bell.ringers) ringers += (ringers.empty() ? "" : ", ") + name;
        addRow(FigureCells("Bell " + std::to_string(bell.bell), ringers, bell.figures));
    }
}

int ReviewDialog::OwnRinger() const {
    if (touchShown_ < 0) return -1;
    const std::vector<std::string>& names = touches_[touchShown_].ringers;
    const auto own = std::find(names.begin(), names.end(), ownName_);
    return own == names.end() ? -1 : static_cast<int>(own - names.begin());
}
