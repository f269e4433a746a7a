// Decoder cases as data: every file under tests/data/decode holds blocks
// separated by blank lines ('#' lines are comments).
//
//   M E N HEX            one reply, as `kalvex-cli decode --stdin` reads it,
//   NAME VALUE ...       then exactly the lines it must print
//
//   rotation M E: 21 06 > 21 03 > 21 04 > 21 06
//                        the requests a session polls, starting from the
//                        first; each reply comes from the simulated ECU of
//                        that type, so the check also holds the simulator's
//                        layouts against the decoder tables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/first_request.h"
#include "decode/decoder.h"
#include "protocol/request_catalogue.h"
#include "session/decode_case.h"
#include "sim/engine_model.h"
#include "sim/simulated_ecu.h"

namespace kalvex {
namespace {

namespace fs = std::filesystem;

struct Block {
  std::string where;  // file:line
  std::vector<std::string> lines;
};

fs::path DataDir() {
  const char* dir = std::getenv("KALVEX_TEST_DATA");
  return fs::path(dir ? dir : "tests/data") / "decode";
}

std::vector<Block> ReadBlocks(const fs::path& file) {
  std::vector<Block> blocks;
  std::ifstream in(file);
  std::string line;
  int number = 0;
  bool open = false;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '#') continue;
    if (line.find_first_not_of(" \t") == std::string::npos) {
      open = false;
      continue;
    }
    if (!open) {
      blocks.push_back({file.filename().string() + ":" + std::to_string(number), {}});
      open = true;
    }
    blocks.back().lines.push_back(line);
  }
  return blocks;
}

std::vector<fs::path> DataFiles() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(DataDir()))
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<uint8_t> HexOf(const std::string& text) {
  std::vector<uint8_t> bytes;
  std::string digits;
  for (char c : text)
    if (c != ' ') digits += c;
  for (size_t i = 0; i + 1 < digits.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return bytes;
}

uint8_t RequestNumber(const std::string& text) {
  for (int n = 1; n < 256; ++n)
    if (ElmRequestText(static_cast<uint8_t>(n)) == text) return static_cast<uint8_t>(n);
  return 0;
}

struct RecordingSink : GaugeSink {
  std::array<std::optional<float>, kComponentCount> values{};
  void setGaugeValue(Component c, float v) override { values[static_cast<size_t>(c)] = v; }
};

// Polls the listed rotation against the simulated ECU; returns what went wrong.
std::string CheckRotation(const std::string& line) {
  int make = 0, ecu = 0;
  char colon = 0;
  std::istringstream head(line.substr(std::string("rotation").size()));
  if (!(head >> make >> ecu >> colon) || colon != ':') return "bad rotation line";
  std::vector<std::string> expected;
  std::string rest = line.substr(line.find(':') + 1), item;
  std::istringstream parts(rest);
  while (std::getline(parts, item, '>')) {
    const size_t a = item.find_first_not_of(' '), b = item.find_last_not_of(' ');
    if (a == std::string::npos) return "empty request in rotation";
    expected.push_back(item.substr(a, b - a + 1));
  }
  if (expected.size() < 2) return "a rotation lists at least two requests";
  const sim::EcuLayout* layout = sim::EcuLayoutOf(make, ecu);
  if (!layout) return "the simulator has no layout for this type";

  RequestChoice next{RequestNumber(expected[0]), expected[0]};
  if (next.nextCommand == 0) return "not a catalogue request: " + expected[0];
  // The session starts the rotation where the first-request table says.
  const uint8_t first = FirstRequest(make, ecu, FirstRequestPoint::ElmSetUpDone);
  if (first != next.nextCommand)
    return "an ELM327 session starts with " + ElmRequestText(first) + ", not " + expected[0];
  std::string seen = expected[0];
  for (size_t step = 1; step < expected.size(); ++step) {
    const std::vector<uint8_t> request = HexOf(ElmRequestText(next.nextCommand));
    const sim::DataReply* reply = nullptr;
    for (const sim::DataReply& r : layout->replies)
      if (r.request == request) reply = &r;
    if (!reply) return "the simulator does not answer " + ElmRequestText(next.nextCommand);
    const sim::EncodedReply encoded = sim::EncodeReply(*reply, sim::EngineAt(step * 37));
    ResponseBytes rb;
    for (size_t i = 0; i < encoded.bytes.size() && i < kResponseSize; ++i)
      rb.b[i] = encoded.bytes[i];
    rb.length = encoded.bytes.size();
    RecordingSink sink;
    Decode(make, ecu, rb, sink, next);
    // The gauges the simulator meant are the ones decoded, with its values
    // (a row rounded inside, or an integer product, may differ by one unit).
    for (size_t c = 0; c < kComponentCount; ++c) {
      const auto& want = encoded.values[c];
      const auto& got = sink.values[c];
      const std::string name(ComponentName(static_cast<Component>(c)));
      if (want.has_value() != got.has_value())
        return "after " + seen + ": " + name + (got ? " decoded but not encoded" : " not decoded");
      if (want && std::fabs(*want - *got) > std::max(1.0, std::fabs(*want) * 0.001))
        return "after " + seen + ": " + name + " decoded " + std::to_string(*got) +
               ", simulator meant " + std::to_string(*want);
    }
    seen += " > " + ElmRequestText(next.nextCommand);
  }
  std::string want = expected[0];
  for (size_t i = 1; i < expected.size(); ++i) want += " > " + expected[i];
  return seen == want ? "" : "polled " + seen;
}

TEST(GoldenDecodeTest, EveryCaseOfEveryFile) {
  const std::vector<fs::path> files = DataFiles();
  ASSERT_FALSE(files.empty()) << DataDir();
  DecodeCaseRunner runner;
  int cases = 0, rotations = 0;
  for (const fs::path& file : files) {
    for (const Block& block : ReadBlocks(file)) {
      if (block.lines[0].rfind("rotation", 0) == 0) {
        EXPECT_EQ(block.lines.size(), 1u) << block.where;
        EXPECT_EQ(CheckRotation(block.lines[0]), "") << block.where << ": " << block.lines[0];
        ++rotations;
        continue;
      }
      std::string out;
      runner.runLine(block.lines[0], out);
      std::string want;
      for (size_t i = 1; i < block.lines.size(); ++i) want += block.lines[i] + "\n";
      EXPECT_EQ(out, want) << block.where << ": " << block.lines[0];
      ++cases;
    }
  }
  RecordProperty("cases", cases);
  RecordProperty("rotations", rotations);
  EXPECT_GT(cases, 0);
}

}  // namespace
}  // namespace kalvex
