// Decoder tables as data. A make's decoder is an ordered list of guarded
// branches; each branch sets gauges row by row and may name the next request.
// Rows are written the way the decoder tables read:
//
//   {{VS_Nmot},          (B(13) * 40) / 100,       Round},
//   {{VS_Ub, VI_Ub},     B(20) * 0.05L + 5.2L,     None},
//   {{VS_TOG},           Round((B(14) * 191.2L) / 255) - 40, None},
//   {{VS_THR},           155 - (B(12) * 184) / 255, None},
//
// The engine that runs them is decode/decoder (Evaluate, Matches).
// Evaluation follows the expression strictly left to right: the integer part
// (a byte or word, products and sums with integer constants) is exact in
// 64 bits and signed, so B(10) - 40 goes negative. The first division or
// non-integer constant moves the value to long double, where the rest is done
// in the order written. Round is nearbyintl (ties to even under the default
// rounding mode). The float conversion comes last. Decimal constants must be
// long double literals (17.9L): a plain double literal does not compile, so
// no constant is silently held at double precision.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <span>
#include <type_traits>

#include "protocol/components.h"
#include "protocol/response.h"

// The tables' results are worked out at x87 extended precision; a long
// double of only 53 bits (MSVC, clang-cl without MinGW headers, AArch64
// Windows) rounds some values differently. Build there with MinGW-w64 or
// clang on MinGW instead.
static_assert(std::numeric_limits<long double>::digits >= 64,
              "Kalvex needs a long double of at least 64 mantissa bits (x87 extended "
              "precision): build with GCC or clang for MinGW-w64, not with MSVC");

namespace kalvex::table {

enum class OpKind : uint8_t { Mul, Div, Add, Sub, SubtractFrom, Round };

struct Op {
  OpKind kind = OpKind::Mul;
  bool integral = true;  // constant is an integer (stays exact)
  int64_t i = 0;
  long double x = 0;  // the constant as written, at extended precision
};

constexpr size_t kMaxOps = 6;

class Formula {
 public:
  static constexpr Formula Byte(int n) {
    CheckIndex(n);
    return Formula(static_cast<uint16_t>(n), 0, false);
  }
  static constexpr Formula Word(int high, int low) {
    CheckIndex(high);
    CheckIndex(low);
    return Formula(static_cast<uint16_t>(high), static_cast<uint16_t>(low), true);
  }

  constexpr Formula then(OpKind kind, int64_t k) const {
    return append(Op{kind, kind != OpKind::Div, k, static_cast<long double>(k)});
  }
  constexpr Formula then(OpKind kind, long double k) const { return append(Op{kind, false, 0, k}); }
  constexpr Formula rounded() const { return append(Op{OpKind::Round, true, 0, 0}); }

  // True when no step leaves the integers (no division, no decimal constant).
  constexpr bool integral() const {
    for (size_t n = 0; n < count_; ++n)
      if (!ops_[n].integral) return false;
    return true;
  }

  // The highest byte index the formula reads.
  constexpr int highestByte() const { return word_ && second_ > first_ ? second_ : first_; }

  // What the decoder's engine (decode/) reads.
  constexpr int firstByte() const { return first_; }
  constexpr int secondByte() const { return second_; }
  constexpr bool word() const { return word_; }
  constexpr std::span<const Op> ops() const { return {ops_.data(), count_}; }

 private:
  constexpr Formula(uint16_t first, uint16_t second, bool word)
      : first_(first), second_(second), word_(word) {}

  static constexpr void CheckIndex(int n) {
    if (n < 0 || n >= static_cast<int>(kResponseSize)) throw "byte index outside ResponseBytes";
  }
  constexpr Formula append(Op op) const {
    if (count_ >= kMaxOps) throw "formula too long";
    Formula f = *this;
    f.ops_[f.count_++] = op;
    return f;
  }

  uint16_t first_ = 0, second_ = 0;
  bool word_ = false;
  std::array<Op, kMaxOps> ops_{};
  uint8_t count_ = 0;
};

// B[n] and W(high, low), the high byte named first.
constexpr Formula B(int n) { return Formula::Byte(n); }
constexpr Formula W(int high, int low) { return Formula::Word(high, low); }

constexpr Formula operator*(Formula f, int k) { return f.then(OpKind::Mul, int64_t{k}); }
constexpr Formula operator/(Formula f, int k) { return f.then(OpKind::Div, int64_t{k}); }
constexpr Formula operator+(Formula f, int k) { return f.then(OpKind::Add, int64_t{k}); }
constexpr Formula operator-(Formula f, int k) { return f.then(OpKind::Sub, int64_t{k}); }
constexpr Formula operator-(int k, Formula f) { return f.then(OpKind::SubtractFrom, int64_t{k}); }
constexpr Formula operator*(Formula f, long double k) { return f.then(OpKind::Mul, k); }
constexpr Formula operator/(Formula f, long double k) { return f.then(OpKind::Div, k); }
constexpr Formula operator+(Formula f, long double k) { return f.then(OpKind::Add, k); }
constexpr Formula operator-(Formula f, long double k) { return f.then(OpKind::Sub, k); }
constexpr Formula operator-(long double k, Formula f) { return f.then(OpKind::SubtractFrom, k); }
// A double constant would lose the digits beyond double precision: write 17.9L.
Formula operator*(Formula, double) = delete;
Formula operator/(Formula, double) = delete;
Formula operator+(Formula, double) = delete;
Formula operator-(Formula, double) = delete;
Formula operator-(double, Formula) = delete;

// The rounding column of a row; Round also rounds an inner part:
// Round((B(14) * 191.2L) / 255) - 40.
struct RoundTag {
  constexpr Formula operator()(Formula f) const { return f.rounded(); }
};
enum class Rounding : uint8_t { None, Whole, Integer };
inline constexpr RoundTag Round{};
inline constexpr Rounding None = Rounding::None;
inline constexpr Rounding Integer = Rounding::Integer;  // checked: no fraction can arise

// A set of small indices (makes, ECU types) as a bit mask; empty means any.
// Built at compile time, so an index outside 0..63 does not compile.
struct IndexSet {
  uint64_t bits = 0;
  constexpr bool contains(int n) const {
    return bits == 0 || (n >= 0 && n < 64 && ((bits >> n) & 1u) != 0);
  }
};
constexpr IndexSet Set(std::initializer_list<int> items) {
  IndexSet s;
  for (int n : items) {
    if (n < 0 || n >= 64) throw "index outside a set";
    s.bits |= uint64_t{1} << n;
  }
  return s;
}

// One or two gauges that get the same value.
struct Targets {
  constexpr Targets(Component a) : first(a) {}
  constexpr Targets(Component a, Component b) : first(a), second(b), count(2) {}
  Component first;
  Component second = Component::VS_Speed;
  uint8_t count = 1;
};

struct Row {
  constexpr Row(Targets t, Formula f, Rounding r, IndexSet only = {})
      : to(t), formula(f), ecus(only) {
    if (r == Rounding::Integer && !f.integral()) throw "row marked integer has a fraction";
  }
  constexpr Row(Targets t, Formula f, RoundTag, IndexSet only = {})
      : to(t), formula(f.rounded()), ecus(only) {}
  Targets to;
  Formula formula;
  // Where one layout serves several ECU types that differ in a few rows:
  // the types this row applies to (empty = every type of the branch).
  IndexSet ecus;
};
// The row applies only to these ECU types: Only({2, 3}).
constexpr IndexSet Only(std::initializer_list<int> ecus) { return Set(ecus); }

// What a matching branch does to the request: nothing, NextCommand only, or
// NextCommand with NextRequest set to the ELM327 text of the same entry.
struct Next {
  enum Kind : uint8_t { Keep, CommandOnly, CommandAndText };
  Kind kind = Keep;
  uint8_t command = 0;
};
inline constexpr Next KeepRequest{};
constexpr Next Request(uint8_t n) { return {Next::CommandAndText, n}; }
constexpr Next Command(uint8_t n) { return {Next::CommandOnly, n}; }

inline constexpr int kAny = -1;

// A conjunction: the make and the ECU type in their sets (an empty make set
// is any make: most tables serve one make only), B[0] == sid, and B[1]/B[2]
// where given (kAny = not tested).
struct Guard {
  IndexSet ecus;
  int sid = 0;
  int id1 = kAny, id2 = kAny;
  IndexSet makes;

  // The same guard, for the listed makes only (tables that several makes share).
  constexpr Guard ForMakes(std::initializer_list<int> list) const {
    Guard g = *this;
    g.makes = Set(list);
    return g;
  }
};
constexpr Guard Ecu(int ecu, int sid, int id1 = kAny, int id2 = kAny) {
  return {Set({ecu}), sid, id1, id2, {}};
}
constexpr Guard EcuRange(int from, int to, int sid, int id1 = kAny, int id2 = kAny) {
  IndexSet s;
  for (int n = from; n <= to; ++n) s = IndexSet{s.bits | Set({n}).bits};
  return {s, sid, id1, id2, {}};
}
// "ECU type 2, 3 or 5"
constexpr Guard Ecus(std::initializer_list<int> ecus, int sid, int id1 = kAny, int id2 = kAny) {
  return {Set(ecus), sid, id1, id2, {}};
}

struct Branch {
  Guard guard;
  std::span<const Row> rows;
  Next next;
};

// The branches of a make, in test order; empty for any index out of range.
// The tables themselves stand in the make files under catalogue/makes/.
std::span<const Branch> BranchesOf(int make);

}  // namespace kalvex::table
