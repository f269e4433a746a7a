// A generic OBD-II car for the simulated ELM327: an engine ECU and a
// transmission ECU answering the emission services of SAE J1979 (01 current
// data, 02 freeze frame, 03 stored codes, 04 clear, 07 pending codes, 09
// vehicle information, 0A permanent codes). The values are encoded from
// engineering units by the inverse of the standard's formulas, written here
// and nowhere else, so they check the scanner's decoding rather than share it.
//
// The engine runs the same drive as the makers' simulated ECUs
// (engine_model.h): one step per current-data request the engine answers.
//
// Timing (milliseconds after the request left the tester, deterministic):
//   CAN: the engine answers after 12 ms, the transmission after 18 ms; the
//        chip adds the consecutive frames of a long message (ObdElm327Sim).
//   K-line: one wire, so messages follow each other: each starts 30 ms (P2)
//        after the end of the previous one (or of the request) and lasts one
//        millisecond per byte, header and checksum included (10.4 kbaud).
//   "Response pending" (option): the engine says 7F sid 78 at its response
//        time and again every 2000 ms, then answers `pendingMs` after its
//        response time.
// Not thread-safe; the caller serialises.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kalvex::sim {

enum class ObdBus { Can11, Can29, Kwp, Iso9141 };

struct ObdCarOptions {
  ObdBus bus = ObdBus::Can11;
  bool silent = false;  // no ECU answers anything
  bool refuse = false;  // every ECU answers every request 7F sid 22
  int pendingMs = 0;    // the engine's "response pending" before each answer
};

// One message of one ECU, complete (the chip splits it into CAN frames).
struct ObdMessage {
  int ecu = 0;   // 0 engine, 1 transmission
  int atMs = 0;  // when its last byte (K-line) or first frame (CAN) arrives
  std::vector<uint8_t> bytes;
};

// Two bytes of a trouble code from its text ("P0301" -> 03 01); the letter
// takes the top two bits (P C B U), the digits the rest.
std::vector<uint8_t> DtcBytes(const std::string& code);

class ObdCar {
 public:
  static constexpr int kEcuCount = 2;
  static constexpr int kEngine = 0;
  static constexpr int kTransmission = 1;

  explicit ObdCar(ObdCarOptions options = {});

  // A new car: cold engine, the codes, freeze frame and readiness as built.
  void reset();
  const ObdCarOptions& options() const { return options_; }
  void setOptions(const ObdCarOptions& o) { options_ = o; }
  bool onCan() const { return options_.bus == ObdBus::Can11 || options_.bus == ObdBus::Can29; }

  // The messages answering one request, in the order they arrive.
  // `target`: -1 functional (every ECU), else one ECU's index.
  std::vector<ObdMessage> answer(const std::vector<uint8_t>& request, int target);

  uint32_t step() const { return step_; }
  void setStep(uint32_t s) { step_ = s; }
  bool milOn() const { return !stored_.empty(); }
  const std::vector<std::string>& storedCodes() const { return stored_; }

  // Addresses: CAN reply identifiers (11-bit 7E8 + ecu, 29-bit 18DAF1xx)
  // and the K-line source address.
  static uint8_t KLineAddress(int ecu) { return ecu == kEngine ? 0x10 : 0x18; }
  static uint32_t CanReplyId(int ecu, bool extended) {
    return extended ? 0x18DAF100u | KLineAddress(ecu) : 0x7E8u + static_cast<uint32_t>(ecu);
  }

  // The vehicle's texts, as the engine reports them.
  static const char* Vin() { return "1D4GP00R55B123456"; }
  static const char* CalibrationId() { return "KVX-E4-0142A"; }

 private:
  // One ECU's reply payloads (positive or negative), no timing.
  std::vector<std::vector<uint8_t>> payloads(int ecu, const std::vector<uint8_t>& req);
  std::vector<std::vector<uint8_t>> currentData(int ecu, const std::vector<uint8_t>& req);
  std::vector<std::vector<uint8_t>> freezeFrame(const std::vector<uint8_t>& req);
  std::vector<std::vector<uint8_t>> codes(int ecu, uint8_t service);
  std::vector<std::vector<uint8_t>> vehicleInfo(int ecu, const std::vector<uint8_t>& req);
  bool pidData(int ecu, uint8_t pid, std::vector<uint8_t>& out) const;
  bool encodePid(uint8_t pid, std::vector<uint8_t>& out) const;  // false: not a value PID
  void monitorStatus(std::vector<uint8_t>& out) const;           // PID 01
  void clear();

  ObdCarOptions options_;
  uint32_t step_ = 0;
  std::vector<std::string> stored_, pending_, permanent_;
  bool freezeFrameKept_ = true;
  bool monitorsReset_ = false;  // after a clear every readiness monitor is incomplete
};

}  // namespace kalvex::sim
