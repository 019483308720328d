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
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include "platform/Mnemonic.h"
#include "platform/Text.h"

namespace platform {

namespace {
std::function<void(Dialog&)>& ModalHook() {
    static std::function<void(Dialog&)> hook;
    return hook;
}

bool TakesText(QWidget* w) {
    if (!w) return false;
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)) return true;
    auto* combo = qobject_cast<QComboBox*>(w);
    return combo && combo->isEditable();
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
        dialog_.HandleCommand(IDCANCEL);
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
        return dialog_.HandleKey(receiver, key->key(), key->modifiers(), key->text());
    }

private:
    Dialog& dialog_;
};

Dialog::Dialog(const DialogTemplate& dialogTemplate) : template_(dialogTemplate) {}

Dialog::~Dialog() { DestroyWindow(); }

void Dialog::SetModalHook(std::function<void(Dialog&)> hook) { ModalHook() = std::move(hook); }

QWidget* Dialog::Widget() const { return window_.data(); }

QRect Dialog::DialogUnitsToPixels(int x, int y, int cx, int cy) const {
    return QRect(x * baseX_ / 4, y * baseY_ / 8, cx * baseX_ / 4, cy * baseY_ / 8);
}

void Dialog::BuildWindow() {
    window_ = new DialogWindow(*this);
    window_->setAttribute(Qt::WA_DeleteOnClose, false);
    Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (template_.minimizeBox)
        flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                Qt::WindowCloseButtonHint;
    window_->setWindowFlags(flags);
    window_->setWindowTitle(ToQt(template_.caption));

    // The dialog font sets the dialog units: x by a quarter of its average
    // character width, y by an eighth of its height.
    QFont font(ToQt(template_.fontFace));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(template_.fontPoints * 96 / 72);
    dialogFont_.Set(font);
    window_->setFont(font);
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = std::max(1, (letters / 26 + 1) / 2);
    baseY_ = std::max(1, metrics.height());
    const QRect size = DialogUnitsToPixels(0, 0, template_.cx, template_.cy);
    window_->setFixedSize(size.width(), size.height());

    // Radio buttons from one group start to the next are exclusive.
    QButtonGroup* radioGroup = nullptr;
    for (const ControlTemplate& c : template_.controls) {
        if (c.style & kGroupStart) radioGroup = nullptr;
        QWidget* widget = nullptr;
        const QString text = ToQt(c.text);
        switch (c.kind) {
        case ControlKind::PushButton: {
            auto* button = new QPushButton(text, window_);
            button->setAutoDefault(false);
            button->setDefault(c.style & kDefaultButton);
            button->setProperty("tolmerDefault", bool(c.style & kDefaultButton));
            QObject::connect(button, &QPushButton::clicked, window_, [this, id = c.id] { HandleCommand(id); });
            widget = button;
            break;
        }
        case ControlKind::RadioButton: {
            auto* radio = new QRadioButton(text, window_);
            if (!radioGroup) radioGroup = new QButtonGroup(window_);
            radioGroup->addButton(radio);
            QObject::connect(radio, &QRadioButton::clicked, window_, [this, id = c.id] { HandleCommand(id); });
            widget = radio;
            break;
        }
        case ControlKind::GroupBox: {
            auto* group = new QGroupBox(text, window_);
            group->setAttribute(Qt::WA_TransparentForMouseEvents);
            widget = group;
            break;
        }
        case ControlKind::Static: {
            auto* label = new QLabel(text, window_);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(c.style & kWordWrap);
            Qt::Alignment align = (c.style & kCentreText) ? Qt::AlignHCenter : Qt::AlignLeft;
            align |= (c.style & kVCentreText) ? Qt::AlignVCenter : Qt::AlignTop;
            label->setAlignment(align);
            widget = label;
            break;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(text, window_);
            edit->setMaxLength(30000);
            widget = edit;
            break;
        }
        case ControlKind::ListView: {
            auto* tree = new QTreeWidget(window_);
            tree->setRootIsDecorated(false);
            tree->setUniformRowHeights(true);
            tree->setAllColumnsShowFocus(true);
            tree->setSelectionMode(c.style & kSingleSelection ? QAbstractItemView::SingleSelection
                                                              : QAbstractItemView::ExtendedSelection);
            tree->setSelectionBehavior(QAbstractItemView::SelectRows);
            tree->setProperty("tolmerColumns", 0);
            tree->header()->setStretchLastSection(false);
            tree->setHeaderLabels({});
            QObject::connect(tree, &QTreeWidget::itemDoubleClicked, window_, [this, id = c.id] {
                auto it = doubleClicks_.find(id);
                if (it != doubleClicks_.end()) it->second();
            });
            widget = tree;
            break;
        }
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(window_);
            combo->setEditable(false);
            combo->setProperty("tolmerSorted", bool(c.style & kSorted));
            widget = combo;
            break;
        }
        }
        // A combo's template height includes its drop-down list; the closed box is one line.
        QRect r = DialogUnitsToPixels(c.x, c.y, c.cx, c.cy);
        if (c.kind == ControlKind::ComboBox)
            r.setHeight(std::max(r.height() / 6, DialogUnitsToPixels(0, 0, 0, 12).height()));
        widget->setGeometry(r);
        widget->setFocusPolicy((c.style & kNoTabStop) || c.kind == ControlKind::Static ||
                                       c.kind == ControlKind::GroupBox
                                   ? Qt::NoFocus
                                   : Qt::StrongFocus);
        widget->setProperty("tolmerId", c.id);
        controls_.emplace_back(c.id, widget);
        if (c.kind == ControlKind::ComboBox) {
            ComboBox combo;
            combo.Attach(widget, c.id);
            for (const std::string& item : c.items) combo.AddString(item);
        }
    }
}

bool Dialog::Create() {
    if (created_) return true;
    created_ = true;
    ended_ = false;
    BuildWindow();
    const bool defaultFocus = OnInitDialog();
    if (ended_) return true;
    window_->show();
    window_->activateWindow();
    if (defaultFocus) FocusFirstTabStop();
    return true;
}

int Dialog::DoModal() {
    // The window that was active before, as the dialog's owner: it is
    // activated again when the dialog ends, so its keys and focus work at once.
    const QPointer<QWidget> owner = QApplication::activeWindow();
    Create();
    if (!ended_) {
        window_->setWindowModality(Qt::ApplicationModal);
        QEventLoop loop;
        loop_ = &loop;
        if (ModalHook()) {
            QTimer::singleShot(0, window_, [this] {
                if (auto& hook = ModalHook(); hook && !ended_) hook(*this);
            });
        }
        if (!ended_) loop.exec();
        loop_ = nullptr;
    }
    DestroyWindow();
    if (owner && owner->isVisible()) owner->activateWindow();
    return result_;
}

void Dialog::EndDialog(int result) {
    result_ = result;
    ended_ = true;
    if (window_) window_->hide();
    if (loop_) loop_->quit();
}

void Dialog::DestroyWindow() {
    for (auto& [id, timer] : timers_)
        if (timer) timer->stop();
    timers_.clear();
    items_.clear();
    controls_.clear();
    delete window_.data();
    window_ = nullptr;
}

bool Dialog::OnInitDialog() {
    DoDataExchange();
    return true;
}

void Dialog::FocusFirstTabStop() {
    for (auto& [id, widget] : controls_) {
        if (widget && !widget->isHidden() && widget->isEnabled() && widget->focusPolicy() != Qt::NoFocus) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void Dialog::Bind(Control& member, int id) {
    for (auto& [cid, widget] : controls_) {
        if (cid == id) {
            member.Attach(widget, id);
            return;
        }
    }
}

Control* Dialog::GetDlgItem(int id) {
    auto it = items_.find(id);
    if (it != items_.end()) return it->second.get();
    for (auto& [cid, widget] : controls_) {
        if (cid != id) continue;
        auto control = std::make_unique<Control>();
        control->Attach(widget, id);
        return items_.emplace(id, std::move(control)).first->second.get();
    }
    return nullptr;
}

void Dialog::SendCommand(int id) { HandleCommand(id); }

void Dialog::MapCommand(int id, std::function<void()> handler) { commands_[id] = std::move(handler); }

void Dialog::MapDoubleClick(int id, std::function<void()> handler) { doubleClicks_[id] = std::move(handler); }

void Dialog::HandleCommand(int id) {
    auto it = commands_.find(id);
    if (it != commands_.end()) {
        // The handler may end the dialog or open another: keep it alive while it runs.
        const std::function<void()> handler = it->second;
        handler();
    } else if (id == IDOK) {
        OnOK();
    } else if (id == IDCANCEL) {
        OnCancel();
    }
}

bool Dialog::HandleKey(QWidget* receiver, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    if (key == Qt::Key_Escape) {
        HandleCommand(IDCANCEL);
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (auto* focused = qobject_cast<QPushButton*>(receiver)) {
            focused->click();
            return true;
        }
        // The default button: the last push button of the template that carries the style.
        for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
            auto* button = qobject_cast<QPushButton*>(it->second.data());
            if (button && button->property("tolmerDefault").toBool()) {
                if (!button->isHidden() && button->isEnabled()) button->click();
                return true;
            }
        }
        HandleCommand(IDOK);
        return true;
    }
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    if (text.size() != 1 || !text[0].isPrint() || TakesText(receiver)) return false;
    const std::string typed = FromQt(text);
    if (typed.size() != 1) return false;
    for (auto& [id, widget] : controls_) {
        auto* button = qobject_cast<QPushButton*>(widget.data());
        if (!button || button->isHidden() || !button->isEnabled()) continue;
        if (MatchesMnemonic(FromQt(button->text()), typed[0])) {
            button->click();
            return true;
        }
    }
    return false;
}

void Dialog::SetTimer(int id, int milliseconds) {
    if (!window_) return;
    QPointer<QTimer>& timer = timers_[id];
    if (!timer) {
        timer = new QTimer(window_);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, window_, [this, id] { OnTimer(id); });
    }
    timer->start(milliseconds);
}

void Dialog::KillTimer(int id) {
    auto it = timers_.find(id);
    if (it != timers_.end() && it->second) it->second->stop();
}

bool Dialog::IsTimerRunning(int id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second && it->second->isActive();
}

int Dialog::TimerRemainingMs(int id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second ? it->second->remainingTime() : -1;
}

void Dialog::SetIcons(const QIcon& big, const QIcon& small) {
    if (!window_) return;
    QIcon icon = big;
    for (const QSize& s : small.availableSizes()) icon.addPixmap(small.pixmap(s));
    window_->setWindowIcon(icon);
}

}  // namespace platform
