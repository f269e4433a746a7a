#include "sim/obd_car.h"

#include <algorithm>
#include <cmath>

#include "sim/engine_model.h"

namespace kalvex::sim {
namespace {

constexpr int kCanResponseMs[ObdCar::kEcuCount] = {12, 18};
constexpr int kKLineP2Ms = 30;
constexpr int kKLineHeaderAndChecksum = 4;
constexpr int kPendingRepeatMs = 2000;

constexpr uint8_t kNegative = 0x7F;
constexpr uint8_t kServiceNotSupported = 0x11;
constexpr uint8_t kConditionsNotCorrect = 0x22;
constexpr uint8_t kResponsePending = 0x78;

// The current-data PIDs each ECU holds, bitmap PIDs 20 and 40 included
// (they say the next range exists). 0A, 22, 23 and others are left out on
// purpose: a scanner must read the bitmaps, not assume.
constexpr uint8_t kEnginePids[] = {0x01, 0x03, 0x04, 0x05, 0x06, 0x07, 0x0B, 0x0C, 0x0D,
                                   0x0E, 0x0F, 0x10, 0x11, 0x13, 0x15, 0x1C, 0x1F, 0x20,
                                   0x21, 0x2F, 0x33, 0x40, 0x42, 0x46, 0x49, 0x51};
constexpr uint8_t kTransmissionPids[] = {0x0C, 0x0D};
// The freeze frame's PIDs (frame 0 only).
constexpr uint8_t kFreezePids[] = {0x02, 0x03, 0x04, 0x05, 0x0B, 0x0C, 0x0D, 0x0F, 0x11};
// Vehicle information types the engine answers; 01 and 03 (message counts)
// only matter where messages are short, on the K-line.
constexpr uint8_t kInfoTypesCan[] = {0x02, 0x04, 0x0A};
constexpr uint8_t kInfoTypesKLine[] = {0x01, 0x02, 0x03, 0x04, 0x0A};

// Readiness of a spark-ignition engine (01 01 bytes B, C, D): misfire, fuel
// system and components available and complete; catalyst, EVAP, oxygen
// sensor and its heater available; catalyst and EVAP not yet complete.
constexpr uint8_t kContinuousMonitors = 0x07;
constexpr uint8_t kMonitorsAvailable = 0x01 | 0x04 | 0x20 | 0x40;
constexpr uint8_t kMonitorsIncomplete = 0x01 | 0x04;

const std::vector<std::string> kStoredCodes = {"P0301", "P0420", "P0171"};
const std::vector<std::string> kPendingCodes = {"P0442"};
const std::vector<std::string> kPermanentCodes = {"P0420"};

template <size_t N>
bool Holds(const uint8_t (&list)[N], uint8_t v) {
  return std::find(std::begin(list), std::end(list), v) != std::end(list);
}

uint8_t Byte(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

void Word(std::vector<uint8_t>& out, double v) {
  const long w = std::clamp(std::lround(v), 0L, 65535L);
  out.push_back(static_cast<uint8_t>(w >> 8));
  out.push_back(static_cast<uint8_t>(w & 0xFF));
}

// Percent as J1979 scales it: 100 % is 255.
uint8_t Percent(double pct) { return Byte(pct * 255.0 / 100.0); }
// Temperature: A - 40 degrees.
uint8_t Celsius(double c) { return Byte(c + 40.0); }

// The four bitmap bytes saying which PIDs from base+1 to base+32 are held.
template <size_t N>
void Bitmap(std::vector<uint8_t>& out, const uint8_t (&held)[N], uint8_t base) {
  uint8_t bits[4] = {};
  for (uint8_t pid : held) {
    if (pid <= base || pid > base + 32) continue;
    const int i = pid - base - 1;
    bits[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
  }
  out.insert(out.end(), bits, bits + 4);
}

// A range's bitmap is answered for 00 and for every bitmap PID held.
template <size_t N>
bool BitmapHeld(const uint8_t (&held)[N], uint8_t pid) {
  return pid % 0x20 == 0 && (pid == 0 || Holds(held, pid));
}

std::vector<uint8_t> Text(const std::string& s, size_t size) {
  std::vector<uint8_t> out(s.begin(), s.end());
  out.resize(size, 0x00);
  return out;
}

// The engine's name as J1979 lays it out: 4 characters of abbreviation, a
// hyphen, 15 of name, unused ones zero.
std::vector<uint8_t> EcuName() {
  std::vector<uint8_t> out = Text("ECM", 4);
  out.push_back('-');
  const std::vector<uint8_t> name = Text("EngineControl", 15);
  out.insert(out.end(), name.begin(), name.end());
  return out;
}

}  // namespace

std::vector<uint8_t> DtcBytes(const std::string& code) {
  if (code.size() != 5) return {0, 0};
  const std::string letters = "PCBU";
  const size_t letter = letters.find(code[0]);
  auto digit = [](char c) {
    return static_cast<unsigned>(c >= 'A' ? c - 'A' + 10 : c - '0') & 0x0F;
  };
  const unsigned v = (static_cast<unsigned>(letter == std::string::npos ? 0 : letter) << 14) |
                     ((digit(code[1]) & 0x3) << 12) | (digit(code[2]) << 8) |
                     (digit(code[3]) << 4) | digit(code[4]);
  return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v & 0xFF)};
}

ObdCar::ObdCar(ObdCarOptions options) : options_(options) { reset(); }

void ObdCar::reset() {
  step_ = 0;
  stored_ = kStoredCodes;
  pending_ = kPendingCodes;
  permanent_ = kPermanentCodes;
  freezeFrameKept_ = true;
  monitorsReset_ = false;
}

void ObdCar::clear() {
  stored_.clear();
  pending_.clear();
  freezeFrameKept_ = false;
  monitorsReset_ = true;
  // The permanent code stays until the monitors have run again.
}

std::vector<ObdMessage> ObdCar::answer(const std::vector<uint8_t>& request, int target) {
  std::vector<ObdMessage> out;
  if (options_.silent || request.empty()) return out;
  const bool can = onCan();
  int wireFree = 0;  // K-line: when the wire is quiet again
  bool engineGaveData = false;
  for (int ecu = 0; ecu < kEcuCount; ++ecu) {
    if (target >= 0 && target != ecu) continue;
    std::vector<std::vector<uint8_t>> replies;
    if (options_.refuse)
      replies.push_back({kNegative, request[0], kConditionsNotCorrect});
    else
      replies = payloads(ecu, request);
    if (replies.empty()) continue;
    if (ecu == kEngine && request[0] == 0x01 && replies.front()[0] == 0x41) engineGaveData = true;
    // Response pending first, when asked for, from the engine only.
    std::vector<std::pair<int, std::vector<uint8_t>>> timed;  // delay after the previous
    if (ecu == kEngine && options_.pendingMs > 0) {
      for (int t = 0; t < options_.pendingMs; t += kPendingRepeatMs)
        timed.push_back({t == 0 ? 0 : kPendingRepeatMs, {kNegative, request[0], kResponsePending}});
      const int sinceLast =
          options_.pendingMs - ((options_.pendingMs - 1) / kPendingRepeatMs) * kPendingRepeatMs;
      for (size_t i = 0; i < replies.size(); ++i)
        timed.push_back({i == 0 ? sinceLast : 0, replies[i]});
    } else {
      for (auto& r : replies) timed.push_back({0, std::move(r)});
    }
    int t = can ? kCanResponseMs[ecu] : wireFree;
    for (auto& [gap, bytes] : timed) {
      if (can) {
        t += gap;
      } else {
        t += std::max(gap, kKLineP2Ms) + static_cast<int>(bytes.size()) + kKLineHeaderAndChecksum;
        wireFree = t;
      }
      out.push_back({ecu, t, std::move(bytes)});
    }
  }
  if (engineGaveData) ++step_;
  std::stable_sort(out.begin(), out.end(),
                   [](const ObdMessage& a, const ObdMessage& b) { return a.atMs < b.atMs; });
  return out;
}

std::vector<std::vector<uint8_t>> ObdCar::payloads(int ecu, const std::vector<uint8_t>& req) {
  const uint8_t service = req[0];
  switch (service) {
    case 0x01:
      return currentData(ecu, req);
    case 0x02:
      return ecu == kEngine ? freezeFrame(req) : std::vector<std::vector<uint8_t>>{};
    case 0x03:
    case 0x07:
    case 0x0A:
      if (req.size() != 1) return {};
      return codes(ecu, service);
    case 0x04:
      if (req.size() != 1) return {};
      if (ecu == kEngine) clear();
      return {{0x44}};
    case 0x09:
      return ecu == kEngine ? vehicleInfo(ecu, req) : std::vector<std::vector<uint8_t>>{};
    default:
      // Services this car does not know: the engine says so, the
      // transmission keeps quiet.
      if (ecu == kEngine) return {{kNegative, service, kServiceNotSupported}};
      return {};
  }
}

std::vector<std::vector<uint8_t>> ObdCar::currentData(int ecu, const std::vector<uint8_t>& req) {
  // CAN takes up to six PIDs in one request; the K-line one.
  const size_t maxPids = onCan() ? 6 : 1;
  if (req.size() < 2 || req.size() - 1 > maxPids) return {};
  std::vector<uint8_t> reply{0x41};
  for (size_t i = 1; i < req.size(); ++i) {
    std::vector<uint8_t> data;
    if (!pidData(ecu, req[i], data)) continue;
    reply.push_back(req[i]);
    reply.insert(reply.end(), data.begin(), data.end());
  }
  if (reply.size() == 1) return {};
  return {reply};
}

bool ObdCar::pidData(int ecu, uint8_t pid, std::vector<uint8_t>& out) const {
  if (ecu == kTransmission) {
    if (BitmapHeld(kTransmissionPids, pid)) {
      Bitmap(out, kTransmissionPids, pid);
      return true;
    }
    if (!Holds(kTransmissionPids, pid)) return false;
  } else {
    if (BitmapHeld(kEnginePids, pid)) {
      Bitmap(out, kEnginePids, pid);
      return true;
    }
    if (!Holds(kEnginePids, pid)) return false;
  }
  return encodePid(pid, out);
}

namespace {

struct FixedPid {
  uint8_t pid;
  uint8_t value;
};

// The PIDs whose one byte never changes while the engine runs.
const std::vector<FixedPid>& FixedPids() {
  static const std::vector<FixedPid> rows = {
      {0x07, Byte(3.1 * 128.0 / 100.0 + 128.0)},  // long-term trim: +3.1 %
      {0x13, 0x03},                               // oxygen sensors present: bank 1 sensors 1 and 2
      {0x1C, 0x06},                               // EOBD
      {0x2F, Percent(63.0)},                      // fuel level
      {0x33, 101},                                // barometric pressure, kPa
      {0x46, Celsius(18.0)},                      // ambient air
      {0x51, 0x01},                               // petrol
  };
  return rows;
}

}  // namespace

void ObdCar::monitorStatus(std::vector<uint8_t>& out) const {
  const uint8_t count = static_cast<uint8_t>(std::min<size_t>(stored_.size(), 0x7F));
  out.push_back(static_cast<uint8_t>((milOn() ? 0x80 : 0x00) | count));
  out.push_back(kContinuousMonitors);  // bit 3 clear: spark ignition
  out.push_back(kMonitorsAvailable);
  out.push_back(monitorsReset_ ? kMonitorsAvailable : kMonitorsIncomplete);
}

// One case a PID: the value the engine has now, scaled as J1979 encodes it.
bool ObdCar::encodePid(uint8_t pid, std::vector<uint8_t>& out) const {
  for (const FixedPid& f : FixedPids()) {
    if (f.pid != pid) continue;
    out.push_back(f.value);
    return true;
  }
  const EngineState s = EngineAt(step_);
  switch (pid) {
    case 0x01:
      monitorStatus(out);
      break;
    case 0x03:  // fuel system 1: open loop while cold, then closed loop
      out.push_back(s.coolantC < 60 ? 0x01 : 0x02);
      out.push_back(0x00);
      break;
    case 0x04:  // load follows the throttle
      out.push_back(Percent(std::min(100.0, 18.0 + s.throttlePct * 0.9)));
      break;
    case 0x05:
      out.push_back(Celsius(s.coolantC));
      break;
    case 0x06: {  // short-term trim wanders by a few percent: (A - 128) * 100 / 128
      const double trim = (static_cast<int>(step_ % 5) - 2) * 1.6;
      out.push_back(Byte(trim * 128.0 / 100.0 + 128.0));
      break;
    }
    case 0x0B:
      out.push_back(Byte(s.mapKPa));
      break;
    case 0x0C:  // quarter revolutions per minute
      Word(out, s.rpm * 4.0);
      break;
    case 0x0D:
      out.push_back(Byte(s.speedKmh));
      break;
    case 0x0E:  // degrees before top dead centre: A / 2 - 64
      out.push_back(Byte((10.0 + s.throttlePct * 0.2 + 64.0) * 2.0));
      break;
    case 0x0F:
      out.push_back(Celsius(s.intakeC));
      break;
    case 0x10:  // grams per second in hundredths
      Word(out, s.airFlowKgH / 3.6 * 100.0);
      break;
    case 0x11:
      out.push_back(Percent(s.throttlePct));
      break;
    case 0x15:  // bank 1 sensor 2: volts in 5 mV steps, no trim (FF)
      out.push_back(Byte((0.70 + (step_ % 3) * 0.01) / 0.005));
      out.push_back(0xFF);
      break;
    case 0x1F:  // seconds since start, five steps a second
      Word(out, step_ / 5.0);
      break;
    case 0x21:  // kilometres driven with the lamp on
      Word(out, milOn() ? 42 : 0);
      break;
    case 0x42:  // millivolts
      Word(out, s.batteryV * 1000.0);
      break;
    case 0x49:  // pedal position D rests near 15 %
      out.push_back(Percent(14.5 + s.throttlePct * 0.8));
      break;
    default:
      return false;
  }
  return true;
}

std::vector<std::vector<uint8_t>> ObdCar::freezeFrame(const std::vector<uint8_t>& req) {
  // Pairs of PID and frame number: three on CAN, one on the K-line.
  const size_t maxPairs = onCan() ? 3 : 1;
  if (req.size() < 3 || (req.size() - 1) % 2 != 0 || (req.size() - 1) / 2 > maxPairs) return {};
  std::vector<uint8_t> reply{0x42};
  for (size_t i = 1; i + 1 < req.size(); i += 2) {
    const uint8_t pid = req[i], frame = req[i + 1];
    if (frame != 0) continue;
    std::vector<uint8_t> data;
    if (pid == 0x00) {
      if (freezeFrameKept_) {
        Bitmap(data, kFreezePids, 0x00);
      } else {
        const uint8_t onlyCode[] = {0x02};
        Bitmap(data, onlyCode, 0x00);
      }
    } else if (pid == 0x02) {
      // The code that stored the frame; 0000 once cleared.
      data = freezeFrameKept_ ? DtcBytes(kStoredCodes.front()) : std::vector<uint8_t>{0, 0};
    } else if (!freezeFrameKept_ || !Holds(kFreezePids, pid)) {
      continue;
    } else {
      // The engine as it was when the misfire was stored.
      switch (pid) {
        case 0x03:
          data = {0x02, 0x00};
          break;
        case 0x04:
          data = {Percent(45.1)};
          break;
        case 0x05:
          data = {Celsius(88)};
          break;
        case 0x0B:
          data = {48};
          break;
        case 0x0C:
          Word(data, 2150 * 4.0);
          break;
        case 0x0D:
          data = {62};
          break;
        case 0x0F:
          data = {Celsius(24)};
          break;
        case 0x11:
          data = {Percent(18.0)};
          break;
        default:
          continue;
      }
    }
    reply.push_back(pid);
    reply.push_back(frame);
    reply.insert(reply.end(), data.begin(), data.end());
  }
  if (reply.size() == 1) return {};
  return {reply};
}

std::vector<std::vector<uint8_t>> ObdCar::codes(int ecu, uint8_t service) {
  static const std::vector<std::string> none;
  const std::vector<std::string>& list = ecu != kEngine    ? none
                                         : service == 0x03 ? stored_
                                         : service == 0x07 ? pending_
                                                           : permanent_;
  const uint8_t sid = static_cast<uint8_t>(service + 0x40);
  if (onCan()) {
    // ISO 15765-4: a count, then every code in one message.
    std::vector<uint8_t> reply{sid, static_cast<uint8_t>(list.size())};
    for (const std::string& c : list) {
      const auto b = DtcBytes(c);
      reply.insert(reply.end(), b.begin(), b.end());
    }
    return {reply};
  }
  // K-line: three codes a message, the last one padded with 0000; an ECU
  // without codes says so with one message of zeros.
  std::vector<std::vector<uint8_t>> out;
  size_t i = 0;
  do {
    std::vector<uint8_t> reply{sid};
    for (size_t k = 0; k < 3; ++k, ++i) {
      const auto b = i < list.size() ? DtcBytes(list[i]) : std::vector<uint8_t>{0, 0};
      reply.insert(reply.end(), b.begin(), b.end());
    }
    out.push_back(reply);
  } while (i < list.size());
  return out;
}

std::vector<std::vector<uint8_t>> ObdCar::vehicleInfo(int, const std::vector<uint8_t>& req) {
  if (req.size() != 2) return {};
  const uint8_t type = req[1];
  const bool can = onCan();
  if (type == 0x00) {
    std::vector<uint8_t> reply{0x49, 0x00};
    if (can) {
      Bitmap(reply, kInfoTypesCan, 0x00);
    } else {
      reply.push_back(0x01);  // K-line: the message count comes first
      Bitmap(reply, kInfoTypesKLine, 0x00);
    }
    return {reply};
  }
  std::vector<uint8_t> data;
  switch (type) {
    case 0x02:
      data = Text(Vin(), 17);
      break;
    case 0x04:
      data = Text(CalibrationId(), 16);
      break;
    case 0x0A:
      data = EcuName();
      break;
    case 0x01:
    case 0x03: {
      if (can) return {};
      const size_t size = type == 0x01 ? 17 : 16;
      return {{0x49, type, static_cast<uint8_t>((size + 3) / 4)}};
    }
    default:
      return {};
  }
  if (can) {
    // One message: the number of data items (one), then the data.
    std::vector<uint8_t> reply{0x49, type, 0x01};
    reply.insert(reply.end(), data.begin(), data.end());
    return {reply};
  }
  // K-line: four bytes a message, numbered from 1; the VIN's 17 start with
  // three zero bytes so they fill five messages.
  if (data.size() % 4 != 0) data.insert(data.begin(), 4 - data.size() % 4, 0x00);
  std::vector<std::vector<uint8_t>> out;
  for (size_t i = 0; i < data.size(); i += 4) {
    std::vector<uint8_t> reply{0x49, type, static_cast<uint8_t>(i / 4 + 1)};
    reply.insert(reply.end(), data.begin() + static_cast<long>(i),
                 data.begin() + static_cast<long>(i + 4));
    out.push_back(reply);
  }
  return out;
}

}  // namespace kalvex::sim
