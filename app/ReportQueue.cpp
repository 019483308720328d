#include "app/ReportQueue.h"

#include <algorithm>

bool ReportQueue::Add(Report report) {
    if (Holds(report.text) || waiting_.size() >= kMaxWaiting) return false;
    waiting_.push_back(std::move(report));
    return true;
}

std::optional<Report> ReportQueue::Next() {
    if (showing_ || waiting_.empty()) return std::nullopt;
    Report next = std::move(waiting_.front());
    waiting_.pop_front();
    showing_ = next.text;
    return next;
}

bool ReportQueue::Holds(const std::string& text) const {
    return showing_ == text ||
           std::any_of(waiting_.begin(), waiting_.end(), [&](const Report& r) { return r.text == text; });
}
