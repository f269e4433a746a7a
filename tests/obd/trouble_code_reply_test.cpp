#include "obd/trouble_code_reply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "obd/hex_bytes.h"

namespace kalvex::obd {
namespace {

using test::Hex;

TEST(ParseTroubleCodes, Replies) {
  struct Row {
    const char* reply;
    bool hasCount;
    std::vector<std::string> codes;
    bool complete;
  };
  const Row rows[] = {
      // CAN: the count byte after the service.
      {"43 02 01 43 01 96", true, {"P0143", "P0196"}, true},
      {"43 00", true, {}, true},
      {"47 01 C1 00", true, {"U0100"}, true},
      {"4A 01 03 01", true, {"P0301"}, true},
      // K-line / J1850: three codes a message, padded with 0000.
      {"43 01 43 01 96 00 00", false, {"P0143", "P0196"}, true},
      {"43 00 00 00 00 00 00", false, {}, true},
      {"43 00 00 01 43 00 00", false, {"P0143"}, true},
      // The four systems and the first digit's four values.
      {"43 01 33 41 23 81 23", false, {"P0133", "C0123", "B0123"}, true},
      {"43 C1 00 F2 AB 3F FF", false, {"U0100", "U32AB", "P3FFF"}, true},
      {"43 10 00 20 00 30 00", false, {"P1000", "P2000", "P3000"}, true},
      // An odd byte count: the dangling byte is no code.
      {"43 01 43 01", false, {"P0143"}, false},
      {"43 02 01 43 01 96 05", true, {"P0143", "P0196"}, false},
      // The count disagrees with the codes found.
      {"43 03 01 43", true, {"P0143"}, false},
      {"43 01 01 43 01 96", true, {"P0143", "P0196"}, false},
      {"43", true, {}, false},
      // Not a trouble code reply.
      {"44", false, {}, false},
      {"7F 03 11", false, {}, false},
      {"", false, {}, false},
  };
  for (const Row& row : rows) {
    const TroubleCodes r = ParseTroubleCodes(Hex(row.reply), row.hasCount);
    EXPECT_EQ(r.codes, row.codes) << row.reply;
    EXPECT_EQ(r.complete, row.complete) << row.reply;
  }
}

}  // namespace
}  // namespace kalvex::obd
