// The Windows side of the platform: the Win32 TVaComm where wine (or
// Windows) can serve it without a serial port (the open's failures with the
// system's code and text, a failure after the device opened, which must give
// the handle back), port texts and the log folder beside the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "link/port_discovery.h"
#include "link/system_errors.h"
#include "link/va_comm.h"
#include "session/log_file.h"

namespace kalvex {
namespace {

namespace msg = va_comm_messages;

std::string ErrorOf(TVaComm& port) {
  try {
    port.Open();
  } catch (const EVaCommError& e) {
    return e.what();
  }
  return "(no error)";
}

// One instance of a byte-mode pipe; a second client finds it busy.
class Pipe {
 public:
  explicit Pipe(const std::string& name)
      : path_("\\\\.\\pipe\\" + name),
        h_(::CreateNamedPipeA(path_.c_str(), PIPE_ACCESS_DUPLEX,
                              PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                              nullptr)) {}
  ~Pipe() {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  const std::string& path() const { return path_; }
  HANDLE handle() const { return h_; }

 private:
  std::string path_;
  HANDLE h_;
};

TEST(VaCommWin32, AMissingPortIsNotFoundAndStaysClosed) {
  for (const char* name : {"COM199", "COM256"}) {
    TVaComm port;
    port.SetDeviceName(DevicePathForPortText(name));
    EXPECT_EQ(ErrorOf(port), "Specified device not found (\\\\.\\" + std::string(name) + ").");
    EXPECT_FALSE(port.Active());
  }
  // "COM%d" with PortNum, as the port object starts.
  TVaComm port;
  port.SetDeviceName("\\\\.\\COM%d");
  port.SetPortNum(211);
  EXPECT_EQ(ErrorOf(port), "Specified device not found (\\\\.\\COM211).");
}

TEST(VaCommWin32, ABusyDeviceNamesTheSystemsCodeAndText) {
  Pipe pipe("kalvex-busy-" + std::to_string(::GetCurrentProcessId()));
  ASSERT_TRUE(pipe.ok());
  HANDLE first = ::CreateFileA(pipe.path().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  // What a connected client looks like to the peek below.
  EXPECT_TRUE(::PeekNamedPipe(pipe.handle(), nullptr, 0, nullptr, nullptr, nullptr));
  TVaComm port;
  port.SetDeviceName(pipe.path());
  const std::string text = msg::PlatformErrorText(ERROR_PIPE_BUSY);
  // FormatMessage's line end and full stop are not part of the message.
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '.');
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(ErrorOf(port),
            "Can't open specified device " + pipe.path() + " (Error 231, " + text + ")");
  EXPECT_FALSE(port.Active());
  ::CloseHandle(first);
}

// A Windows code we have no words for ("Not ready", 21) is said once, as the
// system's text with its code, not again in the port layer's message after it.
TEST(VaCommWin32, TheSystemsOwnReasonIsSaidOnce) {
  const std::string system = msg::PlatformErrorText(ERROR_NOT_READY);
  ASSERT_FALSE(system.empty());
  const std::string text = PortErrorText("COM7", msg::WithCode(msg::kWriteError, ERROR_NOT_READY));
  EXPECT_EQ(text, "Ошибка записи в порт COM7: " + system + " (код 21).");
}

TEST(VaCommWin32, AFailureAfterTheOpenClosesTheHandle) {
  // A pipe opens like a device but takes no serial settings: the open fails
  // at its first serial call and must give the pipe's only instance back.
  // Without line settings it fails one call later, and lets go all the same.
  const struct {
    bool updateDcb;
    const char* error;
  } kRows[] = {{true, "Error writing dcb ("}, {false, "Error initializing buffers ("}};
  for (const auto& row : kRows) {
    Pipe pipe("kalvex-open-" + std::to_string(::GetCurrentProcessId()) + "-" +
              std::to_string(row.updateDcb));
    ASSERT_TRUE(pipe.ok());
    TVaComm port;
    port.SetDeviceName(pipe.path());
    port.SetUpdateDCB(row.updateDcb);
    const std::string error = ErrorOf(port);
    EXPECT_EQ(error.rfind(row.error, 0), 0u) << error;
    EXPECT_FALSE(port.Active());
    // With the client's handle still open the peek would succeed (no data).
    EXPECT_FALSE(::PeekNamedPipe(pipe.handle(), nullptr, 0, nullptr, nullptr, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE)) << row.error;
  }
}

TEST(VaCommWin32, ClosedPortMovesNothing) {
  TVaComm port;
  uint8_t buf[4] = {1, 2, 3, 4};
  EXPECT_EQ(port.ReadBytes(buf, sizeof buf), 0u);
  EXPECT_EQ(port.WriteBytes(buf, sizeof buf), 0u);
  port.SetDtr(true);  // nothing to switch while closed
  port.Close();
  EXPECT_FALSE(port.Active());
}

TEST(VaCommWin32, PortTextsBecomeDevicePaths) {
  EXPECT_EQ(DevicePathForPortText("COM3"), "\\\\.\\COM3");
  EXPECT_EQ(DevicePathForPortText("COM256"), "\\\\.\\COM256");
  EXPECT_EQ(DevicePathForPortText("\\\\.\\COM12"), "\\\\.\\COM12");
}

TEST(Win32LogFolder, BesideTheProgramUnlessKalvexLogDirSaysOtherwise) {
  const char* set = std::getenv("KALVEX_LOG_DIR");
  const std::string saved = set ? set : "";
  _putenv_s("KALVEX_LOG_DIR", "");
  wchar_t exe[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
  // Not the working folder: a shortcut may start the program anywhere.
  EXPECT_EQ(LogFile::DefaultFolder(), (std::filesystem::path(exe).parent_path() / "LOG").string());
  _putenv_s("KALVEX_LOG_DIR", "D:\\logs");
  EXPECT_EQ(LogFile::DefaultFolder(), "D:\\logs");
  _putenv_s("KALVEX_LOG_DIR", saved.c_str());
}

}  // namespace
}  // namespace kalvex
