#include "obd/vehicle_info.h"

#include <map>

namespace kalvex::obd {
namespace {

constexpr uint8_t kVin = 0x02;
constexpr uint8_t kCalibrationId = 0x04;
constexpr uint8_t kEcuName = 0x0A;
constexpr size_t kPieceMessage = 7;  // "49 xx NN" + four bytes, the K-line form
constexpr size_t kVinPieces = 5;
constexpr size_t kEcuNamePieces = 5;
constexpr size_t kCalibrationIdSize = 16;

// The item's bytes from one ECU's messages, in either form; nullopt when
// none came or a K-line piece is missing. `pieces` is how many K-line
// messages the item takes (0: any multiple of `multiple`).
std::optional<std::vector<uint8_t>> JoinPayload(std::span<const Message> messages, uint8_t type,
                                                size_t pieces, size_t multiple) {
  std::vector<const Message*> mine;
  for (const Message& m : messages) {
    if (m.ecu != messages.front().ecu) continue;
    if (m.data.size() < 3 || m.data[0] != kVehicleInfo + kPositiveReply || m.data[1] != type)
      continue;
    mine.push_back(&m);
  }
  if (mine.empty()) return std::nullopt;
  bool pieceForm = true;
  for (const Message* m : mine) pieceForm = pieceForm && m->data.size() == kPieceMessage;
  if (!pieceForm) {
    // CAN: the whole item in one message after the item count; repeats ignored.
    for (const Message* m : mine)
      if (m->data.size() != kPieceMessage)
        return std::vector<uint8_t>(m->data.begin() + 3, m->data.end());
  }
  std::map<uint8_t, const Message*> bySequence;  // the first of repeats wins
  for (const Message* m : mine) bySequence.emplace(m->data[2], m);
  size_t expected = 1;
  std::vector<uint8_t> out;
  for (const auto& [sequence, m] : bySequence) {
    if (sequence != expected) return std::nullopt;  // a gap, or numbering not from 1
    out.insert(out.end(), m->data.begin() + 3, m->data.end());
    ++expected;
  }
  const size_t count = bySequence.size();
  if (pieces != 0 ? count != pieces : count % multiple != 0) return std::nullopt;
  return out;
}

bool Printable(uint8_t c) { return c >= 0x20 && c <= 0x7E; }

// Leading and trailing 0x00 are padding; what is left is shown, any byte
// that is not printable ASCII as '?'.
std::string TrimmedText(std::span<const uint8_t> bytes) {
  size_t first = 0, last = bytes.size();
  while (first < last && bytes[first] == 0) ++first;
  while (last > first && bytes[last - 1] == 0) --last;
  std::string out;
  for (size_t i = first; i < last; ++i)
    out += Printable(bytes[i]) ? static_cast<char>(bytes[i]) : '?';
  return out;
}

Message OneMessage(std::span<const uint8_t> data) {
  return Message{0, std::vector<uint8_t>(data.begin(), data.end())};
}

}  // namespace

std::optional<std::string> ParseVin(std::span<const Message> messages) {
  const auto bytes = JoinPayload(messages, kVin, kVinPieces, 1);
  if (!bytes) return std::nullopt;
  std::string vin = TrimmedText(*bytes);
  if (vin.empty()) return std::nullopt;
  return vin;
}

std::optional<std::string> ParseVin(std::span<const uint8_t> data) {
  const Message m = OneMessage(data);
  return ParseVin(std::span<const Message>(&m, 1));
}

std::vector<std::string> ParseCalibrationIds(std::span<const Message> messages) {
  std::vector<std::string> ids;
  const auto bytes = JoinPayload(messages, kCalibrationId, 0, kCalibrationIdSize / 4);
  if (!bytes) return ids;
  const std::span<const uint8_t> all(*bytes);
  // A short last piece is still shown: it is what the ECU said.
  for (size_t i = 0; i < all.size(); i += kCalibrationIdSize) {
    std::string id = TrimmedText(all.subspan(i, std::min(kCalibrationIdSize, all.size() - i)));
    if (!id.empty()) ids.push_back(std::move(id));
  }
  return ids;
}

std::vector<std::string> ParseCalibrationIds(std::span<const uint8_t> data) {
  const Message m = OneMessage(data);
  return ParseCalibrationIds(std::span<const Message>(&m, 1));
}

std::optional<std::string> ParseEcuName(std::span<const Message> messages) {
  const auto bytes = JoinPayload(messages, kEcuName, kEcuNamePieces, 1);
  if (!bytes) return std::nullopt;
  // Both fields (acronym, then "-" and the name) are padded with 0x00 of their own.
  std::string name;
  for (uint8_t c : *bytes)
    if (c != 0) name += Printable(c) ? static_cast<char>(c) : '?';
  if (name.empty()) return std::nullopt;
  return name;
}

std::optional<std::string> ParseEcuName(std::span<const uint8_t> data) {
  const Message m = OneMessage(data);
  return ParseEcuName(std::span<const Message>(&m, 1));
}

}  // namespace kalvex::obd
