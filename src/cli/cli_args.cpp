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
  if (const auto n = ParseInteger(text, 0, 1000))
    return ValidEcuType(make, static_cast<int>(*n)) ? std::optional<int>(static_cast<int>(*n))
                                                    : std::nullopt;
  // By its list text, as the window shows it ("Январь 7.2", "ecu_v.4 (1.6l)").
  const std::string want = Lower(text);
  const auto& types = EcuTypesOf(make);
  for (size_t i = 0; i < types.size(); ++i)
    if (!want.empty() && Lower(types[i]) == want) return static_cast<int>(i);
  return std::nullopt;
}

}  // namespace kalvex::cli
