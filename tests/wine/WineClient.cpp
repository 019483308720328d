#include "tests/wine/WineClient.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "platform/EventLoop.h"
#include "tests/support/ServerProcess.h"

namespace winetest {

namespace {

bool IsFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The program's path on PATH, or "" when it is not there.
std::string Which(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (IsFile(folder + "/" + program) && ::access((folder + "/" + program).c_str(), X_OK) == 0)
            return folder + "/" + program;
    return {};
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 't' ? '\t' : next == 'r' ? '\r' : next == 'n' ? '\n' : next;
    }
    return out;
}

// The free text at the end of a line, after the one blank that follows the words read.
std::string Rest(std::istringstream& in) {
    in.get();
    std::string rest;
    std::getline(in, rest);
    return rest;
}

std::vector<std::string> Cells(const std::string& text) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = text.find('\t', start);
        cells.push_back(Unescape(text.substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
        if (tab == std::string::npos) return cells;
        start = tab + 1;
    }
}

}  // namespace

const ControlView* WindowView::Control(int id) const {
    for (const ControlView& c : controls)
        if (c.id == id) return &c;
    return nullptr;
}

std::string WindowView::Text(int id) const {
    const ControlView* c = Control(id);
    return c ? c->text : std::string();
}

const std::vector<std::vector<std::string>>& WindowView::Rows(int listId) const {
    static const std::vector<std::vector<std::string>> none;
    auto it = rows.find(listId);
    return it == rows.end() ? none : it->second;
}

std::optional<std::string> WindowView::Cell(int listId, const std::string& first, int column) const {
    for (const auto& row : Rows(listId))
        if (!row.empty() && row[0] == first && column < static_cast<int>(row.size())) return row[column];
    return std::nullopt;
}

std::vector<WindowView> ParseProbe(const std::string& output) {
    std::vector<WindowView> windows;
    std::stringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream in(line);
        std::string kind, handle;
        in >> kind;
        if (kind == "window") {
            WindowView w;
            if (!(in >> handle >> w.x >> w.y >> w.cx >> w.cy)) continue;
            w.caption = Unescape(Rest(in));
            windows.push_back(w);
        } else if (kind == "control" && !windows.empty()) {
            ControlView c;
            int visible = 0;
            if (in >> c.id >> c.className >> visible >> c.x >> c.y >> c.cx >> c.cy) {
                c.visible = visible == 1;
                c.text = Unescape(Rest(in));
                windows.back().controls.push_back(c);
            }
        } else if (kind == "row" && !windows.empty()) {
            int id = 0, row = 0;
            if (in >> id >> row) windows.back().rows[id].push_back(Cells(Rest(in)));
        }
    }
    return windows;
}

bool WineSetup::Load() {
    const char* w = std::getenv("TOLMER_WINE");
    const char* b = std::getenv("TOLMER_WINDOWS_BUILD");
    const char* p = std::getenv("WINEPREFIX");
    if (!w || !b || !p || !std::getenv("DISPLAY")) {
        error = "needs TOLMER_WINE, TOLMER_WINDOWS_BUILD, WINEPREFIX and DISPLAY (scripts/test.d/windows.sh sets them)";
        return false;
    }
    wine = w;
    build = b;
    prefix = p;
    for (const auto& entry : std::filesystem::directory_iterator(build))
        if (entry.path().filename().string().starts_with("tolmer-setup-")) installer = entry.path().string();
    for (const std::string& file : {wine, installer, build + "/tests/win32/tolmer-probe.exe"}) {
        if (!IsFile(file)) {
            error = "missing " + (file.empty() ? build + "/tolmer-setup-*.exe" : file);
            return false;
        }
    }
    for (const char* tool : {"xdotool", "import"}) {
        if (Which(tool).empty()) {
            error = std::string("missing ") + tool;
            return false;
        }
    }
    return true;
}

bool WineSetup::Install(const std::vector<std::string>& arguments) {
    std::vector<std::string> args{installer, "/S"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    const auto install = testsupport::RunProgram(wine, args, std::chrono::seconds(120));
    // The installer's helpers end after it: wait for every Wine process.
    testsupport::RunProgram(wine.substr(0, wine.rfind('/')) + "/wineserver", {"-w"}, std::chrono::seconds(60));
    if (install.exitCode != 0) error = "the silent install exited with " + std::to_string(install.exitCode);
    return install.exitCode == 0;
}

WineClient::WineClient(const WineSetup& setup) : setup_(setup) {
    logPath_ = setup_.build + "/tolmer-under-wine.log";
    const std::string folder = setup_.prefix + "/drive_c/Program Files/Tolmer";
    pid_ = ::fork();
    if (pid_ == 0) {
        const int log = ::open(logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (log >= 0) {
            ::dup2(log, STDOUT_FILENO);
            ::dup2(log, STDERR_FILENO);
        }
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        ::unsetenv("TOLMER_SERVER");
        ::execl(setup_.wine.c_str(), setup_.wine.c_str(), "C:\\Program Files\\Tolmer\\tolmer.exe",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
}

WineClient::~WineClient() {
    // Every Wine process of the prefix: the client, the desktop, services.
    const std::string folder = setup_.wine.substr(0, setup_.wine.rfind('/'));
    testsupport::RunProgram(folder + "/wineserver", {"-k"});
    if (pid_ > 0 && !WaitForExit(5000)) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

std::vector<WindowView> WineClient::Windows() const {
    const auto probe = testsupport::RunProgram(setup_.wine, {setup_.build + "/tests/win32/tolmer-probe.exe"});
    return ParseProbe(probe.out);
}

std::optional<WindowView> WineClient::WaitFor(const std::string& caption,
                                              const std::function<bool(const WindowView&)>& ready,
                                              int timeoutMs) const {
    std::optional<WindowView> found;
    platform::PumpUntil(
        [&] {
            for (WindowView& window : Windows()) {
                if (window.caption == caption && ready(window)) {
                    found = std::move(window);
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

std::string WineClient::DesktopWindow() const {
    const auto search = testsupport::RunProgram(Which("xdotool"), {"search", "--name", "^Tolmer - Wine desktop$"});
    return search.out.substr(0, search.out.find('\n'));
}

bool WineClient::Xdotool(std::vector<std::string> args) const {
    const std::string desktop = DesktopWindow();
    if (desktop.empty()) return false;
    // The X focus on the desktop: Wine passes the keys to its active window.
    args.insert(args.begin(), {"windowfocus", "--sync", desktop});
    return testsupport::RunProgram(Which("xdotool"), args).exitCode == 0;
}

bool WineClient::Type(const std::string& text) const { return Xdotool({"type", "--delay", "40", text}); }

bool WineClient::Keys(const std::vector<std::string>& keys) const {
    std::vector<std::string> args{"key", "--delay", "60"};
    args.insert(args.end(), keys.begin(), keys.end());
    return Xdotool(args);
}

bool WineClient::Click(const ControlView& control) const {
    const std::string desktop = DesktopWindow();
    return Xdotool({"mousemove", "--window", desktop, "--sync", std::to_string(control.x + control.cx / 2),
                    std::to_string(control.y + control.cy / 2), "click", "1"});
}

bool WineClient::Screenshot(const WindowView& window, const std::string& path) const {
    const std::string desktop = DesktopWindow();
    if (desktop.empty()) return false;
    const std::string crop = std::to_string(window.cx) + "x" + std::to_string(window.cy) + "+" +
                             std::to_string(window.x) + "+" + std::to_string(window.y);
    return testsupport::RunProgram(Which("import"), {"-window", desktop, "-crop", crop, "+repage", path}).exitCode == 0;
}

std::optional<int> WineClient::WaitForExit(int timeoutMs) {
    if (pid_ <= 0) return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        platform::PumpFor(20);
    }
}

}  // namespace winetest
