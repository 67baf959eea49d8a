// What the conversions of a batch share with the thread that shows them: which file is next,
// how far each running one is, the results, and the cancel request. Every member takes the
// board's lock.
#pragma once

#include "cli/batch_plan.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace sonarel::cli {

struct BatchResult {
    int exitCode = -1;    // as a single conversion of the file would exit; -1 until it ended
    bool started = false; // its output was opened (a cancelled one keeps what was written)
    std::string text;     // the status text ("Done!", "Cancelled!") or what went wrong
};

class BatchBoard {
public:
    explicit BatchBoard(const BatchPlan& plan);

    // The next file to convert; none once all are taken or the batch is cancelled.
    std::optional<size_t> Take();
    // percent 0..100 of a file being converted (0 as it begins).
    void Progress(size_t file, int percent);
    void Finish(size_t file, BatchResult result);
    // Files not taken yet end as cancelled; running conversions see Cancelled().
    void Cancel();
    bool Cancelled() const;

    // For the showing thread: waits up to timeout_ms for a file to end; true when all have.
    bool WaitForEnd(int timeout_ms);
    // The files that ended since the last call, in the order they ended.
    std::vector<size_t> TakeEnded();
    // The overall percentage (by input size), the count of files ended, and the names of
    // those running.
    int OverallPercent() const;
    size_t EndedCount() const;
    std::vector<std::string> RunningNames() const;
    const BatchResult& Result(size_t file) const { return results_[file]; }

private:
    const BatchPlan& plan_;
    mutable std::mutex lock_; // guards everything below
    std::condition_variable ended_;
    std::vector<BatchResult> results_;
    std::vector<int> percent_; // -1: not started
    std::vector<size_t> newly_ended_;
    size_t next_ = 0;
    size_t ended_count_ = 0;
    bool cancelled_ = false;
};

} // namespace sonarel::cli
