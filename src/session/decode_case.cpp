#include "session/decode_case.h"

#include <array>
#include <cstdint>

#include "catalogue/catalogue.h"
#include "protocol/number_format.h"
#include "protocol/request_catalogue.h"
#include "protocol/text.h"
#include "protocol/translate.h"

namespace kalvex {
namespace {

int HexDigit(char c) { return hex::LenientValue(c); }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

void SkipBlanks(std::string_view& s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
}

// Cuts the next blank-separated word off `s`.
std::string_view NextWord(std::string_view& s) {
  SkipBlanks(s);
  size_t n = 0;
  while (n < s.size() && !IsBlank(s[n])) ++n;
  std::string_view word = s.substr(0, n);
  s.remove_prefix(n);
  return word;
}

bool ParseInt(std::string_view word, int& value) {
  const auto v = ParseDecimal(word);
  if (v) value = *v;
  return v.has_value();
}

// Every value the reply handling sets goes straight into the output.
class PrintingSink : public GaugeSink {
 public:
  explicit PrintingSink(std::string& out) : out_(out) {}
  void setGaugeValue(Component c, float value) override {
    out_.append(ComponentName(c));
    out_.push_back(' ');
    AppendGaugeValue(out_, value);
    out_.push_back('\n');
  }

 private:
  std::string& out_;
};

bool ErrorBlock(std::string& out, std::string_view message) {
  out.append("error ");
  out.append(message);
  out.push_back('\n');
  return false;
}

}  // namespace

bool ParseHexBytes(std::string_view text, ResponseBytes& rb, std::string& error) {
  rb.clear();
  size_t count = 0;
  for (size_t i = 0; i < text.size();) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    const int high = HexDigit(text[i]);
    const int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
    if (high < 0 || low < 0) {
      error = "bad hex at character " + std::to_string(i + 1);
      return false;
    }
    if (count == kResponseSize) {
      error = "more than 1024 bytes";
      return false;
    }
    rb.b[count++] = static_cast<uint8_t>(high * 16 + low);
    i += 2;
  }
  rb.length = count;
  return true;
}

void AppendGaugeValue(std::string& out, float value) {
  if (value == 0) {  // also -0
    out.push_back('0');
    return;
  }
  AppendGeneral9(out, static_cast<double>(value));
}

bool DecodeCaseRunner::run(int make, int ecu, int next, std::string_view hex, std::string& out) {
  if (make < 0 || make >= kMakeCount)
    return ErrorBlock(out, "make out of range: " + std::to_string(make));
  if (!ValidEcuType(make, ecu))
    return ErrorBlock(
        out, "ECU type out of range for make " + std::to_string(make) + ": " + std::to_string(ecu));
  if (next < 0 || next > 255)
    return ErrorBlock(out, "next request number out of range: " + std::to_string(next));
  if (!ParseHexBytes(hex, rb_, error_)) return ErrorBlock(out, error_);

  // Fresh state, as right after a request was written: no faults remembered,
  // an empty list, the request the case names.
  state_.next.nextCommand = static_cast<uint8_t>(next);
  state_.next.nextRequest = ElmRequestText(static_cast<uint8_t>(next));
  state_.rememberedFaultCount = 0;
  state_.memo1.clear();

  PrintingSink sink(out);
  HandleReplyData(make, ecu, rb_, sink, state_);
  for (const std::string& line : state_.memo1) {
    out.append("Memo1 ");
    out.append(TranslateText(line));
    out.push_back('\n');
  }
  out.append("NextCommand ");
  out.append(std::to_string(state_.next.nextCommand));
  out.push_back('\n');
  return true;
}

bool DecodeCaseRunner::runLine(std::string_view line, std::string& out) {
  int make = 0, ecu = 0, next = 0;
  const std::string_view m = NextWord(line), e = NextWord(line), n = NextWord(line);
  if (!ParseInt(m, make) || !ParseInt(e, ecu) || !ParseInt(n, next))
    return ErrorBlock(out, "expected: MAKE ECU NEXT HEX");
  SkipBlanks(line);  // error positions count from the first hex digit
  return run(make, ecu, next, line, out);
}

}  // namespace kalvex
