// Dialogs as Qt widgets: the template's controls placed in dialog units, the
// dialog keyboard rules applied by an event filter, timers as QTimers.
#include "platform/Dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <utility>
#include <vector>

#include "platform/Mnemonic.h"
#include "platform/qt/QtAccess.h"

namespace platform {

using qt::FromQt;
using qt::ToQt;

class DialogWindow;

struct Dialog::Native {
    QPointer<DialogWindow> window;
    std::vector<std::pair<int, QPointer<QWidget>>> controls;  // template order
    std::map<int, QPointer<QTimer>> timers;
    QEventLoop* loop = nullptr;
    int baseX = 6, baseY = 13;
};

// The backend's way into the dialog's private handlers.
struct DialogAccess {
    using Native = Dialog::Native;
    static Native& NativeOf(Dialog& dialog) { return *dialog.native_; }
    static void Command(Dialog& dialog, int id) { dialog.HandleCommand(id); }
    static void DoubleClick(Dialog& dialog, int id) { dialog.HandleDoubleClick(id); }
};

namespace {

bool TakesText(QWidget* w) {
    if (!w) return false;
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)) return true;
    auto* combo = qobject_cast<QComboBox*>(w);
    return combo && combo->isEditable();
}

// The dialog keyboard rules for a key pressed while `receiver` had the focus.
bool HandleKey(Dialog& dialog, QWidget* receiver, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    DialogAccess::Native& native = DialogAccess::NativeOf(dialog);
    if (key == Qt::Key_Escape) {
        DialogAccess::Command(dialog, IDCANCEL);
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (auto* focused = qobject_cast<QPushButton*>(receiver)) {
            focused->click();
            return true;
        }
        // The default button: the last push button of the template that carries the style.
        for (auto it = native.controls.rbegin(); it != native.controls.rend(); ++it) {
            auto* button = qobject_cast<QPushButton*>(it->second.data());
            if (button && button->property("tolmerDefault").toBool()) {
                if (!button->isHidden() && button->isEnabled()) button->click();
                return true;
            }
        }
        DialogAccess::Command(dialog, IDOK);
        return true;
    }
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    if (text.size() != 1 || !text[0].isPrint() || TakesText(receiver)) return false;
    const std::string typed = FromQt(text);
    if (typed.size() != 1) return false;
    for (auto& [id, widget] : native.controls) {
        auto* button = qobject_cast<QPushButton*>(widget.data());
        if (!button || button->isHidden() || !button->isEnabled()) continue;
        if (MatchesMnemonic(FromQt(button->text()), typed[0])) {
            button->click();
            return true;
        }
    }
    return false;
}

}  // namespace

// The top-level window of a dialog: turns the window system's events into the
// dialog's handlers.
class DialogWindow : public QWidget {
public:
    explicit DialogWindow(Dialog& dialog) : dialog_(dialog) { qApp->installEventFilter(this); }
    ~DialogWindow() override { qApp->removeEventFilter(this); }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        DialogAccess::Command(dialog_, IDCANCEL);
    }

    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::ActivationChange) dialog_.OnActivate(isActiveWindow());
        QWidget::changeEvent(event);
    }

    // The dialog looks at a key press before the control it was sent to does
    // (the focus control, or the window itself when it has none).
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !isVisible()) return false;
        auto* receiver = qobject_cast<QWidget*>(watched);
        if (!receiver || receiver->window() != this) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        return HandleKey(dialog_, receiver, key->key(), key->modifiers(), key->text());
    }

private:
    Dialog& dialog_;
};

namespace {

void DestroyWindow(DialogAccess::Native& native) {
    for (auto& [id, timer] : native.timers)
        if (timer) timer->stop();
    native.timers.clear();
    native.controls.clear();
    delete native.window.data();
    native.window = nullptr;
}

void FocusFirstTabStop(DialogAccess::Native& native) {
    for (auto& [id, widget] : native.controls) {
        if (widget && !widget->isHidden() && widget->isEnabled() && widget->focusPolicy() != Qt::NoFocus) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

// radioGroup: the group of radio buttons that the control joins, if it is one.
QWidget* MakeControl(Dialog& dialog, QWidget* parent, const ControlTemplate& c, QButtonGroup*& radioGroup) {
    const QString text = ToQt(c.text);
    switch (c.kind) {
    case ControlKind::PushButton: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        button->setDefault(c.style & kDefaultButton);
        button->setProperty("tolmerDefault", bool(c.style & kDefaultButton));
        QObject::connect(button, &QPushButton::clicked, parent,
                         [&dialog, id = c.id] { DialogAccess::Command(dialog, id); });
        return button;
    }
    case ControlKind::RadioButton: {
        auto* radio = new QRadioButton(text, parent);
        if (!radioGroup) radioGroup = new QButtonGroup(parent);
        radioGroup->addButton(radio);
        QObject::connect(radio, &QRadioButton::clicked, parent,
                         [&dialog, id = c.id] { DialogAccess::Command(dialog, id); });
        return radio;
    }
    case ControlKind::GroupBox: {
        auto* group = new QGroupBox(text, parent);
        group->setAttribute(Qt::WA_TransparentForMouseEvents);
        return group;
    }
    case ControlKind::Static: {
        auto* label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(c.style & kWordWrap);
        Qt::Alignment align = (c.style & kCentreText) ? Qt::AlignHCenter : Qt::AlignLeft;
        align |= (c.style & kVCentreText) ? Qt::AlignVCenter : Qt::AlignTop;
        label->setAlignment(align);
        return label;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(text, parent);
        edit->setMaxLength(30000);
        return edit;
    }
    case ControlKind::ListView: {
        auto* tree = new QTreeWidget(parent);
        tree->setRootIsDecorated(false);
        tree->setUniformRowHeights(true);
        tree->setAllColumnsShowFocus(true);
        tree->setSelectionMode(c.style & kSingleSelection ? QAbstractItemView::SingleSelection
                                                          : QAbstractItemView::ExtendedSelection);
        tree->setSelectionBehavior(QAbstractItemView::SelectRows);
        tree->setProperty("tolmerColumns", 0);
        tree->header()->setStretchLastSection(false);
        tree->setHeaderLabels({});
        QObject::connect(tree, &QTreeWidget::itemDoubleClicked, parent,
                         [&dialog, id = c.id] { DialogAccess::DoubleClick(dialog, id); });
        return tree;
    }
    case ControlKind::Canvas: return qt::MakeCanvasWidget(parent);
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(false);
        combo->setProperty("tolmerSorted", bool(c.style & kSorted));
        return combo;
    }
    }
    return nullptr;
}

}  // namespace

Dialog::Dialog(const DialogTemplate& dialogTemplate) : template_(dialogTemplate), native_(std::make_unique<Native>()) {}

Dialog::~Dialog() { DestroyWindow(*native_); }

WindowHandle Dialog::Handle() const { return qt::FromWidget(native_->window.data()); }

WindowHandle Dialog::ControlHandle(int id) const {
    for (auto& [cid, widget] : native_->controls)
        if (cid == id) return qt::FromWidget(widget.data());
    return nullptr;
}

Rect Dialog::DialogUnitsToPixels(int x, int y, int cx, int cy) const {
    const int bx = native_->baseX, by = native_->baseY;
    return Rect{x * bx / 4, y * by / 8, cx * bx / 4, cy * by / 8};
}

bool Dialog::Create() {
    if (created_) return true;
    created_ = true;
    ended_ = false;

    Native& native = *native_;
    DialogWindow* window = new DialogWindow(*this);
    native.window = window;
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (template_.minimizeBox)
        flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                Qt::WindowCloseButtonHint;
    window->setWindowFlags(flags);
    window->setWindowTitle(ToQt(template_.caption));

    // The dialog font sets the dialog units: x by a quarter of its average
    // character width, y by an eighth of its height.
    QFont font(ToQt(template_.fontFace));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(template_.fontPoints * 96 / 72);
    dialogFont_.Reset(qt::MakeFontHandle(font), true);
    window->setFont(font);
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    native.baseX = std::max(1, (letters / 26 + 1) / 2);
    native.baseY = std::max(1, metrics.height());
    const Rect size = DialogUnitsToPixels(0, 0, template_.cx, template_.cy);
    window->setFixedSize(size.cx, size.cy);

    // Radio buttons from one group start to the next are exclusive.
    QButtonGroup* radioGroup = nullptr;
    for (const ControlTemplate& c : template_.controls) {
        if (c.style & kGroupStart) radioGroup = nullptr;
        QWidget* widget = MakeControl(*this, window, c, radioGroup);
        // A combo's template height includes its drop-down list; the closed box is one line.
        Rect r = DialogUnitsToPixels(c.x, c.y, c.cx, c.cy);
        if (c.kind == ControlKind::ComboBox) r.cy = std::max(r.cy / 6, DialogUnitsToPixels(0, 0, 0, 12).cy);
        widget->setGeometry(r.x, r.y, r.cx, r.cy);
        widget->setFocusPolicy((c.style & kNoTabStop) || c.kind == ControlKind::Static ||
                                       c.kind == ControlKind::GroupBox || c.kind == ControlKind::Canvas
                                   ? Qt::NoFocus
                                   : Qt::StrongFocus);
        widget->setProperty("tolmerId", c.id);
        native.controls.emplace_back(c.id, widget);
        if (c.kind == ControlKind::ComboBox) {
            ComboBox combo;
            combo.Attach(this, c.id);
            for (const std::string& item : c.items) combo.AddString(item);
        }
    }

    const bool defaultFocus = OnInitDialog();
    if (ended_) return true;
    window->show();
    window->activateWindow();
    if (defaultFocus) FocusFirstTabStop(native);
    return true;
}

int Dialog::DoModal() {
    // The window that was active before, as the dialog's owner: it is
    // activated again when the dialog ends, so its keys and focus work at once.
    const QPointer<QWidget> owner = QApplication::activeWindow();
    Create();
    Native& native = *native_;
    if (!ended_) {
        native.window->setWindowModality(Qt::ApplicationModal);
        QEventLoop loop;
        native.loop = &loop;
        if (ModalHook()) {
            QTimer::singleShot(0, native.window, [this] {
                if (auto& hook = ModalHook(); hook && !ended_) hook(*this);
            });
        }
        if (!ended_) loop.exec();
        native.loop = nullptr;
    }
    DestroyWindow(native);
    if (owner && owner->isVisible()) owner->activateWindow();
    return result_;
}

void Dialog::EndDialog(int result) {
    result_ = result;
    ended_ = true;
    if (native_->window) native_->window->hide();
    if (native_->loop) native_->loop->quit();
}

void Dialog::SetTimer(int id, int milliseconds) {
    Native& native = *native_;
    if (!native.window) return;
    QPointer<QTimer>& timer = native.timers[id];
    if (!timer) {
        timer = new QTimer(native.window);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, native.window, [this, id] { OnTimer(id); });
    }
    timer->start(milliseconds);
}

void Dialog::KillTimer(int id) {
    auto it = native_->timers.find(id);
    if (it != native_->timers.end() && it->second) it->second->stop();
}

bool Dialog::IsTimerRunning(int id) const {
    auto it = native_->timers.find(id);
    return it != native_->timers.end() && it->second && it->second->isActive();
}

int Dialog::TimerRemainingMs(int id) const {
    auto it = native_->timers.find(id);
    return it != native_->timers.end() && it->second ? it->second->remainingTime() : -1;
}

void Dialog::SetIcons(const IconResource& icon) {
    if (!native_->window) return;
    QIcon both(QPixmap(icon.largeXpm));
    both.addPixmap(QPixmap(icon.smallXpm));
    native_->window->setWindowIcon(both);
}

}  // namespace platform
