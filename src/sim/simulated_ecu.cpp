#include "sim/simulated_ecu.h"

#include <algorithm>
#include <cmath>

#include "catalogue/catalogue.h"

namespace kalvex::sim {
namespace {

// KWP2000 negative response codes.
constexpr uint8_t kServiceNotSupported = 0x11;
constexpr uint8_t kSubFunctionNotSupported = 0x12;
constexpr uint8_t kIncorrectLength = 0x13;

long double QuantityValue(const EngineState& e, Quantity q) {
  switch (q) {
    case Quantity::Speed:
      return e.speedKmh;
    case Quantity::RpmHundreds:
      return e.rpm / 100.0;
    case Quantity::Rpm:
      return e.rpm;
    case Quantity::Coolant:
      return e.coolantC;
    case Quantity::Intake:
      return e.intakeC;
    case Quantity::Battery:
      return e.batteryV;
    case Quantity::Throttle:
      return e.throttlePct;
    case Quantity::AirFlow:
      return e.airFlowKgH;
    case Quantity::Injection:
      return e.injectionMs;
    case Quantity::Map:
      return e.mapKPa;
  }
  return 0;
}

std::vector<uint8_t> Negative(uint8_t service, uint8_t code) { return {0x7F, service, code}; }

}  // namespace

std::vector<FaultEntry> DefaultFaults() {
  return {{0x01, 0x02, 0x20}, {0x03, 0x01, 0xE0}, {0x05, 0x62, 0x20}, {0x16, 0x02, 0x20}};
}

EncodedReply EncodeReply(const DataReply& layout, const EngineState& engine) {
  EncodedReply out;
  const size_t length = std::max(layout.length, layout.header.size());
  out.bytes.resize(length);
  // Bytes no row reads still carry something, as a real ECU's would.
  for (size_t i = 0; i < length; ++i) out.bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  std::copy(layout.header.begin(), layout.header.end(), out.bytes.begin());

  std::vector<bool> written(length, false);
  auto fits = [&](int i) { return i >= 0 && static_cast<size_t>(i) < length; };
  for (const Field& f : layout.fields) {
    const bool word = f.lo >= 0;
    if (!fits(f.hi) || (word && !fits(f.lo))) continue;
    // Several rows may read one byte (rpm in hundreds and in rpm); the first
    // one puts the value there.
    if (!written[f.hi]) {
      const long double v = QuantityValue(engine, f.q);
      const long double top = word ? 65535.0L : 255.0L;
      const long double raw = std::clamp(std::nearbyintl((v - f.a) * f.d / f.m), 0.0L, top);
      const unsigned r = static_cast<unsigned>(raw);
      if (word) {
        out.bytes[f.hi] = static_cast<uint8_t>(r >> 8);
        out.bytes[f.lo] = static_cast<uint8_t>(r & 0xFF);
        written[f.lo] = true;
      } else {
        out.bytes[f.hi] = static_cast<uint8_t>(r);
      }
      written[f.hi] = true;
    }
    const long double raw = word ? out.bytes[f.hi] * 256.0L + out.bytes[f.lo]
                                 : static_cast<long double>(out.bytes[f.hi]);
    long double value = ((raw * f.m) / f.d) + f.a;
    if (f.round) value = std::nearbyintl(value);
    for (Component c : f.components) out.values[static_cast<size_t>(c)] = static_cast<float>(value);
  }
  return out;
}

void SimulatedEcu::select(int make, int ecu) {
  make_ = make;
  ecu_ = ecu;
  layout_ = EcuLayoutOf(make, ecu);
  present_ = ValidEcuType(make, ecu);
  step_ = 0;
  faults_ = DefaultFaults();
  history_.clear();
}

std::optional<std::vector<uint8_t>> SimulatedEcu::answer(const std::vector<uint8_t>& request,
                                                         bool onCan) {
  if (!present_ || silent_ || request.empty()) return std::nullopt;
  const uint8_t sid = request[0];

  if (layout_) {
    for (const DataReply& r : layout_->replies) {
      if (r.request != request) continue;
      EncodedReply e = EncodeReply(r, EngineAt(step_));
      e.step = step_++;
      std::vector<uint8_t> bytes = e.bytes;
      history_.push_back(std::move(e));
      if (history_.size() > kHistoryLimit) history_.pop_front();
      return bytes;
    }
  }

  switch (sid) {
    case 0x81:  // StartCommunication: key bytes EF 8F
      if (onCan) return Negative(sid, kServiceNotSupported);
      return std::vector<uint8_t>{0xC1, 0xEF, 0x8F};
    case 0x82:
      return std::vector<uint8_t>{0xC2};
    case 0x10:
      if (request.size() != 2) return Negative(sid, kIncorrectLength);
      return std::vector<uint8_t>{0x50, request[1]};
    case 0x3E:
      return std::vector<uint8_t>{0x7E};
    case 0x18:    // by status: status, group high, group low
    case 0x17: {  // status of codes: group high, group low
      if (request.size() != (sid == 0x18 ? 4u : 3u)) return Negative(sid, kIncorrectLength);
      const size_t n = std::min<size_t>(faults_.size(), 255);
      std::vector<uint8_t> reply{static_cast<uint8_t>(sid + 0x40), static_cast<uint8_t>(n)};
      for (size_t i = 0; i < n; ++i) {
        reply.push_back(faults_[i].hi);
        reply.push_back(faults_[i].lo);
        reply.push_back(faults_[i].status);
      }
      return reply;
    }
    case 0x14:
      if (request.size() != 3) return Negative(sid, kIncorrectLength);
      faults_.clear();
      return std::vector<uint8_t>{0x54, request[1], request[2]};
    case 0x21:
    case 0x22:
      return Negative(sid, kSubFunctionNotSupported);
    default:
      return Negative(sid, kServiceNotSupported);
  }
}

}  // namespace kalvex::sim
