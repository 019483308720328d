// Handles on the controls of a dialog, bound by control id. A handle owns
// nothing and holds no window of its own: every call finds the control in its
// dialog's window, so a handle whose window has gone does nothing. Texts are
// bytes (UTF-8).
#pragma once

#include <cstdint>
#include <string>

#include "platform/NativeHandle.h"

namespace platform {

class Dialog;
class Font;

class Control {
public:
    virtual ~Control() = default;
    void Attach(Dialog* dialog, int id);
    bool IsBound() const { return Handle() != nullptr; }
    int Id() const { return id_; }
    // The backend's control, or null when the dialog has no window.
    WindowHandle Handle() const;

    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void ShowWindow(bool show);
    // Visible as the control's own style says, whether or not its window is shown yet.
    bool IsWindowVisible() const;
    void EnableWindow(bool enable);
    void SetFocus();
    bool HasFocus() const;
    // The font must outlive the control's use of it.
    void SetFont(const Font& font);

protected:
    Dialog* dialog_ = nullptr;
    int id_ = 0;
};

// Push buttons, radio buttons and group boxes.
class Button : public Control {
public:
    void Click();
    // The pushed (sunken) look, as a mouse press shows it.
    void SetState(bool pushed);
    bool GetState() const;
    void SetCheck(bool checked);
    bool GetCheck() const;
};

class StaticText : public Control {};

class Edit : public Control {};

// A list view in report view: rows of texts per column, each row with item data.
class ListView : public Control {
public:
    using CompareFunction = int (*)(std::intptr_t data1, std::intptr_t data2, std::intptr_t param);

    void InsertColumn(int index, const std::string& title, int widthPixels);
    int GetColumnCount() const;
    std::string GetColumnTitle(int index) const;
    int GetItemCount() const;
    // Inserts a row at index (clamped to the row count) and returns its index.
    int InsertItem(int index, const std::string& text);
    void SetItemText(int row, int column, const std::string& text);
    std::string GetItemText(int row, int column) const;
    void SetItemData(int row, std::intptr_t data);
    std::intptr_t GetItemData(int row) const;
    void DeleteItem(int row);
    void DeleteAllItems();
    // Orders the rows with a compare function over their item data. The
    // function may read the rows while the sort runs: they stay in place
    // until the new order is known, and rows that compare equal keep theirs.
    void SortItems(CompareFunction compare, std::intptr_t param);
    // The row last selected, or -1.
    int GetSelectionMark() const;
    void SetSelectionMark(int row);
};

// A drop-down list; sorted case-insensitively when its template says so.
class ComboBox : public Control {
public:
    int AddString(const std::string& text);  // index of the new entry
    int GetCount() const;
    void SetCurSel(int index);  // -1 clears the selection
    int GetCurSel() const;
    std::string GetLBText(int index) const;
    bool IsSorted() const;
};

}  // namespace platform
