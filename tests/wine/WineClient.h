// The Windows client, tolmer.exe, run under Wine on the test's X display
// (xvfb-run) in a Wine virtual desktop: what its windows show is read with
// tolmer-probe.exe, and it is driven with xdotool as a user's keyboard and
// mouse would drive it.
//
// Set up by scripts/test.d/windows.sh, which names in the environment:
//   TOLMER_WINE           the 64-bit Wine loader (wine64)
//   TOLMER_WINDOWS_BUILD  the Windows build folder (tolmer-setup-*.exe,
//                         tests/win32/tolmer-probe.exe)
//   WINEPREFIX            a prefix whose virtual desktop is named "Tolmer"
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace winetest {

struct ControlView {
    int id = 0;
    std::string className;
    bool visible = false;
    int x = 0, y = 0, cx = 0, cy = 0;  // on the desktop
    std::string text;
};

// A top-level window as tolmer-probe printed it.
struct WindowView {
    std::string caption;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::vector<ControlView> controls;
    std::map<int, std::vector<std::vector<std::string>>> rows;  // list view id -> rows of cells

    const ControlView* Control(int id) const;
    std::string Text(int id) const;  // "" when there is no such control
    const std::vector<std::vector<std::string>>& Rows(int listId) const;
    // The cell of the row whose first cell is `first`; nullopt without such a row.
    std::optional<std::string> Cell(int listId, const std::string& first, int column) const;
};

// Parses tolmer-probe's output.
std::vector<WindowView> ParseProbe(const std::string& output);

struct WineSetup {
    std::string wine, build, prefix, installer, error;
    // False (with the reason in error) when the environment lacks a part.
    bool Load();
    // Runs the installer silently with these arguments besides /S; false
    // (with the reason in error) when it fails.
    bool Install(const std::vector<std::string>& arguments);
};

class WineClient {
public:
    // Starts the installed tolmer.exe as its Start-menu shortcut does: in
    // its folder, without arguments (nor TOLMER_SERVER).
    explicit WineClient(const WineSetup& setup);
    ~WineClient();  // ends every Wine process of the prefix
    WineClient(const WineClient&) = delete;
    WineClient& operator=(const WineClient&) = delete;

    // The visible top-level windows now.
    std::vector<WindowView> Windows() const;
    // Handles the test's own events until a window with this caption shows
    // and `ready` holds for it; that window, or nullopt after the timeout.
    std::optional<WindowView> WaitFor(const std::string& caption, const std::function<bool(const WindowView&)>& ready,
                                      int timeoutMs = 20000) const;

    // Keyboard and mouse, to whichever window of the desktop is active.
    bool Type(const std::string& text) const;
    bool Keys(const std::vector<std::string>& keys) const;  // X key names: Tab, Return, a...
    bool Click(const ControlView& control) const;           // its middle
    // Saves the window's picture as a PNG.
    bool Screenshot(const WindowView& window, const std::string& path) const;

    // The exit code once tolmer.exe has ended, or nullopt while it runs.
    std::optional<int> WaitForExit(int timeoutMs);
    const std::string& LogPath() const { return logPath_; }

private:
    bool Xdotool(std::vector<std::string> args) const;
    std::string DesktopWindow() const;

    WineSetup setup_;
    pid_t pid_ = -1;
    std::string logPath_;
};

}  // namespace winetest
