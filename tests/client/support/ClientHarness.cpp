#include "tests/client/support/ClientHarness.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <algorithm>

#include "platform/MessageBox.h"
#include "platform/Process.h"

namespace testsupport {

MessageBoxRecorder::MessageBoxRecorder() {
    platform::SetMessageBoxHook([this](const std::string& text) { texts_.push_back(text); });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    platform::SetMessageBoxHook(nullptr);
}

bool MessageBoxRecorder::Saw(const std::string& text) const {
    return std::find(texts_.begin(), texts_.end(), text) != texts_.end();
}

DialogScript::DialogScript() {
    platform::Dialog::SetModalHook([this](platform::Dialog& dialog) {
        ++opened_;
        if (next_ < static_cast<int>(actions_.size())) {
            const Action action = actions_[next_++];
            action(dialog);
        } else {
            dialog.OnCancel();
        }
    });
}

DialogScript::~DialogScript() {
    platform::Dialog::SetModalHook(nullptr);
}

WindowUnderTest::WindowUnderTest(const std::string& commandLine) {
    std::string line = commandLine;
    std::vector<char*> argv;
    std::vector<std::string> words;
    for (std::size_t start = 0; start <= line.size();) {
        const std::size_t blank = line.find(' ', start);
        words.push_back(line.substr(start, blank == std::string::npos ? std::string::npos : blank - start));
        if (blank == std::string::npos) break;
        start = blank + 1;
    }
    for (std::string& w : words) argv.push_back(w.data());
    platform::SetCommandLine(static_cast<int>(argv.size()), argv.data());
    window_ = std::make_unique<TowerWindow>();
    window_->serverPort = peer_.Port();
    window_->Create();
}

WindowUnderTest::~WindowUnderTest() {
    window_.reset();
}

bool WindowUnderTest::WaitForConnection(int timeoutMs) {
    return platform::PumpUntil([this] { return peer_.Accept(); }, timeoutMs);
}

std::string WindowUnderTest::TakeBytes(std::size_t n, int timeoutMs) {
    platform::PumpUntil([&] { return peer_.ReadAvailable().size() >= n; }, timeoutMs);
    return peer_.Take(n);
}

bool WindowUnderTest::SendAndWait(const MessageBuffer& message, const std::function<bool()>& done, int timeoutMs) {
    peer_.Send(message);
    return platform::PumpUntil(done, timeoutMs);
}

std::string SaveScreenshot(QWidget* widget, const std::string& name) {
    const QString dir = QStringLiteral(TOLMER_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    const QString path = dir + "/" + QString::fromStdString(name) + ".png";
    if (!widget || !widget->grab().save(path)) return {};
    return path.toStdString();
}

}  // namespace testsupport
