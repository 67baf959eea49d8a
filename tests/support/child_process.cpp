#include "support/child_process.h"

namespace sonarel::test {

ProcessResult RunProcess(const std::vector<std::string>& args, const ChildOptions& options,
                         int timeout_ms) {
    ChildProcess child(args, options);
    return child.Finish(timeout_ms);
}

} // namespace sonarel::test
