// The Windows client, tolmer.exe, installed by its installer and run under
// Wine on the test's X display (xvfb-run) in a Wine virtual desktop: what its
// windows show is read with tolmer-probe.exe, and it is driven with xdotool
// as a user's keyboard and mouse would drive it.
//
// Set up by scripts/test.d/windows.sh, which names in the environment:
//   TOLMER_WINE           the 64-bit Wine loader (wine64)
//   TOLMER_WINDOWS_BUILD  the Windows build folder (tolmer-setup-*.exe,
//                         tests/win32/tolmer-probe.exe)
//   WINEPREFIX            a prefix whose virtual desktop is named "Tolmer"
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/EventLoop.h"
#include "tests/support/ServerProcess.h"

namespace winetest {

using testsupport::RunProgram;

struct ControlView {
    bool visible = false;
    int x = 0, y = 0, cx = 0, cy = 0;  // on the desktop
    std::string text;                  // tabs and line breaks as blanks
};

// A top-level window as tolmer-probe prints it.
struct WindowView {
    std::string caption;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::map<int, ControlView> controls;                        // by id
    std::map<int, std::vector<std::vector<std::string>>> rows;  // list view id -> rows of cells

    // "" without such a control.
    std::string Text(int id) const { return controls.contains(id) ? controls.at(id).text : ""; }
    // The cell of the row whose first cell is `first`; "" without one.
    std::string Cell(int listId, const std::string& first, int column) const {
        if (rows.contains(listId))
            for (const auto& row : rows.at(listId))
                if (static_cast<int>(row.size()) > column && row[0] == first) return row[column];
        return {};
    }
};

// The windows in tolmer-probe's lines (tests/win32/Probe.cpp).
inline std::vector<WindowView> ParseProbe(const std::string& output) {
    std::vector<WindowView> windows;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream in(line);
        std::string kind, rest;
        int id = 0;
        const auto restOfLine = [&] {  // after the blank that follows the words read
            in.get();
            std::getline(in, rest);
            return rest;
        };
        if (in >> kind && kind == "window") {
            WindowView& w = windows.emplace_back();
            in >> w.x >> w.y >> w.cx >> w.cy;
            w.caption = restOfLine();
        } else if (kind == "control" && !windows.empty() && in >> id) {
            ControlView& c = windows.back().controls[id];
            in >> c.visible >> c.x >> c.y >> c.cx >> c.cy;
            c.text = restOfLine();
        } else if (kind == "row" && !windows.empty() && in >> id) {
            std::istringstream cells(restOfLine());
            auto& row = windows.back().rows[id].emplace_back();
            for (std::string cell; std::getline(cells, cell, '\t');) row.push_back(cell);
        }
    }
    return windows;
}

class WineClient {
public:
    // False when the environment lacks a part that windows.sh sets.
    bool Ready() const { return !wine_.empty() && !build_.empty() && !prefix_.empty() && !Env("DISPLAY").empty(); }
    // Ends every Wine process of the prefix: the client, the desktop, services.
    ~WineClient() {
        if (!wine_.empty()) RunProgram(Wineserver(), {"-k"});
    }

    // Runs the installer silently with these arguments besides /S.
    bool Install(const std::vector<std::string>& arguments) {
        std::vector<std::string> args{"/S"};
        for (const auto& entry : std::filesystem::directory_iterator(build_))
            if (entry.path().filename().string().starts_with("tolmer-setup-"))
                args.insert(args.begin(), entry.path().string());
        args.insert(args.end(), arguments.begin(), arguments.end());
        const int exitCode = RunProgram(wine_, args, std::chrono::seconds(120)).exitCode;
        // The installer's helpers end after it: wait for every Wine process.
        RunProgram(Wineserver(), {"-w"}, std::chrono::seconds(60));
        return exitCode == 0;
    }

    // Starts the installed tolmer.exe as its Start-menu shortcut does: in its
    // folder, which holds its sounds, without arguments (nor TOLMER_SERVER).
    bool Start() {
        ::unsetenv("TOLMER_SERVER");
        const auto here = std::filesystem::current_path();
        std::filesystem::current_path(prefix_ + "/drive_c/Program Files/Tolmer");
        const bool started = client_.Start(wine_, {"C:\\Program Files\\Tolmer\\tolmer.exe"});
        std::filesystem::current_path(here);
        return started;
    }
    // Its exit code once it has ended; -1 while it still runs after the timeout.
    int WaitForExit(std::chrono::milliseconds timeout) { return client_.Wait(timeout); }
    std::string Log() const { return client_.Out() + client_.Err(); }

    // The visible top-level windows now.
    std::vector<WindowView> Windows() const {
        return ParseProbe(RunProgram(wine_, {build_ + "/tests/win32/tolmer-probe.exe"}).out);
    }
    // Handles the test's own events until a window with this caption shows
    // and `ready` holds for it; that window, or nullopt after 20 s.
    std::optional<WindowView> WaitFor(const std::string& caption,
                                      const std::function<bool(const WindowView&)>& ready) const {
        std::optional<WindowView> found;
        platform::PumpUntil(
            [&] {
                for (WindowView& window : Windows())
                    if (window.caption == caption && ready(window)) found = std::move(window);
                return found.has_value();
            },
            20000);
        return found;
    }

    // Keyboard and mouse, to whichever window of the desktop is active.
    bool Type(const std::string& text) const { return Xdotool({"type", "--delay", "40", text}); }
    bool Keys(std::vector<std::string> keys) const {  // X key names: Tab, Return, a...
        keys.insert(keys.begin(), {"key", "--delay", "60"});
        return Xdotool(keys);
    }
    // Clicks the middle of the control.
    bool Click(const WindowView& window, int id) const {
        if (!window.controls.contains(id)) return false;
        const ControlView& c = window.controls.at(id);
        return Xdotool({"mousemove", "--window", DesktopWindow(), "--sync", std::to_string(c.x + c.cx / 2),
                        std::to_string(c.y + c.cy / 2), "click", "1"});
    }
    // Saves the window's picture as a PNG.
    bool Screenshot(const WindowView& w, const std::string& path) const {
        const std::string crop =
            std::to_string(w.cx) + "x" + std::to_string(w.cy) + "+" + std::to_string(w.x) + "+" + std::to_string(w.y);
        return RunProgram("/usr/bin/env", {"import", "-window", DesktopWindow(), "-crop", crop, "+repage", path})
                   .exitCode == 0;
    }

private:
    static std::string Env(const char* name) {
        const char* value = std::getenv(name);
        return value ? value : "";
    }
    std::string Wineserver() const { return wine_.substr(0, wine_.rfind('/')) + "/wineserver"; }
    std::string DesktopWindow() const {
        const auto found = RunProgram("/usr/bin/env", {"xdotool", "search", "--name", "^Tolmer - Wine desktop$"}).out;
        return found.substr(0, found.find('\n'));
    }
    bool Xdotool(std::vector<std::string> args) const {
        // The X focus on the desktop: Wine passes the keys to its active window.
        args.insert(args.begin(), {"xdotool", "windowfocus", "--sync", DesktopWindow()});
        return RunProgram("/usr/bin/env", args).exitCode == 0;
    }

    const std::string wine_ = Env("TOLMER_WINE"), build_ = Env("TOLMER_WINDOWS_BUILD"), prefix_ = Env("WINEPREFIX");
    testsupport::ProgramProcess client_;
};

}  // namespace winetest
