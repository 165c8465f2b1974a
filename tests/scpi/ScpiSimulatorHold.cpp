// The simulated analyzer falls silent: its answers are kept back until the test releases them.

#include <chrono>

#include "ScpiSimulator.h"

namespace kv::test {

void ScpiSimulator::HoldAfterSweeps(int sweeps) {
    std::lock_guard lock(mutex_);
    holdAfterSweeps_ = sweeps;
}

int ScpiSimulator::HeldAnswers() const {
    std::lock_guard lock(mutex_);
    return HeldCount();
}

bool ScpiSimulator::WaitUntilHolding(int limitMs) const {
    std::unique_lock lock(mutex_);
    return holding_.wait_for(lock, std::chrono::milliseconds(limitMs),
                             [this] { return HeldCount() > 0; });
}

}  // namespace kv::test
