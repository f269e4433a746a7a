// kalvex-cli: the headless front end.
#include <cstdio>
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
#include "cli/language.h"
#include "link/process_setup.h"
#include "protocol/utf8_path.h"

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
  using namespace kalvex::cli;
  CommandLine line;
  const ParseOutcome parsed =
      ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), line);
  // The chosen language, for the command's texts and for a mistake's.
  UseLanguage(line.language.value_or("ru"));
  if (parsed.status >= 0) {
    std::fputs(parsed.err.c_str(), stderr);
    // Help and version go to stdout and succeed, unless stdout cannot take them.
    if (parsed.out.empty()) return parsed.status;
    std::fputs(parsed.out.c_str(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? parsed.status : 1;
  }
  const std::string& cmd = line.command;
  if (cmd == "ports") return RunPorts(line.ports);
  if (cmd == "decode") return RunDecode(line.decode);
#ifdef _WIN32
  if (cmd == "simulate") {
    std::fprintf(stderr,
                 "kalvex-cli: simulate serves a pseudo-terminal and is not available on "
                 "Windows\n");
    return 2;
  }
#else
  if (cmd == "simulate") return RunSimulate(line.simulate);
#endif
  if (cmd == "monitor")
    return line.monitor.obd ? RunObdMonitor(line.monitor) : RunMonitor(line.monitor);
  if (cmd == "obd") return RunObdInfo(line.obd);
  return line.replay.obd ? RunObdReplay(line.replay) : RunReplay(line.replay);
}
