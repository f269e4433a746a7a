#include "cli/cli_args.h"

#include <cctype>

#include "catalogue/catalogue.h"
#include "protocol/text.h"

namespace kalvex::cli {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::optional<int> ParseMake(const std::string& text) {
  if (auto n = ParseInteger(text, 0, kMakeCount - 1)) return static_cast<int>(*n);
  const std::string want = Lower(text);
  const auto& makes = Makes();
  for (size_t i = 0; i < makes.size(); ++i) {
    const std::string name = Lower(makes[i].text);
    const std::string shortName = name.substr(0, name.find(" ("));
    if (!want.empty() && (want == name || want == shortName)) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::optional<int> ParseEcuType(int make, const std::string& text) {
  const auto n = ParseInteger(text, 0, 1000);
  if (!n || !ValidEcuType(make, static_cast<int>(*n))) return std::nullopt;
  return static_cast<int>(*n);
}

}  // namespace kalvex::cli
