#include "cscan/c_expander.h"

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace quenwick {

namespace {

/// The names a token must not expand as: those whose expansion made it, sorted.
/// The expansion keeps each set once and tokens point at theirs (null: none), so
/// that the tokens of a body share their set rather than each copying it.
using HideSet = const std::vector<std::string_view>*;

/// A token on its way through the expansion.
struct Item {
  PpToken token;            // the token
  HideSet hide = nullptr;   // the names it must not expand as
};

bool hides(HideSet set, std::string_view name) {
  return set != nullptr && std::binary_search(set->begin(), set->end(), name);
}

bool isPunct(const PpToken& token, std::string_view text) {
  return token.kind == PpToken::Punct && token.text == text;
}

/// The expansion of one token list.
class Expansion {
 public:
  Expansion(const MacroTable& macros, const ExpansionLimits& limits)
      : macros_(macros), limits_(limits) {}

  bool failed() const { return failed_; }

  std::vector<Item> expand(std::vector<Item> in, int depth) {
    std::vector<Item> out;
    if (depth > limits_.nesting) {
      failed_ = true;
      return in;
    }
    std::deque<Item> work(std::make_move_iterator(in.begin()), std::make_move_iterator(in.end()));
    while (!work.empty()) {
      if (++steps_ > limits_.steps || out.size() > limits_.tokens) {
        failed_ = true;
        out.insert(out.end(), std::make_move_iterator(work.begin()), std::make_move_iterator(work.end()));
        return out;
      }
      Item item = std::move(work.front());
      work.pop_front();
      if (item.token.kind != PpToken::Identifier || hides(item.hide, item.token.text)) {
        out.push_back(std::move(item));
        continue;
      }
      const MacroState& macro = macros_.find(item.token.text);
      if (macro.kind != MacroState::Defined || !macro.valueKnown) {
        out.push_back(std::move(item));
        continue;
      }
      if (!macro.functionLike) {
        const HideSet hide = with(item.hide, item.token.text);
        std::vector<Item> body = substitute(macro, {}, hide, item.token.spaceBefore, depth);
        work.insert(work.begin(), std::make_move_iterator(body.begin()),
                    std::make_move_iterator(body.end()));
        continue;
      }
      std::vector<std::vector<Item>> args;
      HideSet closing = nullptr;
      if (!takeArguments(work, macro, args, closing)) {
        out.push_back(std::move(item));
        continue;
      }
      const HideSet hide = with(intersection(item.hide, closing), item.token.text);
      std::vector<Item> body = substitute(macro, args, hide, item.token.spaceBefore, depth);
      work.insert(work.begin(), std::make_move_iterator(body.begin()),
                  std::make_move_iterator(body.end()));
    }
    return out;
  }

 private:
  // The arguments of a call whose "(" is first in `work`; they and the parentheses
  // are taken out of `work`. False, taking nothing, when no complete call follows.
  bool takeArguments(std::deque<Item>& work, const MacroState& macro,
                     std::vector<std::vector<Item>>& args, HideSet& closing) {
    if (work.empty() || !isPunct(work.front().token, "(")) return false;
    int depth = 0;
    std::size_t end = 0;
    for (; end < work.size(); ++end) {
      const PpToken& token = work[end].token;
      if (isPunct(token, "(")) ++depth;
      if (isPunct(token, ")") && --depth == 0) break;
    }
    if (end == work.size()) return false;
    const std::size_t fixed = macro.params.size() - (macro.variadic ? 1 : 0);
    args.assign(1, {});
    depth = 0;
    for (std::size_t i = 1; i < end; ++i) {
      Item& item = work[i];
      if (isPunct(item.token, "(")) ++depth;
      if (isPunct(item.token, ")")) --depth;
      if (depth == 0 && isPunct(item.token, ",") &&
          !(macro.variadic && args.size() > fixed)) {
        args.emplace_back();
        continue;
      }
      args.back().push_back(std::move(item));
    }
    closing = work[end].hide;
    work.erase(work.begin(), work.begin() + static_cast<std::ptrdiff_t>(end) + 1);
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

  static Item stringize(const std::vector<Item>& arg) {
    std::string text = "\"";
    for (std::size_t i = 0; i < arg.size(); ++i) {
      const PpToken& token = arg[i].token;
      if (i > 0 && token.spaceBefore) text += ' ';
      const bool quoted = token.kind == PpToken::String || token.kind == PpToken::Character;
      for (char c : token.text) {
        if (quoted && (c == '"' || c == '\\')) text += '\\';
        text += c;
      }
    }
    text += '"';
    return Item{PpToken{PpToken::String, text, false}, {}};
  }

  // Pastes `right` onto the last token of `out`.
  static void paste(std::vector<Item>& out, const Item& right) {
    if (out.empty() || out.back().token.kind == PpToken::Placemarker) {
      if (!out.empty()) out.pop_back();
      out.push_back(right);
      return;
    }
    if (right.token.kind == PpToken::Placemarker) return;
    const std::string text = out.back().token.text + right.token.text;
    std::vector<PpToken> made = tokenizeExpression(text);
    if (made.size() == 1) {
      made[0].spaceBefore = out.back().token.spaceBefore;
      out.back().token = std::move(made[0]);
    } else {
      out.push_back(right);  // no valid token: the compiler would refuse it
    }
  }

  std::vector<Item> substitute(const MacroState& macro, const std::vector<std::vector<Item>>& args,
                               const HideSet& hide, bool spaceBefore, int depth) {
    std::vector<PpToken> scratch;
    const std::vector<PpToken>& body = bodyTokens(macro.body, scratch);
    std::vector<Item> out;
    auto argument = [&](int p) -> const std::vector<Item>& {
      static const std::vector<Item> kEmpty;
      return static_cast<std::size_t>(p) < args.size() ? args[static_cast<std::size_t>(p)] : kEmpty;
    };
    for (std::size_t i = 0; i < body.size(); ++i) {
      const PpToken& token = body[i];
      if (macro.functionLike && isPunct(token, "#") && i + 1 < body.size() &&
          paramOf(macro, body[i + 1]) >= 0) {
        out.push_back(stringize(argument(paramOf(macro, body[i + 1]))));
        ++i;
        continue;
      }
      if (isPunct(token, "##") && i + 1 < body.size()) {
        const PpToken& right = body[++i];
        const int p = paramOf(macro, right);
        if (p < 0) {
          paste(out, Item{right, {}});
          continue;
        }
        const std::vector<Item>& arg = argument(p);
        if (arg.empty()) {
          // `, ## __VA_ARGS__` with no variable arguments loses its comma.
          if (right.text == "__VA_ARGS__" && !out.empty() && isPunct(out.back().token, ",")) {
            out.pop_back();
          } else {
            paste(out, Item{PpToken{PpToken::Placemarker, "", false}, {}});
          }
          continue;
        }
        paste(out, arg.front());
        out.insert(out.end(), arg.begin() + 1, arg.end());
        continue;
      }
      const int p = paramOf(macro, token);
      if (p >= 0) {
        const std::vector<Item>& arg = argument(p);
        if (i + 1 < body.size() && isPunct(body[i + 1], "##")) {
          if (arg.empty()) {
            out.push_back(Item{PpToken{PpToken::Placemarker, "", false}, {}});
          } else {
            out.insert(out.end(), arg.begin(), arg.end());
          }
          continue;
        }
        std::vector<Item> expanded = expand(arg, depth + 1);
        if (!expanded.empty()) expanded.front().token.spaceBefore = token.spaceBefore;
        out.insert(out.end(), std::make_move_iterator(expanded.begin()),
                   std::make_move_iterator(expanded.end()));
        continue;
      }
      out.push_back(Item{token, {}});
    }
    std::vector<Item> result;
    result.reserve(out.size());
    for (Item& item : out) {
      if (item.token.kind == PpToken::Placemarker) continue;
      item.hide = combined(item.hide, hide);
      result.push_back(std::move(item));
    }
    if (!result.empty()) result.front().token.spaceBefore = spaceBefore;
    return result;
  }

  // The hide sets, each kept once: sets made from sets are remembered by the
  // sets they came from, so a body's tokens, which mostly share theirs, make it
  // once.
  HideSet kept(std::vector<std::string_view> names) {
    if (names.empty()) return nullptr;
    auto [at, isNew] = byNames_.try_emplace(std::move(names), nullptr);
    if (isNew) at->second = &at->first;
    return at->second;
  }
  std::string_view interned(std::string_view name) {
    auto found = names_.find(name);
    if (found != names_.end()) return found->second;
    const std::string& copy = nameTexts_.emplace_back(name);
    names_.emplace(copy, copy);
    return copy;
  }
  /// `set` with `name` added.
  HideSet with(HideSet set, std::string_view name) {
    if (hides(set, name)) return set;
    auto key = std::make_pair(set, interned(name));
    auto found = withs_.find(key);
    if (found != withs_.end()) return found->second;
    std::vector<std::string_view> names = set != nullptr ? *set : std::vector<std::string_view>();
    names.insert(std::lower_bound(names.begin(), names.end(), key.second), key.second);
    return withs_[key] = kept(std::move(names));
  }
  using Pairs = std::map<std::pair<HideSet, HideSet>, HideSet>;
  /// What `make` gives of the names of `a` and `b` (neither null), made once.
  template <typename Make>
  HideSet madeOf(Pairs& made, HideSet a, HideSet b, Make make) {
    auto found = made.find({a, b});
    if (found != made.end()) return found->second;
    std::vector<std::string_view> names;
    make(a->begin(), a->end(), b->begin(), b->end(), std::back_inserter(names));
    return made[{a, b}] = kept(std::move(names));
  }
  /// The names of both `a` and `b`.
  HideSet combined(HideSet a, HideSet b) {
    if (a == nullptr || a == b) return b;
    if (b == nullptr) return a;
    return madeOf(unions_, a, b, [](auto... range) { return std::set_union(range...); });
  }
  /// The names that `a` and `b` share.
  HideSet intersection(HideSet a, HideSet b) {
    if (a == nullptr || b == nullptr) return nullptr;
    if (a == b) return a;
    return madeOf(intersections_, a, b, [](auto... range) { return std::set_intersection(range...); });
  }

  const MacroTable& macros_;
  const ExpansionLimits& limits_;
  std::size_t steps_ = 0;
  bool failed_ = false;
  std::deque<std::string> nameTexts_;                                    // the names of the sets
  std::unordered_map<std::string_view, std::string_view> names_;         // each, by its text
  std::map<std::vector<std::string_view>, HideSet> byNames_;             // every set (a node's key stays put)
  std::map<std::pair<HideSet, std::string_view>, HideSet> withs_;        // `with`, by its arguments
  Pairs unions_;                                                         // `combined`, by its arguments
  Pairs intersections_;                                                  // `intersection`, by its arguments
};

}  // namespace

bool expandMacros(const std::vector<PpToken>& tokens, const MacroTable& macros,
                  std::vector<PpToken>& out, const ExpansionLimits& limits) {
  Expansion expansion(macros, limits);
  std::vector<Item> in;
  in.reserve(tokens.size());
  for (const PpToken& token : tokens) in.push_back(Item{token, {}});
  std::vector<Item> expanded = expansion.expand(std::move(in), 0);
  out.clear();
  out.reserve(expanded.size());
  for (Item& item : expanded) out.push_back(std::move(item.token));
  return !expansion.failed();
}

}  // namespace quenwick
