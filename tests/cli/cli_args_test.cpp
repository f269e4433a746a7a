// Makes and ECU types as a user names them on the command line.
#include "cli/cli_args.h"

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"

namespace kalvex::cli {
namespace {

TEST(CliArgs, EcuTypeByIndexOrByTheNameTheListShows) {
  struct Row {
    int make;
    const char* text;
    std::optional<int> ecu;
  };
  const Row rows[] = {
      {kLada, "2", 2},
      {kLada, "Январь 7.2", 2},
      {kHyundai, "ecu_v.4 (1.6l)", 3},  // ASCII letters in any case
      {kNissan, "Общий CAN", 1},
      {kLada, "7", std::nullopt},  // past the make's list
      {kLada, "-1", std::nullopt},
      {kLada, "Январь", std::nullopt},          // the whole text, not a part
      {kLada, "ECU_v.4 (1.6L)", std::nullopt},  // another make's type
      {kLada, "", std::nullopt},
  };
  for (const Row& r : rows) EXPECT_EQ(ParseEcuType(r.make, r.text), r.ecu) << r.text;
  // Every type of every make is found by its own name.
  for (int make = 0; make < kMakeCount; ++make)
    for (size_t i = 0; i < EcuTypesOf(make).size(); ++i)
      EXPECT_EQ(ParseEcuType(make, EcuTypesOf(make)[i]), static_cast<int>(i))
          << Makes()[static_cast<size_t>(make)].text << " " << EcuTypesOf(make)[i];
}

}  // namespace
}  // namespace kalvex::cli
