// The boxes that the server's messages open, one at a time. A box keeps
// handling messages while it is open, so a server that keeps sending could
// otherwise open boxes inside boxes without end. A report that comes while a
// box is open waits until it closes; a text that is showing or waiting
// already is not repeated, and at most kMaxWaiting reports wait (later ones
// are dropped).
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

struct Report {
    std::string text;
    bool offerTowers = false;  // after the box, offer the Start/Join dialog again if not in a tower
};

class ReportQueue {
public:
    static constexpr std::size_t kMaxWaiting = 8;

    // False when the report is dropped.
    bool Add(Report report);
    // The next report to show, taken off the queue; nothing while a box is
    // open or when none waits. Closed() ends its box.
    std::optional<Report> Next();
    void Closed() { showing_.reset(); }

private:
    bool Holds(const std::string& text) const;

    std::optional<std::string> showing_;
    std::deque<Report> waiting_;
};
