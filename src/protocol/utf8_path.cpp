#include "protocol/utf8_path.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kalvex {

#ifdef _WIN32

std::wstring WideFromUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
  if (n > 0)
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Utf8FromWide(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0)
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                          nullptr, nullptr);
  return out;
}

std::filesystem::path PathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(WideFromUtf8(utf8));
}

std::string Utf8FromPath(const std::filesystem::path& path) { return Utf8FromWide(path.native()); }

std::FILE* OpenFileUtf8(const std::string& utf8, const char* mode) {
  return ::_wfopen(WideFromUtf8(utf8).c_str(), WideFromUtf8(mode).c_str());
}

std::string GetEnvUtf8(const char* name) {
  const wchar_t* value = ::_wgetenv(WideFromUtf8(name).c_str());
  return value ? Utf8FromWide(value) : std::string();
}

#else

std::filesystem::path PathFromUtf8(const std::string& utf8) { return std::filesystem::path(utf8); }

std::string Utf8FromPath(const std::filesystem::path& path) { return path.string(); }

std::FILE* OpenFileUtf8(const std::string& utf8, const char* mode) {
  return std::fopen(utf8.c_str(), mode);
}

std::string GetEnvUtf8(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : std::string();
}

#endif

}  // namespace kalvex
