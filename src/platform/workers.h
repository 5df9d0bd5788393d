// Work spread over the machine's cores, with the results taken in order.
#pragma once

#include <cstddef>
#include <functional>

namespace quenwick {

/// The number of threads worth running at once on this machine (at least 1).
unsigned workerCount();

/// Runs `work(i)` for every i below `count` on up to `threads` threads, and
/// `take(i)` on the calling thread for each i in increasing order, as soon as
/// `work(i)` is done. At most `window` results wait to be taken, so work never
/// runs far ahead. An exception thrown by `work` or `take` stops the rest and is
/// thrown again here once every thread has ended.
void runInOrder(std::size_t count, unsigned threads, std::size_t window,
                const std::function<void(std::size_t)>& work,
                const std::function<void(std::size_t)>& take);

}  // namespace quenwick
