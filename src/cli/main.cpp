// kalvex-cli: the headless front end.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// after windows.h
#include <shellapi.h>
#endif

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/language.h"
#include "link/process_setup.h"
#include "protocol/utf8_path.h"

namespace {

int Usage() {
  std::fputs(kalvex::cli::MainHelp(), stderr);
  return 2;
}

// Help and version go to stdout and succeed, unless stdout cannot take them.
int Print(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

bool AsksForHelp(int argc, char** argv) {
  for (int i = 2; i < argc; ++i)
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything opens: a closed stdout must not become the serial port.
  if (!kalvex::OpenMissingStandardDescriptors()) return 1;
#ifdef _WIN32
  // Same bytes as on Linux: LF line ends out, and CR LF input is taken as
  // it comes (the readers drop a CR before the LF themselves).
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
  // Status texts and fault descriptions are Russian (or English), in UTF-8.
  ::SetConsoleOutputCP(CP_UTF8);
  // The arguments in UTF-8 like every other text: the narrow argv holds only
  // what the ANSI code page can spell, not a Cyrillic file name.
  std::vector<std::string> utf8Args;
  std::vector<char*> utf8Argv;
  int wideCount = 0;
  if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &wideCount)) {
    for (int i = 0; i < wideCount; ++i) utf8Args.push_back(kalvex::Utf8FromWide(wide[i]));
    ::LocalFree(wide);
    for (std::string& a : utf8Args) utf8Argv.push_back(a.data());
    utf8Argv.push_back(nullptr);
    argc = wideCount;
    argv = utf8Argv.data();
  }
#endif
  // --lang stands anywhere on the line and applies to every command.
  std::string langError;
  const auto language = kalvex::cli::TakeLanguageOption(argc, argv, langError);
  if (!langError.empty()) {
    std::fprintf(stderr, "kalvex-cli: %s\n", langError.c_str());
    return 2;
  }
  kalvex::cli::UseLanguage(language.value_or("ru"));
  if (argc < 2) return Usage();
  const std::string cmd = argv[1];
  if (cmd == "--help" || cmd == "-h" || cmd == "help") return Print(kalvex::cli::MainHelp());
  if (cmd == "--version" || cmd == "-v") return Print(kalvex::cli::VersionText());
  if (const char* help = kalvex::cli::CommandHelp(cmd); help && AsksForHelp(argc, argv))
    return Print(help);
  if (cmd == "ports") return kalvex::cli::RunPorts(argc - 2, argv + 2);
  if (cmd == "decode") return kalvex::cli::RunDecode(argc - 2, argv + 2);
#ifdef _WIN32
  if (cmd == "simulate") {
    std::fprintf(stderr,
                 "kalvex-cli: simulate serves a pseudo-terminal and is not available on "
                 "Windows\n");
    return 2;
  }
#else
  if (cmd == "simulate") return kalvex::cli::RunSimulate(argc - 2, argv + 2);
#endif
  if (cmd == "monitor") return kalvex::cli::RunMonitor(argc - 2, argv + 2);
  if (cmd == "replay") return kalvex::cli::RunReplay(argc - 2, argv + 2);
  std::fprintf(stderr, "kalvex-cli: unknown command: %s\n", cmd.c_str());
  return Usage();
}
