#include "session/log_file.h"

#include "link/process_setup.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "protocol/utf8_path.h"

namespace kalvex {

namespace {

std::tm LocalNow() {
  std::time_t t = std::time(nullptr);
  std::tm out{};
#ifdef _WIN32
  localtime_s(&out, &t);
#else
  localtime_r(&t, &out);
#endif
  return out;
}

std::string Format(const std::tm& t, char dateSep, char timeSep) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d%c%02d%c%04d %02d%c%02d%c%02d", t.tm_mday, dateSep,
                t.tm_mon + 1, dateSep, t.tm_year + 1900, t.tm_hour, timeSep, t.tm_min, timeSep,
                t.tm_sec);
  return buf;
}

}  // namespace

LogFile::LogFile(std::string folder, WallClock wallClock)
    : folder_(std::move(folder)), wallClock_(std::move(wallClock)) {
  if (!wallClock_) wallClock_ = LocalNow;
}

#ifdef _WIN32
namespace {

// Whether a log could be made in `dir`: a probe file, deleted again by the
// system as it is closed, in `dir`, or where `dir` would be created. Nothing
// is created for good (an uninstaller must find the folder as it left it).
bool CanWriteIn(const std::filesystem::path& dir) {
  std::error_code ec;
  const std::filesystem::path where =
      std::filesystem::is_directory(dir, ec) ? dir : dir.parent_path();
  const std::filesystem::path probe = where / L".kalvex-write-test";
  HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_EXISTS;
  ::CloseHandle(h);
  return true;
}

}  // namespace

std::string LogFile::ProgramFolder() {
  // Beside the program, whatever the working folder: that is where the
  // window's log switch has always put them.
  wchar_t exe[4 * MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, exe, static_cast<DWORD>(std::size(exe)));
  if (n == 0 || n >= std::size(exe)) return "LOG";
  return Utf8FromPath(std::filesystem::path(exe).parent_path() / L"LOG");
}

std::string LogFile::UserFolder() {
  // A program installed where the user may not write (Program Files) logs
  // to the user's own application data instead.
  const std::string local = GetEnvUtf8("LOCALAPPDATA");
  if (local.empty()) return {};
  return Utf8FromPath(PathFromUtf8(local) / L"Kalvex" / L"LOG");
}
#endif

std::string LogFile::DefaultFolder() {
  if (std::string dir = GetEnvUtf8("KALVEX_LOG_DIR"); !dir.empty()) return dir;
#ifdef _WIN32
  const std::string beside = ProgramFolder();
  if (CanWriteIn(PathFromUtf8(beside))) return beside;
  const std::string user = UserFolder();
  return user.empty() ? beside : user;
#else
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
    return std::string(data) + "/Kalvex/LOG";
  // Without any home the folder is left empty and creating a log fails with
  // a reason, rather than writing into whatever folder we were started in.
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.local/share/Kalvex/LOG";
#endif
}

std::string LogFile::folder() const { return folder_.empty() ? DefaultFolder() : folder_; }

std::string LogFile::FileNameFor(const std::tm& t) { return Format(t, '-', '_') + ".log"; }

std::string LogFile::StampFor(const std::tm& t) { return Format(t, '/', ':'); }

int LogFile::create() {
  const std::tm now = wallClock_();
  lastPath_ = folder();
  const std::filesystem::path dir = PathFromUtf8(lastPath_);
  if (dir.empty())
    return fail(ENOENT, "the log folder",
                "no home folder is known (set HOME, XDG_DATA_HOME or KALVEX_LOG_DIR)");
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) {
    std::filesystem::create_directories(dir, ec);
    if (ec) return fail(ec.value() ? ec.value() : EIO, lastPath_, ec.message());
  }
  fileName_ = Utf8FromPath(dir / PathFromUtf8(FileNameFor(now)));
  lastPath_ = fileName_;
  return writeLine(StampFor(now));
}

int LogFile::fail(int err, const std::string& path, const std::string& text) {
  lastError_ = err;
  lastErrorText_ = path + ": " + text;
  return err;
}

int LogFile::appendLine(const std::string& marker, const std::string& text) {
  if (fileName_.empty()) return ENOENT;
  lastPath_ = fileName_;
  return writeLine(StampFor(wallClock_()) + marker + text);
}

int LogFile::writeLine(const std::string& line) {
  errno = 0;
  // Append in both cases: a second start within the same second must not
  // empty the file of the first.
  std::FILE* f = OpenFileUtf8(fileName_, "ab");
  if (!f) {
    const int err = errno ? errno : EIO;
    return fail(err, fileName_, std::strerror(err));
  }
  const std::string out = line + "\r\n";
  const size_t written = std::fwrite(out.data(), 1, out.size(), f);
  int err = written == out.size() ? 0 : (errno ? errno : EIO);
  if (std::fclose(f) != 0 && err == 0) err = errno ? errno : EIO;
  return err == 0 ? 0 : fail(err, fileName_, std::strerror(err));
}

// ---- the line format, read back -------------------------------------------

const char* LogMarkerText(LogMarker marker) {
  return marker == LogMarker::Extracted ? " -E- " : " --- ";
}

namespace {

bool Digits(std::string_view s, size_t at, size_t n, int& out) {
  out = 0;
  for (size_t i = at; i < at + n; ++i) {
    const char c = s[i];
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  return true;
}

int DaysInMonth(int month, int year) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// The stamp StampFor writes, as seconds; nullopt for anything else.
std::optional<long long> StampSeconds(std::string_view line) {
  if (line.size() < kLogStampSize) return std::nullopt;
  if (line.size() > kLogStampSize && line[kLogStampSize] != ' ') return std::nullopt;
  if (line[2] != '/' || line[5] != '/' || line[10] != ' ' || line[13] != ':' || line[16] != ':')
    return std::nullopt;
  int d = 0, mo = 0, y = 0, h = 0, mi = 0, s = 0;
  if (!Digits(line, 0, 2, d) || !Digits(line, 3, 2, mo) || !Digits(line, 6, 4, y) ||
      !Digits(line, 11, 2, h) || !Digits(line, 14, 2, mi) || !Digits(line, 17, 2, s))
    return std::nullopt;
  if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(mo, y) || h > 23 || mi > 59 || s > 59)
    return std::nullopt;
  // Days from the civil date (proleptic Gregorian).
  const int yy = y - (mo <= 2);
  const int era = yy / 400;
  const int yoe = yy - era * 400;
  const int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365LL + yoe / 4 - yoe / 100 + doy;
  const long long days = era * 146097LL + doe;
  return days * 86400 + h * 3600 + mi * 60 + s;
}

}  // namespace

std::optional<LogLine> ReadLogLine(std::string_view line) {
  const std::optional<long long> seconds = StampSeconds(line);
  if (!seconds) return std::nullopt;
  LogLine out;
  out.seconds = *seconds;
  const std::string_view rest = line.substr(kLogStampSize);
  for (LogMarker m : {LogMarker::Adapter, LogMarker::Extracted}) {
    const std::string_view marker = LogMarkerText(m);
    if (!rest.starts_with(marker)) continue;
    out.marker = m;
    out.text = rest.substr(marker.size());
  }
  return out;
}

}  // namespace kalvex
