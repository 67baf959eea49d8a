#include "fake_view.h"

#include <chrono>

namespace sonarel::test {

bool FakeView::PumpUntil(const std::function<bool()>& done, int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        queue_.WaitAndDispatch(20);
    }
    return done();
}

} // namespace sonarel::test
