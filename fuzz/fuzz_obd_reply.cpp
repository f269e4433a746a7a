// Every generic OBD-II parser on arbitrary reply bytes: the whole input as
// one message, and the input cut into one ECU's messages for service 09.
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "obd/current_data.h"
#include "obd/ecu_name.h"
#include "obd/monitor_status.h"
#include "obd/negative_reply.h"
#include "obd/pid_table.h"
#include "obd/supported_pids.h"
#include "obd/trouble_code_reply.h"
#include "obd/vehicle_info.h"

using namespace kalvex;
using namespace kalvex::obd;

namespace {

void CheckPrintable(const std::string& text) {
  for (char c : text)
    if (c < 0x20 || c > 0x7E) __builtin_trap();
}

void ShowPids(const SplitResult& r) {
  for (const PidReply& p : r.pids) {
    const Pid* pid = FindPid(p.pid);
    if (pid == nullptr || p.bytes.size() != pid->length) __builtin_trap();
    for (Lang lang : {Lang::Ru, Lang::En}) {
      FormatPidValue(*pid, p.bytes, lang);
      PidWords(*pid, p.bytes, lang);
    }
    PidValue(*pid, p.bytes);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> all(data, size);

  ShowPids(SplitCurrentData(all));
  ShowPids(SplitFreezeFrame(all));
  if (size > 0) {
    // The rest as the data bytes of the PID the first byte names, short or not.
    if (const Pid* pid = FindPid(data[0])) {
      FormatPidValue(*pid, all.subspan(1), Lang::En);
      PidWords(*pid, all.subspan(1), Lang::Ru);
    }
  }
  for (bool hasCount : {false, true}) {
    for (const std::string& code : ParseTroubleCodes(all, hasCount).codes)
      if (code.size() != 5) __builtin_trap();
  }
  DecodeMonitorStatus(all);
  if (const auto r = ReadNegativeReply(all)) NegativeReplyName(r->code, Lang::En);

  // Bitmaps fed until the chain ends: it must end within the eight bases.
  SupportedPids supported;
  fuzz::Input bitmaps(data, size);
  int asked = 0;
  while (const auto base = supported.nextBitmap()) {
    if (++asked > 8) __builtin_trap();
    const std::vector<uint8_t> four = bitmaps.run(5);
    supported.addBitmap(*base, four);
    if (four.size() < 4) break;
  }
  supported.list();

  // Service 09 from one message, and from the input cut into messages.
  if (auto vin = ParseVin(all)) CheckPrintable(*vin);
  fuzz::Input in(data, size);
  std::vector<Message> messages;
  while (!in.empty() && messages.size() < 64) {
    Message m;
    m.ecu = in.byte() & 1 ? 0x10 : 0x7E8;
    m.data = in.run(24);
    messages.push_back(std::move(m));
  }
  if (auto vin = ParseVin(messages)) CheckPrintable(*vin);
  for (const std::string& id : ParseCalibrationIds(messages)) CheckPrintable(id);
  for (const std::string& id : ParseCalibrationIds(all)) CheckPrintable(id);
  if (auto name = ParseEcuName(messages)) CheckPrintable(*name);
  if (auto name = ParseEcuName(all)) CheckPrintable(*name);

  if (size >= 4) {
    EcuName(static_cast<uint32_t>(data[0]) << 24 | data[1] << 16 | data[2] << 8 | data[3],
            Lang::Ru);
  }
  return 0;
}
