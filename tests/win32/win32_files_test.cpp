// Windows file names and the port list: folders with Cyrillic names (the
// ANSI code page cannot spell them) for the log, CSV files and the log
// folder's fall-back; the registry's serial ports merged with the probe.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/port_discovery.h"
#include "protocol/utf8_path.h"
#include "session/log_file.h"
#include "session/session_values.h"

namespace kalvex {
namespace {

// A fresh folder under the temporary folder, named in Cyrillic (UTF-8).
std::string CyrillicFolder(const std::string& leaf) {
  wchar_t temp[MAX_PATH];
  const DWORD n = ::GetTempPathW(MAX_PATH, temp);
  EXPECT_GT(n, 0u);
  const std::filesystem::path dir =
      std::filesystem::path(temp) / PathFromUtf8("Механик " + leaf) / PathFromUtf8("Журналы");
  std::error_code ec;
  std::filesystem::remove_all(dir.parent_path(), ec);
  return Utf8FromPath(dir);
}

std::tm SomeTime() {
  std::tm t{};
  t.tm_year = 126;
  t.tm_mon = 11;
  t.tm_mday = 6;
  t.tm_hour = 21;
  t.tm_min = 3;
  t.tm_sec = 55;
  return t;
}

TEST(Win32Files, LogInACyrillicFolder) {
  const std::string folder = CyrillicFolder("log");
  LogFile log(folder, SomeTime);
  ASSERT_EQ(log.create(), 0) << log.lastPath();
  ASSERT_EQ(log.appendLine(" --- ", "41 6B>"), 0);
  EXPECT_EQ(log.fileName(), folder + "\\06-12-2026 21_03_55.log");
  // Read back through the wide name: one file, both lines.
  std::ifstream in(PathFromUtf8(log.fileName()), std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(content, "06/12/2026 21:03:55\r\n06/12/2026 21:03:55 --- 41 6B>\r\n");
  // No folder of garbled letters beside it.
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e :
       std::filesystem::directory_iterator(PathFromUtf8(folder).parent_path()))
    ++entries;
  EXPECT_EQ(entries, 1u);
}

TEST(Win32Files, AFolderThatCannotBeMadeIsNamed) {
  const std::string folder = CyrillicFolder("file");
  std::filesystem::create_directories(PathFromUtf8(folder));
  const std::string blocker = folder + "\\Файл";
  std::FILE* f = OpenFileUtf8(blocker, "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  LogFile log(blocker + "\\LOG", SomeTime);
  EXPECT_NE(log.create(), 0);
  EXPECT_EQ(log.lastPath(), blocker + "\\LOG");
}

TEST(Win32Files, CsvRoundTripThroughACyrillicName) {
  const std::string folder = CyrillicFolder("csv");
  std::filesystem::create_directories(PathFromUtf8(folder));
  const std::string path = folder + "\\Сессия.csv";
  SessionValues values;
  GaugeValues row{};
  row[static_cast<size_t>(Component::VI_Nmot)] = 850;
  values.append(1000, row);
  std::FILE* out = OpenFileUtf8(path, "wb");
  ASSERT_NE(out, nullptr);
  ASSERT_TRUE(values.writeCsv(out));
  std::fclose(out);
  SessionValues back;
  std::string error;
  ASSERT_TRUE(back.readCsv(path, error)) << error;
  ASSERT_EQ(back.size(), 1u);
  // A missing file's error names it, in UTF-8.
  EXPECT_FALSE(back.readCsv(folder + "\\Нет.csv", error));
  EXPECT_NE(error.find("Нет.csv"), std::string::npos) << error;
}

TEST(Win32Files, UserLogFolderUnderLocalAppData) {
  const std::string saved = GetEnvUtf8("LOCALAPPDATA");
  const std::string local = CyrillicFolder("appdata");
  ASSERT_EQ(::_wputenv_s(L"LOCALAPPDATA", WideFromUtf8(local).c_str()), 0);
  EXPECT_EQ(LogFile::UserFolder(), local + "\\Kalvex\\LOG");
  ::_wputenv_s(L"LOCALAPPDATA", WideFromUtf8(saved).c_str());
  // KALVEX_LOG_DIR given in Cyrillic is taken as it is.
  ::_wputenv_s(L"KALVEX_LOG_DIR", WideFromUtf8(local).c_str());
  EXPECT_EQ(LogFile::DefaultFolder(), local);
  ::_wputenv_s(L"KALVEX_LOG_DIR", L"");
}

TEST(Win32Ports, NamesMergeInNumberOrder) {
  const struct {
    std::vector<std::string> registered;
    std::vector<int> probed;
    std::vector<std::string> listed;
  } kRows[] = {
      {{}, {}, {}},
      {{"COM3", "COM1"}, {}, {"COM1", "COM3"}},
      {{"COM10", "COM2"}, {9, 2, 1}, {"COM1", "COM2", "COM9", "COM10"}},
      {{"com4", "COM4"}, {4}, {"COM4"}},
      {{"CNCA0", "COM256", "COM0", "COM05", "COMx", "COM"},
       {255},
       {"COM255", "COM256", "CNCA0", "COM", "COM0", "COM05", "COMx"}},
  };
  for (const auto& row : kRows) EXPECT_EQ(MergePortNames(row.registered, row.probed), row.listed);
}

// A port the serial driver registered is listed without being opened (it
// may be in use): wine keeps the key volatile like Windows, writable here.
TEST(Win32Ports, RegisteredPortsAreListed) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t name[] = L"COM77";
  ASSERT_EQ(::RegSetValueExW(key, L"\\Device\\KalvexTest0", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(name), sizeof name),
            ERROR_SUCCESS);
  const std::vector<std::string> ports = DiscoverPorts({"\\\\.\\pipe\\extra"});
  ::RegDeleteValueW(key, L"\\Device\\KalvexTest0");
  ::RegCloseKey(key);
  ASSERT_GE(ports.size(), 2u);
  EXPECT_NE(std::find(ports.begin(), ports.end(), "COM77"), ports.end());
  EXPECT_EQ(ports.back(), "\\\\.\\pipe\\extra");
}

}  // namespace
}  // namespace kalvex
