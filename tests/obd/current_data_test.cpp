#include "obd/current_data.h"

#include <gtest/gtest.h>

#include <string>

#include "obd/hex_bytes.h"

namespace kalvex::obd {
namespace {

using test::Hex;

// "0C=1AF8 0D=32" or, with frames, "02/0=0301".
std::string Show(const SplitResult& r) {
  std::string out;
  static const char kHex[] = "0123456789ABCDEF";
  auto byte = [&](uint8_t b) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  };
  for (const PidReply& p : r.pids) {
    if (!out.empty()) out += ' ';
    byte(p.pid);
    if (p.frame) out += "/" + std::to_string(p.frame);
    out += '=';
    for (uint8_t b : p.bytes) byte(b);
  }
  return out;
}

struct SplitRow {
  const char* reply;
  const char* pids;
  bool complete;
};

TEST(SplitCurrentData, OneOrSeveralPids) {
  const SplitRow rows[] = {
      {"41 0C 1A F8", "0C=1AF8", true},
      {"41 0C 1A F8 0D 32 05 7B", "0C=1AF8 0D=32 05=7B", true},
      // Six PIDs, the most one CAN request names.
      {"41 04 80 05 7B 0B 65 0C 1A F8 0D 32 11 80", "04=80 05=7B 0B=65 0C=1AF8 0D=32 11=80", true},
      {"41 00 BE 1F A8 13 20 80 00 00 01", "00=BE1FA813 20=80000001", true},
      {"41 01 83 07 65 21", "01=83076521", true},
      {"41 64 7D 80 90 A0 B0", "64=7D8090A0B0", true},
      // Short: the PID's bytes are not all there.
      {"41 0C 1A", "", false},
      {"41 0D 32 0C 1A", "0D=32", false},
      // Long: bytes after the last whole PID.
      {"41 0D 32 00", "0D=32", false},
      {"41 05 7B 00 00", "05=7B", false},
      // An unknown PID: its length is unknown, so the split stops there.
      {"41 0D 32 65 01 05 7B", "0D=32", false},
      {"41 FF 01", "", false},
      // Not a service-01 reply at all.
      {"41", "", false},
      {"", "", false},
      {"42 0C 00 1A F8", "", false},
      {"7F 01 12", "", false},
  };
  for (const SplitRow& row : rows) {
    const SplitResult r = SplitCurrentData(Hex(row.reply));
    EXPECT_EQ(Show(r), row.pids) << row.reply;
    EXPECT_EQ(r.complete, row.complete) << row.reply;
  }
}

TEST(SplitFreezeFrame, PidsWithTheirFrame) {
  const SplitRow rows[] = {
      {"42 02 00 03 01", "02=0301", true},  // the code that stored frame 0
      {"42 0C 00 1A F8 0D 00 32", "0C=1AF8 0D=32", true},
      {"42 00 00 BE 1F A8 13", "00=BE1FA813", true},
      {"42 05 01 7B", "05/1=7B", true},
      {"42 0C 00 1A", "", false},
      {"42 0C", "", false},
      {"42 0D 00 32 65 00 01", "0D=32", false},
      {"41 0D 32", "", false},
  };
  for (const SplitRow& row : rows) {
    const SplitResult r = SplitFreezeFrame(Hex(row.reply));
    EXPECT_EQ(Show(r), row.pids) << row.reply;
    EXPECT_EQ(r.complete, row.complete) << row.reply;
  }
}

}  // namespace
}  // namespace kalvex::obd
