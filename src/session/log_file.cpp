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

std::string LogFile::DefaultFolder() {
  if (const char* dir = std::getenv("KALVEX_LOG_DIR"); dir && *dir) return dir;
#ifdef _WIN32
  // Beside the program, whatever the working folder: that is where the
  // window's log switch has always put them.
  wchar_t exe[4 * MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, exe, static_cast<DWORD>(std::size(exe)));
  if (n == 0 || n >= std::size(exe)) return "LOG";
  return (std::filesystem::path(exe).parent_path() / "LOG").string();
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
  const std::filesystem::path dir = folder();
  if (dir.empty())
    return fail(ENOENT, "the log folder",
                "no home folder is known (set HOME, XDG_DATA_HOME or KALVEX_LOG_DIR)");
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) {
    std::filesystem::create_directories(dir, ec);
    if (ec) return fail(ec.value() ? ec.value() : EIO, dir.string(), ec.message());
  }
  fileName_ = (dir / FileNameFor(now)).string();
  return writeLine(StampFor(now));
}

int LogFile::fail(int err, const std::string& path, const std::string& text) {
  lastError_ = err;
  lastErrorText_ = path + ": " + text;
  return err;
}

int LogFile::appendLine(const std::string& marker, const std::string& text) {
  if (fileName_.empty()) return ENOENT;
  return writeLine(StampFor(wallClock_()) + marker + text);
}

int LogFile::writeLine(const std::string& line) {
  errno = 0;
  // Append in both cases: a second start within the same second must not
  // empty the file of the first.
  std::FILE* f = std::fopen(fileName_.c_str(), "ab");
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

}  // namespace kalvex
