#include "cscan/c_expander.h"

#include <algorithm>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace quenwick {

namespace {

/// A macro, by the place of its state in the table: while an expansion lasts the
/// table does not change, so each name has one, and sets of them compare as
/// numbers do.
using Macro = std::uintptr_t;

Macro macroOf(const MacroState& state) { return reinterpret_cast<std::uintptr_t>(&state); }

/// The macros a token must not expand as: those whose expansion made it, sorted.
/// The expansion keeps each set once and tokens point at theirs (null: none), so
/// that the tokens of a body share their set rather than each copying it.
using HideSet = const std::vector<Macro>*;

/// A token on its way through the expansion. Its text is a view of the tokens
/// expanded, of a macro's replacement as `bodyTokens` keeps it, or of a text
/// the expansion made (a string, a pasted token), all of which outlive the
/// expansion: a token is copied often, and copies nothing.
struct Item {
  std::string_view text;                   // its bytes
  PpToken::Kind kind = PpToken::Punct;     // what it is
  bool spaceBefore = false;                // a blank stood before it
  HideSet hide = nullptr;                  // the macros it must not expand as
};

/// Hashes for the maps of hide sets below: of a pair, and of a set's members.
std::uint64_t bitsOf(HideSet set) { return reinterpret_cast<std::uintptr_t>(set); }
std::uint64_t bitsOf(Macro macro) { return macro; }
struct PairHash {
  template <typename B>
  std::size_t operator()(const std::pair<HideSet, B>& pair) const {
    const std::uint64_t hash = (bitsOf(pair.first) * 0x9E3779B97F4A7C15ull) ^ bitsOf(pair.second);
    return static_cast<std::size_t>((hash ^ (hash >> 31)) * 0xBF58476D1CE4E5B9ull);
  }
};
struct SetHash {
  std::size_t operator()(const std::vector<Macro>& macros) const {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (Macro macro : macros) hash = (hash ^ macro) * 0x100000001b3ull;
    return static_cast<std::size_t>(hash ^ (hash >> 29));
  }
};

bool hides(HideSet set, Macro macro) {
  return set != nullptr && std::binary_search(set->begin(), set->end(), macro);
}

bool isPunct(const Item& item, char c) {
  return item.kind == PpToken::Punct && item.text.size() == 1 && item.text[0] == c;
}

bool isPunct(const PpToken& token, std::string_view text) {
  return token.kind == PpToken::Punct && token.text == text;
}

/// Lists of items done with, kept by each thread for the lists that come next:
/// an expansion makes and drops one or more per macro it expands.
std::vector<std::vector<Item>>& spareLists() {
  thread_local std::vector<std::vector<Item>> spare;
  return spare;
}

/// An empty list, with room from one done with when there is one.
std::vector<Item> takeList() {
  std::vector<std::vector<Item>>& spare = spareLists();
  if (spare.empty()) return {};
  std::vector<Item> list = std::move(spare.back());
  spare.pop_back();
  list.clear();
  return list;
}

/// Keeps `list`'s room for a list to come (not a large one: that room would stay taken).
void giveList(std::vector<Item>& list) {
  constexpr std::size_t kMostKept = 64, kLargestKept = 4096;
  std::vector<std::vector<Item>>& spare = spareLists();
  if (list.capacity() == 0 || list.capacity() > kLargestKept || spare.size() >= kMostKept) return;
  spare.push_back(std::move(list));
  list = std::vector<Item>();
}

void giveLists(std::vector<std::vector<Item>>& lists) {
  for (std::vector<Item>& list : lists) giveList(list);
}

/// The expansion of one token list.
class Expansion {
 public:
  Expansion(const MacroTable& macros, const ExpansionLimits& limits)
      : macros_(macros), limits_(limits) {}

  bool failed() const { return failed_; }

  /// An item for `token`, whose text outlives the expansion.
  static Item itemOf(const PpToken& token) {
    return Item{token.text, token.kind, token.spaceBefore, nullptr};
  }

  std::vector<Item> expand(const std::vector<Item>& in, int depth) {
    if (depth > limits_.nesting) {
      failed_ = true;
      return in;
    }
    std::vector<Item> out = takeList();
    out.reserve(in.size());
    // What is left to read, the next item last.
    std::vector<Item> work = takeList();
    work.reserve(2 * in.size());
    work.assign(in.rbegin(), in.rend());
    struct GiveBack {
      std::vector<Item>& work;
      ~GiveBack() { giveList(work); }
    } giveBack{work};
    while (!work.empty()) {
      if (++steps_ > limits_.steps || out.size() > limits_.tokens) {
        failed_ = true;
        out.insert(out.end(), work.rbegin(), work.rend());
        return out;
      }
      const Item item = work.back();
      work.pop_back();
      if (item.kind != PpToken::Identifier) {
        out.push_back(item);
        continue;
      }
      const MacroState& macro = macros_.find(item.text);
      if (macro.kind != MacroState::Defined || !macro.valueKnown || hides(item.hide, macroOf(macro))) {
        out.push_back(item);
        continue;
      }
      if (!macro.functionLike) {
        const HideSet hide = with(item.hide, macroOf(macro));
        std::vector<Item> body = substitute(macro, {}, hide, item.spaceBefore, depth);
        work.insert(work.end(), body.rbegin(), body.rend());
        giveList(body);
        continue;
      }
      std::vector<std::vector<Item>> args;
      HideSet closing = nullptr;
      if (!takeArguments(work, macro, args, closing)) {
        out.push_back(item);
        continue;
      }
      const HideSet hide = with(intersection(item.hide, closing), macroOf(macro));
      std::vector<Item> body = substitute(macro, args, hide, item.spaceBefore, depth);
      giveLists(args);
      work.insert(work.end(), body.rbegin(), body.rend());
      giveList(body);
    }
    return out;
  }

 private:
  // The arguments of a call whose "(" is next in `work` (its last item); they and
  // the parentheses are taken off `work`. False, taking nothing, when no complete
  // call follows.
  bool takeArguments(std::vector<Item>& work, const MacroState& macro,
                     std::vector<std::vector<Item>>& args, HideSet& closing) {
    if (work.empty() || !isPunct(work.back(), '(')) return false;
    int depth = 0;
    std::size_t end = work.size();  // the ")" is work[end - 1]
    for (; end > 0; --end) {
      const Item& item = work[end - 1];
      if (isPunct(item, '(')) ++depth;
      if (isPunct(item, ')') && --depth == 0) break;
    }
    if (end == 0) return false;
    const std::size_t fixed = macro.params.size() - (macro.variadic ? 1 : 0);
    args.clear();
    args.push_back(takeList());
    depth = 0;
    for (std::size_t i = work.size() - 1; i > end; --i) {
      const Item& item = work[i - 1];
      if (isPunct(item, '(')) ++depth;
      if (isPunct(item, ')')) --depth;
      if (depth == 0 && isPunct(item, ',') && !(macro.variadic && args.size() > fixed)) {
        args.push_back(takeList());
        continue;
      }
      args.back().push_back(item);
    }
    closing = work[end - 1].hide;
    work.resize(end - 1);
    if (macro.params.empty() && args.size() == 1 && args[0].empty()) args.clear();
    args.resize(std::max(args.size(), macro.params.size()));
    return true;
  }

  int paramOf(const MacroState& macro, const PpToken& token) const {
    if (token.kind != PpToken::Identifier) return -1;
    for (std::size_t i = 0; i < macro.params.size(); ++i) {
      if (macro.params[i] == token.text) return static_cast<int>(i);
    }
    return -1;
  }
  /// The parameter each token of `macro`'s `body` is (-1: none), found once per
  /// macro: a body is substituted again and again. Empty when it has none.
  const std::vector<int>& paramsOf(const MacroState& macro, const std::vector<PpToken>& body) {
    static const std::vector<int> kNone;
    if (macro.params.empty()) return kNone;
    auto [at, isNew] = paramIndexes_.try_emplace(macroOf(macro));
    if (isNew) {
      at->second.reserve(body.size());
      for (const PpToken& token : body) at->second.push_back(paramOf(macro, token));
    }
    return at->second;
  }

  /// A copy of `text` that lives as long as the expansion.
  std::string_view own(std::string text) { return texts_.emplace_back(std::move(text)); }

  Item stringize(const std::vector<Item>& arg) {
    std::string text = "\"";
    for (std::size_t i = 0; i < arg.size(); ++i) {
      const Item& token = arg[i];
      if (i > 0 && token.spaceBefore) text += ' ';
      const bool quoted = token.kind == PpToken::String || token.kind == PpToken::Character;
      for (char c : token.text) {
        if (quoted && (c == '"' || c == '\\')) text += '\\';
        text += c;
      }
    }
    text += '"';
    return Item{own(std::move(text)), PpToken::String, false, nullptr};
  }

  // Pastes `right` onto the last token of `out`.
  void paste(std::vector<Item>& out, const Item& right) {
    if (out.empty() || out.back().kind == PpToken::Placemarker) {
      if (!out.empty()) out.pop_back();
      out.push_back(right);
      return;
    }
    if (right.kind == PpToken::Placemarker) return;
    std::string text(out.back().text);
    text += right.text;
    std::vector<PpToken> made = tokenizeExpression(text);
    if (made.size() == 1) {
      Item& pasted = out.back();
      pasted.kind = made[0].kind;
      pasted.text = own(std::move(made[0].text));
    } else {
      out.push_back(right);  // no valid token: the compiler would refuse it
    }
  }

  std::vector<Item> substitute(const MacroState& macro, const std::vector<std::vector<Item>>& args,
                               const HideSet& hide, bool spaceBefore, int depth) {
    std::vector<PpToken> scratch;
    const std::vector<PpToken>* tokens = &bodyTokens(macro.body, scratch);
    // A body that the cache did not keep is kept here, as items view its texts.
    if (tokens == &scratch) tokens = &bodies_.emplace_back(std::move(scratch));
    const std::vector<PpToken>& body = *tokens;
    const std::vector<int>& params = paramsOf(macro, body);
    auto paramAt = [&](std::size_t i) { return params.empty() ? -1 : params[i]; };
    std::vector<Item> out = takeList();
    out.reserve(body.size() + 8);
    auto argument = [&](int p) -> const std::vector<Item>& {
      static const std::vector<Item> kEmpty;
      return static_cast<std::size_t>(p) < args.size() ? args[static_cast<std::size_t>(p)] : kEmpty;
    };
    // Each argument expanded once, however often its parameter stands in the body.
    std::vector<std::vector<Item>> expandedArgs(args.size());
    std::vector<bool> expandedYet(args.size(), false);
    for (std::size_t i = 0; i < body.size(); ++i) {
      const PpToken& token = body[i];
      if (macro.functionLike && isPunct(token, "#") && i + 1 < body.size() && paramAt(i + 1) >= 0) {
        out.push_back(stringize(argument(paramAt(i + 1))));
        ++i;
        continue;
      }
      if (isPunct(token, "##") && i + 1 < body.size()) {
        const PpToken& right = body[++i];
        const int p = paramAt(i);
        if (p < 0) {
          paste(out, itemOf(right));
          continue;
        }
        const std::vector<Item>& arg = argument(p);
        if (arg.empty()) {
          // `, ## __VA_ARGS__` with no variable arguments loses its comma.
          if (right.text == "__VA_ARGS__" && !out.empty() && isPunct(out.back(), ',')) {
            out.pop_back();
          } else {
            paste(out, Item{std::string_view(), PpToken::Placemarker, false, nullptr});
          }
          continue;
        }
        paste(out, arg.front());
        out.insert(out.end(), arg.begin() + 1, arg.end());
        continue;
      }
      const int p = paramAt(i);
      if (p >= 0) {
        const std::vector<Item>& arg = argument(p);
        if (i + 1 < body.size() && isPunct(body[i + 1], "##")) {
          if (arg.empty()) {
            out.push_back(Item{std::string_view(), PpToken::Placemarker, false, nullptr});
          } else {
            out.insert(out.end(), arg.begin(), arg.end());
          }
          continue;
        }
        const std::size_t at = out.size();
        if (static_cast<std::size_t>(p) < args.size()) {
          if (!expandedYet[static_cast<std::size_t>(p)]) {
            expandedArgs[static_cast<std::size_t>(p)] = expand(arg, depth + 1);
            expandedYet[static_cast<std::size_t>(p)] = true;
          }
          const std::vector<Item>& expanded = expandedArgs[static_cast<std::size_t>(p)];
          out.insert(out.end(), expanded.begin(), expanded.end());
        }
        if (out.size() > at) out[at].spaceBefore = token.spaceBefore;
        continue;
      }
      out.push_back(itemOf(token));
    }
    std::size_t left = 0;  // placemarkers go
    for (Item& item : out) {
      if (item.kind == PpToken::Placemarker) continue;
      item.hide = combined(item.hide, hide);
      out[left++] = item;
    }
    out.resize(left);
    if (!out.empty()) out.front().spaceBefore = spaceBefore;
    giveLists(expandedArgs);
    return out;
  }

  // The hide sets, each kept once: sets made from sets are remembered by the
  // sets they came from, so a body's tokens, which mostly share theirs, make it
  // once.
  HideSet kept(std::vector<Macro> macros) {
    if (macros.empty()) return nullptr;
    auto [at, isNew] = byNames_.try_emplace(std::move(macros), nullptr);
    if (isNew) at->second = &at->first;
    return at->second;
  }
  /// `set` with `macro` added.
  HideSet with(HideSet set, Macro macro) {
    if (hides(set, macro)) return set;
    auto key = std::make_pair(set, macro);
    auto found = withs_.find(key);
    if (found != withs_.end()) return found->second;
    std::vector<Macro> macros = set != nullptr ? *set : std::vector<Macro>();
    macros.insert(std::lower_bound(macros.begin(), macros.end(), macro), macro);
    return withs_[key] = kept(std::move(macros));
  }
  using Pairs = std::unordered_map<std::pair<HideSet, HideSet>, HideSet, PairHash>;
  /// What `make` gives of the members of `a` and `b` (neither null), made once.
  template <typename Make>
  HideSet madeOf(Pairs& made, HideSet a, HideSet b, Make make) {
    auto found = made.find({a, b});
    if (found != made.end()) return found->second;
    std::vector<Macro> macros;
    make(a->begin(), a->end(), b->begin(), b->end(), std::back_inserter(macros));
    return made[{a, b}] = kept(std::move(macros));
  }
  /// The members of both `a` and `b`.
  HideSet combined(HideSet a, HideSet b) {
    if (a == nullptr || a == b) return b;
    if (b == nullptr) return a;
    return madeOf(unions_, a, b, [](auto... range) { return std::set_union(range...); });
  }
  /// The members that `a` and `b` share.
  HideSet intersection(HideSet a, HideSet b) {
    if (a == nullptr || b == nullptr) return nullptr;
    if (a == b) return a;
    return madeOf(intersections_, a, b, [](auto... range) { return std::set_intersection(range...); });
  }

  const MacroTable& macros_;
  const ExpansionLimits& limits_;
  std::size_t steps_ = 0;
  bool failed_ = false;
  std::list<std::string> texts_;                                         // the texts the expansion made
  std::list<std::vector<PpToken>> bodies_;                               // the bodies it split itself
  std::unordered_map<std::vector<Macro>, HideSet, SetHash> byNames_;     // every set (a node's key stays put)
  std::unordered_map<std::pair<HideSet, Macro>, HideSet, PairHash> withs_;  // `with`, by its arguments
  std::unordered_map<Macro, std::vector<int>> paramIndexes_;             // `paramsOf`, by macro
  Pairs unions_;                                                         // `combined`, by its arguments
  Pairs intersections_;                                                  // `intersection`, by its arguments
};

}  // namespace

bool expandMacros(const std::vector<PpToken>& tokens, const MacroTable& macros,
                  std::vector<PpToken>& out, const ExpansionLimits& limits) {
  Expansion expansion(macros, limits);
  std::vector<Item> in = takeList();
  in.reserve(tokens.size());
  for (const PpToken& token : tokens) in.push_back(Expansion::itemOf(token));
  std::vector<Item> expanded = expansion.expand(in, 0);
  giveList(in);
  // `out` may be `tokens` itself, whose texts the items view.
  std::vector<PpToken> made;
  made.reserve(expanded.size());
  for (const Item& item : expanded) {
    made.push_back(PpToken{item.kind, std::string(item.text), item.spaceBefore});
  }
  giveList(expanded);
  out = std::move(made);
  return !expansion.failed();
}

}  // namespace quenwick
