// One `kalvex-cli decode` case as text: the reply handling of a single
// accepted reply, run from a fresh state, printed as
//
//   NAME VALUE        one line per gauge value set, in the order set
//   Memo1 TEXT        one line per fault list line (fault replies)
//   NextCommand N     always last
//
// or, for bad input, the single line "error MESSAGE". Pure: no I/O, text is
// appended to a caller-owned string so a long run reuses one buffer.
#pragma once

#include <string>
#include <string_view>

#include "decode/reply_handling.h"
#include "protocol/response.h"

namespace kalvex {

// Parses hex byte pairs ("6101FF" or "61 01 FF"; blanks and tabs only
// between bytes) into rb, from index 0, setting rb.length. On failure returns
// false with a message in `error`; rb is then unspecified but in bounds.
bool ParseHexBytes(std::string_view text, ResponseBytes& rb, std::string& error);

// Appends `value` as printf "%.9g" would, but with negative zero as "0".
void AppendGaugeValue(std::string& out, float value);

class DecodeCaseRunner {
 public:
  // Runs one case; appends its block (without the separating blank line).
  // Returns false when the block is an error line.
  bool run(int make, int ecu, int next, std::string_view hex, std::string& out);
  // Same for a line "M E N HEX" as `--stdin` reads it.
  bool runLine(std::string_view line, std::string& out);

 private:
  ResponseBytes rb_;
  ReplyState state_;
  std::string error_;
};

}  // namespace kalvex
