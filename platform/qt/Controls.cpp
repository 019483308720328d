// Controls as Qt widgets, found through their dialog on every call.
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
#include "platform/qt/QtAccess.h"

namespace platform {

using qt::FromQt;
using qt::ToQt;

namespace {

template <typename T>
T* As(const Control& control) {
    return qobject_cast<T*>(qt::WidgetOf(control));
}

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

void Control::SetWindowText(const std::string& text) {
    QWidget* widget = qt::WidgetOf(*this);
    const QString q = ToQt(text);
    if (auto* b = qobject_cast<QAbstractButton*>(widget)) b->setText(q);
    else if (auto* g = qobject_cast<QGroupBox*>(widget)) g->setTitle(q);
    else if (auto* l = qobject_cast<QLabel*>(widget)) SetLabelText(l, text);
    else if (auto* e = qobject_cast<QLineEdit*>(widget)) e->setText(q);
    else if (widget) widget->setWindowTitle(q);
}

std::string Control::GetWindowText() const {
    QWidget* widget = qt::WidgetOf(*this);
    if (auto* b = qobject_cast<QAbstractButton*>(widget)) return FromQt(b->text());
    if (auto* g = qobject_cast<QGroupBox*>(widget)) return FromQt(g->title());
    if (auto* l = qobject_cast<QLabel*>(widget)) return LabelText(l);
    if (auto* e = qobject_cast<QLineEdit*>(widget)) return FromQt(e->text());
    return widget ? FromQt(widget->windowTitle()) : std::string();
}

void Control::ShowWindow(bool show) {
    if (QWidget* widget = qt::WidgetOf(*this)) widget->setVisible(show);
}

bool Control::IsWindowVisible() const {
    const QWidget* widget = qt::WidgetOf(*this);
    return widget && !widget->isHidden();
}

void Control::EnableWindow(bool enable) {
    if (QWidget* widget = qt::WidgetOf(*this)) widget->setEnabled(enable);
}

void Control::SetFocus() {
    if (QWidget* widget = qt::WidgetOf(*this)) widget->setFocus(Qt::OtherFocusReason);
}

bool Control::HasFocus() const {
    const QWidget* widget = qt::WidgetOf(*this);
    return widget && widget->hasFocus();
}

void Control::SetFont(const Font& font) {
    if (QWidget* widget = qt::WidgetOf(*this)) widget->setFont(qt::FontOf(font));
}

void Button::Click() {
    if (auto* b = As<QAbstractButton>(*this)) b->click();
}

void Button::SetState(bool pushed) {
    if (auto* b = As<QAbstractButton>(*this)) b->setDown(pushed);
}

bool Button::GetState() const {
    auto* b = As<QAbstractButton>(*this);
    return b && b->isDown();
}

void Button::SetCheck(bool checked) {
    if (auto* b = As<QAbstractButton>(*this)) b->setChecked(checked);
}

bool Button::GetCheck() const {
    auto* b = As<QAbstractButton>(*this);
    return b && b->isChecked();
}

// The row's item data rides in the first column's user role.
static constexpr int kItemDataRole = Qt::UserRole + 1;

void ListView::InsertColumn(int index, const std::string& title, int widthPixels) {
    QTreeWidget* tree = As<QTreeWidget>(*this);
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
    QTreeWidget* tree = As<QTreeWidget>(*this);
    return tree ? tree->property("tolmerColumns").toInt() : 0;
}

std::string ListView::GetColumnTitle(int index) const {
    QTreeWidget* tree = As<QTreeWidget>(*this);
    return tree ? FromQt(tree->headerItem()->text(index)) : std::string();
}

int ListView::GetItemCount() const {
    QTreeWidget* tree = As<QTreeWidget>(*this);
    return tree ? tree->topLevelItemCount() : 0;
}

int ListView::InsertItem(int index, const std::string& text) {
    QTreeWidget* tree = As<QTreeWidget>(*this);
    if (!tree) return -1;
    index = std::clamp(index, 0, tree->topLevelItemCount());
    auto* item = new QTreeWidgetItem;
    item->setText(0, ToQt(text));
    item->setData(0, kItemDataRole, QVariant::fromValue<qlonglong>(0));
    tree->insertTopLevelItem(index, item);
    return index;
}

void ListView::SetItemText(int row, int column, const std::string& text) {
    QTreeWidget* tree = As<QTreeWidget>(*this);
    if (!tree || row < 0 || row >= tree->topLevelItemCount()) return;
    tree->topLevelItem(row)->setText(column, ToQt(text));
}

std::string ListView::GetItemText(int row, int column) const {
    QTreeWidget* tree = As<QTreeWidget>(*this);
    if (!tree || row < 0 || row >= tree->topLevelItemCount()) return {};
    return FromQt(tree->topLevelItem(row)->text(column));
}

void ListView::SetItemData(int row, std::intptr_t data) {
    QTreeWidget* tree = As<QTreeWidget>(*this);
    if (!tree || row < 0 || row >= tree->topLevelItemCount()) return;
    tree->topLevelItem(row)->setData(0, kItemDataRole, QVariant::fromValue<qlonglong>(data));
}

std::intptr_t ListView::GetItemData(int row) const {
    QTreeWidget* tree = As<QTreeWidget>(*this);
    if (!tree || row < 0 || row >= tree->topLevelItemCount()) return 0;
    return static_cast<std::intptr_t>(tree->topLevelItem(row)->data(0, kItemDataRole).toLongLong());
}

void ListView::DeleteItem(int row) {
    QTreeWidget* tree = As<QTreeWidget>(*this);
    if (!tree || row < 0 || row >= tree->topLevelItemCount()) return;
    delete tree->takeTopLevelItem(row);
}

void ListView::DeleteAllItems() {
    if (QTreeWidget* tree = As<QTreeWidget>(*this)) tree->clear();
}

void ListView::SortItems(CompareFunction compare, std::intptr_t param) {
    QTreeWidget* tree = As<QTreeWidget>(*this);
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
    QTreeWidget* tree = As<QTreeWidget>(*this);
    if (!tree) return -1;
    QTreeWidgetItem* current = tree->currentItem();
    if (!current || !current->isSelected()) return -1;
    return tree->indexOfTopLevelItem(current);
}

void ListView::SetSelectionMark(int row) {
    QTreeWidget* tree = As<QTreeWidget>(*this);
    if (!tree) return;
    if (row < 0 || row >= tree->topLevelItemCount()) {
        tree->setCurrentItem(nullptr);
        tree->clearSelection();
        return;
    }
    tree->setCurrentItem(tree->topLevelItem(row));
    tree->topLevelItem(row)->setSelected(true);
}

bool ComboBox::IsSorted() const {
    QComboBox* combo = As<QComboBox>(*this);
    return combo && combo->property("tolmerSorted").toBool();
}

int ComboBox::AddString(const std::string& text) {
    QComboBox* combo = As<QComboBox>(*this);
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
    QComboBox* combo = As<QComboBox>(*this);
    return combo ? combo->count() : 0;
}

void ComboBox::SetCurSel(int index) {
    if (QComboBox* combo = As<QComboBox>(*this)) combo->setCurrentIndex(index < combo->count() ? index : -1);
}

int ComboBox::GetCurSel() const {
    QComboBox* combo = As<QComboBox>(*this);
    return combo ? combo->currentIndex() : -1;
}

std::string ComboBox::GetLBText(int index) const {
    QComboBox* combo = As<QComboBox>(*this);
    if (!combo || index < 0 || index >= combo->count()) return {};
    return FromQt(combo->itemText(index));
}

}  // namespace platform
