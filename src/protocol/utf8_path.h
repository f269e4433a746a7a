// File names and other texts from the system travel through the program as
// UTF-8, like every other text. On Windows the narrow C library calls
// (fopen, getenv, argv) use the ANSI code page instead, which cannot hold a
// folder such as "C:\Пользователи\Механик"; these helpers cross to the wide
// calls there. On POSIX they pass the bytes through unchanged.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace kalvex {

std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// fopen of a UTF-8 file name (_wfopen on Windows); errno set on failure.
std::FILE* OpenFileUtf8(const std::string& utf8, const char* mode);

// The variable's value as UTF-8; empty when unset.
std::string GetEnvUtf8(const char* name);

#ifdef _WIN32
std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);
#endif

}  // namespace kalvex
