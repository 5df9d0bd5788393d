#include "tree/call_graph.h"

#include <cstdint>
#include <deque>
#include <limits>

namespace quenwick {

namespace {

constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();

// Turns per-item counts into the start of each item's run (one more at the end).
void countsToBegins(std::vector<std::size_t>& begins) {
  std::size_t total = 0;
  for (std::size_t& begin : begins) {
    std::size_t count = begin;
    begin = total;
    total += count;
  }
}

}  // namespace

CallGraph::CallGraph(FunctionTable& table) : table_(table) {
  auto& records = table.records();
  const std::size_t n = records.size();
  callBegin_.reserve(n + 1);
  callerBegin_.assign(n + 1, 0);
  nameBegin_.assign(table.nameCount() + 1, 0);
  for (FuncRecord& record : records) {
    callBegin_.push_back(calls_.size());
    ++nameBegin_[record.nameId];
    for (std::uint32_t name : table.Sons(record)) {
      FuncRecord* definition = nullptr;
      Call call;
      call.name = name;
      call.count = table.resolveCallee(name, record, definition);
      if (definition != nullptr) call.definition = definition->index;
      if (call.count == 1) ++callerBegin_[call.definition];
      calls_.push_back(call);
    }
  }
  callBegin_.push_back(calls_.size());

  // The transpose, callers in table order: a counting sort of the resolved calls.
  countsToBegins(callerBegin_);
  callers_.resize(callerBegin_[n]);
  std::vector<std::size_t> fill(callerBegin_.begin(), callerBegin_.end() - 1);
  for (std::uint32_t caller = 0; caller < n; ++caller) {
    for (const Call& call : calls(caller)) {
      if (call.count == 1) callers_[fill[call.definition]++] = caller;
    }
  }

  countsToBegins(nameBegin_);
  byName_.resize(n);
  std::vector<std::size_t> next(nameBegin_.begin(), nameBegin_.end() - 1);
  for (const FuncRecord& record : records) byName_[next[record.nameId]++] = record.index;
}

std::vector<bool> CallGraph::reaching(const std::vector<bool>& targets) const {
  std::vector<bool> marked(targets);
  std::vector<std::uint32_t> pending;
  for (std::uint32_t r = 0; r < size(); ++r) {
    if (marked[r]) pending.push_back(r);
  }
  while (!pending.empty()) {
    std::uint32_t r = pending.back();
    pending.pop_back();
    for (std::uint32_t caller : callers(r)) {
      if (!marked[caller]) {
        marked[caller] = true;
        pending.push_back(caller);
      }
    }
  }
  return marked;
}

// Strongly connected components of the resolved calls (Tarjan's algorithm with an
// explicit stack, so that chains of any length need no native stack).
std::vector<bool> CallGraph::recursive() const {
  const std::uint32_t n = size();
  std::vector<bool> inCycle(n, false);
  std::vector<std::uint32_t> order(n, kUnreached), low(n, 0);
  std::vector<bool> onStack(n, false);
  std::vector<std::uint32_t> stack;
  struct Frame {
    std::uint32_t record;
    std::size_t next;  // position of the next call to follow
  };
  std::vector<Frame> walk;
  std::uint32_t counter = 0;
  for (std::uint32_t start = 0; start < n; ++start) {
    if (order[start] != kUnreached) continue;
    walk.push_back({start, 0});
    order[start] = low[start] = counter++;
    stack.push_back(start);
    onStack[start] = true;
    while (!walk.empty()) {
      Frame& frame = walk.back();
      const std::uint32_t r = frame.record;
      auto out = calls(r);
      if (frame.next < out.size()) {
        const Call& call = out[frame.next++];
        if (call.count != 1) continue;
        const std::uint32_t s = call.definition;
        if (s == r) inCycle[r] = true;
        if (order[s] == kUnreached) {
          order[s] = low[s] = counter++;
          stack.push_back(s);
          onStack[s] = true;
          walk.push_back({s, 0});
        } else if (onStack[s]) {
          low[r] = std::min(low[r], order[s]);
        }
        continue;
      }
      walk.pop_back();
      if (!walk.empty()) {
        const std::uint32_t parent = walk.back().record;
        low[parent] = std::min(low[parent], low[r]);
      }
      if (low[r] != order[r]) continue;
      // r is the first of a component: pop it; two or more members form a cycle.
      std::size_t first = stack.size();
      do {
        --first;
        onStack[stack[first]] = false;
      } while (stack[first] != r);
      if (stack.size() - first > 1) {
        for (std::size_t i = first; i < stack.size(); ++i) inCycle[stack[i]] = true;
      }
      stack.resize(first);
    }
  }
  return inCycle;
}

std::vector<std::uint32_t> CallGraph::distances(const std::vector<std::uint32_t>& from,
                                                bool upwards) const {
  std::vector<std::uint32_t> distance(size(), kUnreached);
  std::deque<std::uint32_t> pending;
  for (std::uint32_t r : from) {
    if (distance[r] == kUnreached) {
      distance[r] = 0;
      pending.push_back(r);
    }
  }
  auto reach = [&](std::uint32_t s, std::uint32_t d) {
    if (distance[s] != kUnreached) return;
    distance[s] = d;
    pending.push_back(s);
  };
  while (!pending.empty()) {
    const std::uint32_t r = pending.front();
    pending.pop_front();
    if (upwards) {
      for (std::uint32_t caller : callers(r)) reach(caller, distance[r] + 1);
    } else {
      for (const Call& call : calls(r)) {
        if (call.count == 1) reach(call.definition, distance[r] + 1);
      }
    }
  }
  return distance;
}

}  // namespace quenwick
