// The session log: one text file per start of testing, one CRLF line per
// ELM327 reply, each stamped with local date and time. The file is opened and
// closed around every line, so it is complete on disk at any moment.
// GUI-free; the wall clock is injected so tests can fix the time.
#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "adapter/adapter_driver.h"

namespace kalvex {

// The line format, written by LogFile and read back by ReadLogLine only:
//   "dd/MM/yyyy HH:mm:ss"                 the first line of a file
//   "dd/MM/yyyy HH:mm:ss --- TEXT"        a line from the adapter
//   "dd/MM/yyyy HH:mm:ss -E- TEXT"        the reply extracted from it
inline constexpr size_t kLogStampSize = 19;   // "dd/MM/yyyy HH:mm:ss"
const char* LogMarkerText(LogMarker marker);  // " --- ", " -E- "

struct LogLine {
  // The stamp as seconds on a calendar without time zones: only
  // differences between lines mean anything.
  long long seconds = 0;
  std::optional<LogMarker> marker;  // none: a bare stamp or an unknown marker
  std::string_view text;            // after the marker; views into the line
};

// Nullopt when the line does not start with a real date and time followed
// by the line's end or a space.
std::optional<LogLine> ReadLogLine(std::string_view line);

class LogFile {
 public:
  // Local broken-down time; the default reads the system clock.
  using WallClock = std::function<std::tm()>;

  // `folder` empty: KALVEX_LOG_DIR, else $XDG_DATA_HOME/Kalvex/LOG/, else
  // ~/.local/share/Kalvex/LOG/ (with HOME unset, the home of the user
  // database; with none, no log); on Windows KALVEX_LOG_DIR, else the LOG
  // folder beside the program when a file can be made there, else
  // %LOCALAPPDATA%\Kalvex\LOG. Every path is UTF-8 text.
  explicit LogFile(std::string folder = {}, WallClock wallClock = {});

  // LogCreate: creates the folder if missing and the file
  // "dd-MM-yyyy HH_mm_ss.log", then writes the first line. A file of the
  // same name (two starts within one second) is appended to, not emptied.
  // Returns 0, or the errno of the failure (shown as "I/O error %d").
  int create();
  // LogAppendLine: "dd/MM/yyyy HH:mm:ss" + marker + text + CRLF, appended to
  // the current file. Returns 0 or the errno of the failure; with no file
  // created yet it returns ENOENT.
  int appendLine(const std::string& marker, const std::string& text);
  int appendLine(LogMarker marker, const std::string& text) {
    return appendLine(LogMarkerText(marker), text);
  }

  // The last failure of create() or appendLine(): its errno (0 for none)
  // and "PATH: system text", naming the folder or file that failed.
  int lastError() const { return lastError_; }
  const std::string& lastErrorText() const { return lastErrorText_; }

  bool hasFile() const { return !fileName_.empty(); }
  const std::string& fileName() const { return fileName_; }  // LogFileName
  std::string folder() const;
  // The folder or file the last create() or appendLine() worked on, for
  // error messages that name it.
  const std::string& lastPath() const { return lastPath_; }

  static std::string DefaultFolder();
#ifdef _WIN32
  static std::string ProgramFolder();  // LOG beside the program
  static std::string UserFolder();     // %LOCALAPPDATA%\Kalvex\LOG; empty when unset
#endif
  static std::string FileNameFor(const std::tm& t);  // "06-12-2026 21_03_55.log"
  static std::string StampFor(const std::tm& t);     // "06/12/2026 21:03:55"

 private:
  int writeLine(const std::string& line);

  std::string folder_;
  WallClock wallClock_;
  int fail(int err, const std::string& path, const std::string& text);

  std::string fileName_;
  int lastError_ = 0;
  std::string lastErrorText_;
  std::string lastPath_;
};

}  // namespace kalvex
