#include "platform/Controls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <vector>

#include "platform/Font.h"
#include "platform/Text.h"

namespace platform {

namespace {
// A static text breaks its lines at "\r\n" as well as at "\n". The label
// shows one line break for each, and keeps the bytes it was given so that
// reading the text back returns them unchanged (even a cut UTF-8 sequence).
constexpr char kLabelBytes[] = "tolmerBytes";
constexpr char kLabelShown[] = "tolmerShown";

void SetLabelText(QLabel* label, const std::string& text) {
    QString shown = ToQt(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    label->setText(shown);
    label->setProperty(kLabelBytes, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    label->setProperty(kLabelShown, shown);
}

std::string LabelText(const QLabel* label) {
    // Bytes set through here, unless the label's text was changed another way since.
    const QVariant bytes = label->property(kLabelBytes);
    if (bytes.isValid() && label->property(kLabelShown).toString() == label->text())
        return bytes.toByteArray().toStdString();
    return FromQt(label->text());
}
}  // namespace

void Control::Attach(QWidget* widget, int id) {
    widget_ = widget;
    id_ = id;
}

void Control::SetWindowText(const std::string& text) {
    const QString q = ToQt(text);
    if (auto* b = qobject_cast<QAbstractButton*>(widget_)) b->setText(q);
    else if (auto* g = qobject_cast<QGroupBox*>(widget_)) g->setTitle(q);
    else if (auto* l = qobject_cast<QLabel*>(widget_)) SetLabelText(l, text);
    else if (auto* e = qobject_cast<QLineEdit*>(widget_)) e->setText(q);
    else if (widget_) widget_->setWindowTitle(q);
}

std::string Control::GetWindowText() const {
    if (auto* b = qobject_cast<QAbstractButton*>(widget_)) return FromQt(b->text());
    if (auto* g = qobject_cast<QGroupBox*>(widget_)) return FromQt(g->title());
    if (auto* l = qobject_cast<QLabel*>(widget_)) return LabelText(l);
    if (auto* e = qobject_cast<QLineEdit*>(widget_)) return FromQt(e->text());
    return widget_ ? FromQt(widget_->windowTitle()) : std::string();
}

void Control::ShowWindow(bool show) {
    if (widget_) widget_->setVisible(show);
}

bool Control::IsWindowVisible() const {
    // Visible as the control's own style says, whether or not its window is shown yet.
    return widget_ && !widget_->isHidden();
}

void Control::EnableWindow(bool enable) {
    if (widget_) widget_->setEnabled(enable);
}

void Control::SetFocus() {
    if (widget_) widget_->setFocus(Qt::OtherFocusReason);
}

bool Control::HasFocus() const { return widget_ && widget_->hasFocus(); }

void Control::SetFont(const Font& font) {
    if (widget_) widget_->setFont(font.Get());
}

void Button::Click() {
    if (auto* b = qobject_cast<QAbstractButton*>(widget_)) b->click();
}

void Button::SetState(bool pushed) {
    if (auto* b = qobject_cast<QAbstractButton*>(widget_)) b->setDown(pushed);
}

bool Button::GetState() const {
    auto* b = qobject_cast<QAbstractButton*>(widget_);
    return b && b->isDown();
}

void Button::SetCheck(bool checked) {
    if (auto* b = qobject_cast<QAbstractButton*>(widget_)) b->setChecked(checked);
}

bool Button::GetCheck() const {
    auto* b = qobject_cast<QAbstractButton*>(widget_);
    return b && b->isChecked();
}

// The row's item data rides in the first column's user role.
static constexpr int kItemDataRole = Qt::UserRole + 1;

QTreeWidget* ListView::Tree() const { return qobject_cast<QTreeWidget*>(widget_); }

void ListView::InsertColumn(int index, const std::string& title, int widthPixels) {
    QTreeWidget* tree = Tree();
    if (!tree) return;
    QTreeWidgetItem* header = tree->headerItem();
    const int count = tree->property("tolmerColumns").toInt();
    index = std::clamp(index, 0, count);
    QStringList titles;
    for (int c = 0; c < count; ++c) titles << header->text(c);
    titles.insert(index, ToQt(title));
    tree->setColumnCount(count + 1);
    tree->setHeaderLabels(titles);
    tree->setProperty("tolmerColumns", count + 1);
    tree->setColumnWidth(index, widthPixels);
}

int ListView::GetColumnCount() const {
    QTreeWidget* tree = Tree();
    return tree ? tree->property("tolmerColumns").toInt() : 0;
}

std::string ListView::GetColumnTitle(int index) const {
    QTreeWidget* tree = Tree();
    return tree ? FromQt(tree->headerItem()->text(index)) : std::string();
}

int ListView::GetItemCount() const {
    QTreeWidget* tree = Tree();
    return tree ? tree->topLevelItemCount() : 0;
}

int ListView::InsertItem(int index, const std::string& text) {
    QTreeWidget* tree = Tree();
    if (!tree) return -1;
    index = std::clamp(index, 0, tree->topLevelItemCount());
    auto* item = new QTreeWidgetItem;
    item->setText(0, ToQt(text));
    item->setData(0, kItemDataRole, QVariant::fromValue<qlonglong>(0));
    tree->insertTopLevelItem(index, item);
    return index;
}

void ListView::SetItemText(int row, int column, const std::string& text) {
    QTreeWidget* tree = Tree();
    if (!tree || row < 0 || row >= tree->topLevelItemCount()) return;
    tree->topLevelItem(row)->setText(column, ToQt(text));
}

std::string ListView::GetItemText(int row, int column) const {
    QTreeWidget* tree = Tree();
    if (!tree || row < 0 || row >= tree->topLevelItemCount()) return {};
    return FromQt(tree->topLevelItem(row)->text(column));
}

void ListView::SetItemData(int row, std::intptr_t data) {
    QTreeWidget* tree = Tree();
    if (!tree || row < 0 || row >= tree->topLevelItemCount()) return;
    tree->topLevelItem(row)->setData(0, kItemDataRole, QVariant::fromValue<qlonglong>(data));
}

std::intptr_t ListView::GetItemData(int row) const {
    QTreeWidget* tree = Tree();
    if (!tree || row < 0 || row >= tree->topLevelItemCount()) return 0;
    return static_cast<std::intptr_t>(tree->topLevelItem(row)->data(0, kItemDataRole).toLongLong());
}

void ListView::DeleteItem(int row) {
    QTreeWidget* tree = Tree();
    if (!tree || row < 0 || row >= tree->topLevelItemCount()) return;
    delete tree->takeTopLevelItem(row);
}

void ListView::DeleteAllItems() {
    if (QTreeWidget* tree = Tree()) tree->clear();
}

void ListView::SortItems(CompareFunction compare, std::intptr_t param) {
    QTreeWidget* tree = Tree();
    if (!tree) return;
    // The compare function may read the rows while the sort runs, so the rows
    // stay in place until the new order is known.
    const int count = tree->topLevelItemCount();
    std::vector<QTreeWidgetItem*> items;
    items.reserve(count);
    for (int i = 0; i < count; ++i) items.push_back(tree->topLevelItem(i));
    auto dataOf = [](QTreeWidgetItem* item) {
        return static_cast<std::intptr_t>(item->data(0, kItemDataRole).toLongLong());
    };
    std::stable_sort(items.begin(), items.end(),
                     [&](QTreeWidgetItem* a, QTreeWidgetItem* b) { return compare(dataOf(a), dataOf(b), param) < 0; });
    QTreeWidgetItem* current = tree->currentItem();
    for (int i = count - 1; i >= 0; --i) tree->takeTopLevelItem(i);
    for (QTreeWidgetItem* item : items) tree->addTopLevelItem(item);
    if (current) tree->setCurrentItem(current);
}

int ListView::GetSelectionMark() const {
    QTreeWidget* tree = Tree();
    if (!tree) return -1;
    QTreeWidgetItem* current = tree->currentItem();
    if (!current || !current->isSelected()) return -1;
    return tree->indexOfTopLevelItem(current);
}

void ListView::SetSelectionMark(int row) {
    QTreeWidget* tree = Tree();
    if (!tree) return;
    if (row < 0 || row >= tree->topLevelItemCount()) {
        tree->setCurrentItem(nullptr);
        tree->clearSelection();
        return;
    }
    tree->setCurrentItem(tree->topLevelItem(row));
    tree->topLevelItem(row)->setSelected(true);
}

QComboBox* ComboBox::Combo() const { return qobject_cast<QComboBox*>(widget_); }

bool ComboBox::IsSorted() const {
    QComboBox* combo = Combo();
    return combo && combo->property("tolmerSorted").toBool();
}

int ComboBox::AddString(const std::string& text) {
    QComboBox* combo = Combo();
    if (!combo) return -1;
    const QString q = ToQt(text);
    int index = combo->count();
    if (IsSorted()) {
        // Keep the list ordered case-insensitively; a new entry goes after its equals.
        index = 0;
        while (index < combo->count() && q.compare(combo->itemText(index), Qt::CaseInsensitive) >= 0) ++index;
    }
    const int selected = combo->currentIndex();
    combo->insertItem(index, q);
    // Inserting must not move the selection onto another entry.
    combo->setCurrentIndex(selected >= index && selected >= 0 ? selected + 1 : selected);
    return index;
}

int ComboBox::GetCount() const {
    QComboBox* combo = Combo();
    return combo ? combo->count() : 0;
}

void ComboBox::SetCurSel(int index) {
    if (QComboBox* combo = Combo()) combo->setCurrentIndex(index < combo->count() ? index : -1);
}

int ComboBox::GetCurSel() const {
    QComboBox* combo = Combo();
    return combo ? combo->currentIndex() : -1;
}

std::string ComboBox::GetLBText(int index) const {
    QComboBox* combo = Combo();
    if (!combo || index < 0 || index >= combo->count()) return {};
    return FromQt(combo->itemText(index));
}

}  // namespace platform
