#include "sim/adapter_sim.h"

namespace kalvex::sim {
namespace {

std::string WithoutLineFeeds(std::string_view body) {
  std::string line;
  for (char c : body)
    if (c != '\n') line += c;
  return line;
}

}  // namespace

AdapterSim::AdapterSim(ElmOptions elmOptions) : elm_(ecu_, elmOptions), kesta_(ecu_) {}

AdapterSim::AdapterSim(const ObdSimOptions& obd)
    : elm_(ecu_),
      kesta_(ecu_),
      obdCar_(std::make_unique<ObdCar>(obd.car)),
      obdElm_(std::make_unique<ObdElm327Sim>(*obdCar_, obd)),
      mode_(Mode::Obd) {}

bool AdapterSim::feed(std::string_view bytes, std::string& now, std::string& later) {
  std::vector<TimedText> timed;
  const bool started = feed(bytes, now, timed);
  for (const TimedText& t : timed) later += t.text;
  return started;
}

bool AdapterSim::feed(std::string_view bytes, std::string& now, std::vector<TimedText>& later) {
  bool started = false;
  for (char c : bytes) {
    if (line_.size() >= kMaxLine) line_.clear();  // no carriage return in sight: noise
    line_ += c;
    if (c != '\r') continue;
    std::string chunk;
    chunk.swap(line_);
    started |= handleChunk(chunk, now, later);
  }
  return started;
}

bool AdapterSim::handleChunk(const std::string& chunk, std::string& now,
                             std::vector<TimedText>& later) {
  const std::string_view body(chunk.data(), chunk.size() - 1);  // without the CR
  const std::string cmd = ElmCommandText(body);
  const std::string line = WithoutLineFeeds(body);  // the chip ignores line feeds
  bool started = false;
  if (mode_ == Mode::Obd) {
    // The chip takes one command at a time: a line that came with the one
    // before is answered after that one's prompt, not beside it.
    const int busyUntil = later.empty() ? 0 : later.back().atMs;
    const size_t first = later.size();
    obdElm_->handleLine(line, now, later);
    for (size_t i = first; i < later.size(); ++i) later[i].atMs += busyUntil;
    return cmd == "ATZ";
  }
  if (cmd == "ATZ") {
    mode_ = Mode::Elm327;
    started = true;
  } else if (body.size() >= 6 && body.compare(0, 6, "DS:01:") == 0) {
    mode_ = Mode::Kesta;
    kesta_.reset();  // a new set-up line never continues an old frame
    started = true;
  }
  std::string reply;
  if (mode_ == Mode::Kesta) {
    kesta_.feed(chunk, reply);
  } else {
    elm_.handleLine(line, now, reply);
  }
  if (!reply.empty()) later.push_back({0, std::move(reply)});
  return started;
}

}  // namespace kalvex::sim
