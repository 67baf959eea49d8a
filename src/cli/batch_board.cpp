#include "cli/batch_board.h"

#include "cli/exit_codes.h"

#include <chrono>
#include <filesystem>

namespace sonarel::cli {

BatchBoard::BatchBoard(const BatchPlan& plan)
    : plan_(plan), results_(plan.files.size()), percent_(plan.files.size(), -1) {
}

std::optional<size_t> BatchBoard::Take() {
    std::lock_guard<std::mutex> hold(lock_);
    if (cancelled_ || next_ >= results_.size()) {
        return std::nullopt;
    }
    return next_++;
}

void BatchBoard::Progress(size_t file, int percent) {
    std::lock_guard<std::mutex> hold(lock_);
    percent_[file] = percent;
}

void BatchBoard::Finish(size_t file, BatchResult result) {
    std::lock_guard<std::mutex> hold(lock_);
    results_[file] = std::move(result);
    percent_[file] = 100;
    newly_ended_.push_back(file);
    ++ended_count_;
    ended_.notify_all();
}

void BatchBoard::Cancel() {
    std::lock_guard<std::mutex> hold(lock_);
    cancelled_ = true;
    for (; next_ < results_.size(); ++next_) {
        results_[next_] = {kExitCancelled, false, "cancelled before it started"};
        newly_ended_.push_back(next_);
        ++ended_count_;
    }
    ended_.notify_all();
}

bool BatchBoard::Cancelled() const {
    std::lock_guard<std::mutex> hold(lock_);
    return cancelled_;
}

bool BatchBoard::WaitForEnd(int timeout_ms) {
    std::unique_lock<std::mutex> hold(lock_);
    const size_t before = ended_count_;
    ended_.wait_for(hold, std::chrono::milliseconds(timeout_ms),
                    [&] { return ended_count_ != before || ended_count_ == results_.size(); });
    return ended_count_ == results_.size();
}

std::vector<size_t> BatchBoard::TakeEnded() {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<size_t> ended;
    ended.swap(newly_ended_);
    return ended;
}

int BatchBoard::OverallPercent() const {
    std::lock_guard<std::mutex> hold(lock_);
    double total = 0;
    double done = 0;
    for (size_t i = 0; i < results_.size(); ++i) {
        // An empty file still counts, so that a batch of them moves too.
        const double weight = static_cast<double>(plan_.files[i].inputBytes) + 1;
        total += weight;
        done += weight * (percent_[i] < 0 ? 0 : percent_[i]) / 100.0;
    }
    return total > 0 ? static_cast<int>(done * 100 / total) : 100;
}

size_t BatchBoard::EndedCount() const {
    std::lock_guard<std::mutex> hold(lock_);
    return ended_count_;
}

std::vector<std::string> BatchBoard::RunningNames() const {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<std::string> names;
    for (size_t i = 0; i < results_.size(); ++i) {
        if (percent_[i] >= 0 && results_[i].exitCode < 0) {
            names.push_back(std::filesystem::path(plan_.files[i].input).filename().string());
        }
    }
    return names;
}

} // namespace sonarel::cli
