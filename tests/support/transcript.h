// Transcripts: an adapter exchange as a text file, run against the real
// session core on a manual clock. One step per line; '#' starts a comment.
//
//   set make 0 | ecu 6 | adapter 1 | page 1 | port PATH | log on
//   click start|stop|clear|read  the session's start, stop, clearFaults, readFaults
//                                / "Прочитать ошибки"
//   > TEXT [@MS]                 the program writes TEXT + CR (time runs until
//                                it does); @MS: that many ms after the previous
//                                click, "<" or ">" step
//   K> TEXT [@MS]                the same for a Kesta-mini frame of TEXT
//   < TEXT                       the adapter sends TEXT (one event)
//   K< TEXT                      the adapter sends TEXT + CR (one event)
//   wait MS                      time passes; deadlines run
//   chatter MS EVERY TEXT        for MS ms the adapter sends TEXT every EVERY ms
//                                (one event each); what the program writes
//                                meanwhile is passed over
//   quiet MS                     time passes and nothing is written
//   expect WHAT VALUE            caption, status, linkState, nextCommand,
//                                nextRequest, timer2, timer3 (on/off),
//                                selectors (on/off), running (yes/no),
//                                response (hex bytes, the rest must be 0),
//                                error (TEXT shown), errors (count),
//                                gauge NAME VALUE, fault TEXT (a fault list line),
//                                faults (count), opened (count), labelsSet
//                                (how often the status label was set)
//
// In TEXT: \r \n \t \\ \xHH, and "\ " for a meaningful trailing blank.
#pragma once

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "adapter/kesta_driver.h"
#include "protocol/components.h"
#include "support/session_harness.h"

namespace kalvex::test {

inline std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 >= s.size()) {
      out.push_back(s[i]);
      continue;
    }
    const char c = s[++i];
    if (c == 'r')
      out.push_back('\r');
    else if (c == 'n')
      out.push_back('\n');
    else if (c == 't')
      out.push_back('\t');
    else if (c == '0')
      out.push_back('\0');
    else if (c == 'x' && i + 2 < s.size() + 1) {
      out.push_back(static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16)));
      i += 2;
    } else
      out.push_back(c);
  }
  return out;
}

inline std::string Escape(const std::vector<uint8_t>& bytes) {
  std::string out;
  static const char* hex = "0123456789ABCDEF";
  for (uint8_t b : bytes) {
    if (b == '\r')
      out += "\\r";
    else if (b == '\n')
      out += "\\n";
    else if (b >= 0x20 && b < 0x7F && b != '\\')
      out.push_back(static_cast<char>(b));
    else
      out += std::string("\\x") + hex[b >> 4] + hex[b & 15];
  }
  return out;
}

class TranscriptRunner {
 public:
  explicit TranscriptRunner(SessionHarness& h) : h_(h) {}

  // Runs the steps; returns the failures ("line N: ...") in order; stops at
  // the first one, since later steps depend on it.
  std::vector<std::string> run(std::istream& in) {
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
      ++lineNo;
      if (!raw.empty() && raw.back() == '\r') raw.pop_back();
      std::string err = step(raw);
      if (!err.empty()) {
        failures_.push_back("line " + std::to_string(lineNo) + ": " + raw + "\n  " + err);
        break;
      }
    }
    return failures_;
  }
  std::vector<std::string> runFile(const std::string& path) {
    std::ifstream f(path);
    if (!f) return {"cannot open " + path};
    return run(f);
  }
  size_t consumedWrites() const { return consumed_; }

 private:
  std::string step(const std::string& line) {
    size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos || line[start] == '#') return {};
    std::string body = line.substr(start);
    auto rest = [&](size_t n) { return n < body.size() ? body.substr(n) : std::string(); };
    if (body.rfind("K> ", 0) == 0 || body.rfind("> ", 0) == 0) {
      const bool kesta = body[0] == 'K';
      std::string text = rest(kesta ? 3 : 2);
      long at = -1;
      if (auto p = text.rfind(" @"); p != std::string::npos) {
        at = std::strtol(text.c_str() + p + 2, nullptr, 10);
        text.erase(p);
      }
      text = Unescape(text);
      std::vector<uint8_t> want;
      if (kesta) {
        want = KestaFrame(text);
      } else {
        want.assign(text.begin(), text.end());
        want.push_back('\r');
      }
      if (!h_.runUntilWrites(consumed_ + 1)) return "no write came; expected " + Escape(want);
      const auto& w = h_.port.writes[consumed_++];
      if (w.bytes != want)
        return "wrote \"" + Escape(w.bytes) + "\", expected \"" + Escape(want) + "\"";
      if (at >= 0 && w.at - mark_ != at)
        return "written after " + std::to_string(w.at - mark_) + " ms, expected " +
               std::to_string(at);
      mark_ = w.at;
      return {};
    }
    if (body.rfind("K< ", 0) == 0 || body.rfind("< ", 0) == 0) {
      const bool kesta = body[0] == 'K';
      std::string text = Unescape(rest(kesta ? 3 : 2));
      if (kesta) text.push_back('\r');
      mark_ = h_.clock.now();
      h_.receive(text);
      return {};
    }
    std::istringstream ss(body);
    std::string cmd, what;
    ss >> cmd >> what;
    std::string value;
    std::getline(ss, value);
    if (!value.empty() && value[0] == ' ') value.erase(0, 1);
    if (cmd == "set") return set(what, value);
    if (cmd == "click") {
      mark_ = h_.clock.now();
      if (what == "start")
        h_.start();
      else if (what == "stop")
        h_.stop();
      else if (what == "clear")
        h_.controller.clearFaults();
      else if (what == "read")
        h_.controller.readFaults();
      else
        return "unknown click";
      return {};
    }
    if (cmd == "wait" || cmd == "quiet") {
      const size_t before = h_.port.writes.size();
      h_.advance(std::strtol(what.c_str(), nullptr, 10));
      if (cmd == "quiet" && h_.port.writes.size() != before)
        return "unexpected write \"" + Escape(h_.port.writes[before].bytes) + "\"";
      return {};
    }
    if (cmd == "expect") return expect(what, value);
    if (cmd == "chatter") {
      const long total = std::strtol(what.c_str(), nullptr, 10);
      char* end = nullptr;
      const long every = std::strtol(value.c_str(), &end, 10);
      if (every <= 0 || !end || *end != ' ') return "chatter needs MS EVERY TEXT";
      const std::string text = Unescape(end + 1);
      for (long t = every; t <= total; t += every) {
        h_.advance(every);
        h_.receive(text);
      }
      consumed_ = h_.port.writes.size();
      mark_ = h_.clock.now();
      return {};
    }
    return "unknown step";
  }

  std::string set(const std::string& what, const std::string& v) {
    const int n = std::atoi(v.c_str());
    if (what == "make")
      h_.view.make = n;
    else if (what == "ecu")
      h_.view.ecu = n;
    else if (what == "adapter")
      h_.view.adapter = n;
    else if (what == "page")
      h_.view.page = n;
    else if (what == "port")
      h_.view.port = v;
    else if (what == "log")
      h_.controller.setLogEnabled(v == "on");
    else
      return "unknown setting";
    return {};
  }

  std::string expect(const std::string& what, const std::string& v) {
    const auto& st = h_.controller.sessionState();
    auto cmp = [](const std::string& got, const std::string& want) -> std::string {
      return got == want ? std::string() : "got \"" + got + "\", expected \"" + want + "\"";
    };
    auto onOff = [](bool b) { return std::string(b ? "on" : "off"); };
    if (what == "caption") return cmp(h_.view.caption, v);
    if (what == "status") return cmp(h_.view.status, v);
    if (what == "labelsSet") return cmp(std::to_string(h_.view.statusHistory.size()), v);
    if (what == "linkState") return cmp(std::to_string(h_.controller.adapterState().linkState), v);
    if (what == "nextCommand") return cmp(std::to_string(st.nextCommand), v);
    if (what == "nextRequest") return cmp(st.nextRequest, v);
    if (what == "timer2") return cmp(onOff(h_.controller.timer2Enabled()), v);
    if (what == "timer3") return cmp(onOff(h_.controller.timer3Enabled()), v);
    if (what == "selectors") return cmp(onOff(h_.view.selectorsEnabled), v);
    if (what == "running") return cmp(h_.controller.running() ? "yes" : "no", v);
    if (what == "errors") return cmp(std::to_string(h_.view.errors.size()), v);
    if (what == "faults") return cmp(std::to_string(h_.view.faultLines.size()), v);
    if (what == "opened") return cmp(std::to_string(h_.port.openedPaths.size()), v);
    if (what == "error") {
      for (const auto& e : h_.view.errors)
        if (e == v) return {};
      return "error \"" + v + "\" not shown";
    }
    if (what == "fault") {
      for (const auto& l : h_.view.faultLines)
        if (l == v) return {};
      return "fault line \"" + v + "\" not listed";
    }
    if (what == "response") {
      std::istringstream ss(v);
      std::string hex;
      size_t i = 0;
      const auto& rb = st.response;
      while (ss >> hex) {
        const auto want = static_cast<uint8_t>(std::strtol(hex.c_str(), nullptr, 16));
        if (rb[i] != want)
          return "ResponseBytes[" + std::to_string(i) + "] = " + std::to_string(rb[i]) +
                 ", expected " + std::to_string(want);
        ++i;
      }
      for (size_t j = i; j < kResponseSize; ++j)
        if (rb[j] != 0) return "ResponseBytes[" + std::to_string(j) + "] is not 0";
      return {};
    }
    if (what == "gauge") {
      std::istringstream ss(v);
      std::string name;
      double want = 0;
      ss >> name >> want;
      auto c = ComponentByName(name);
      if (!c) return "unknown gauge " + name;
      if (!h_.view.gauges.count(*c)) return name + " never set";
      const float got = h_.view.gauge(*c);
      if (std::fabs(got - want) > 1e-3 * std::max(1.0, std::fabs(want)))
        return name + " = " + std::to_string(got) + ", expected " + v;
      return {};
    }
    return "unknown expectation";
  }

  SessionHarness& h_;
  size_t consumed_ = 0;
  Millis mark_ = 0;
  std::vector<std::string> failures_;
};

}  // namespace kalvex::test
