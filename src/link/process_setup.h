// What both programs settle about their process before anything else.
#pragma once

#include <string>

namespace kalvex {

// Standard input, output and error that a parent closed before starting us
// would be handed to whatever opens next (the serial port, a log file), and
// every CSV row or message would land in it. Called first thing in main().

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. False
// when one could not be opened (the caller has nowhere safe to write and
// should exit). Windows: nothing to do, true.
bool OpenMissingStandardDescriptors();
// Whether standard output was closed when the program started (found by
// OpenMissingStandardDescriptors, which must run first): what is written
// there goes nowhere. Windows: a standard output with no handle.
bool StandardOutputWasClosed();

// The user's home folder: HOME, or when HOME is unset or empty (a service,
// a cron job) the home the system's user database gives; empty when there
// is none. Never the current folder. Windows: USERPROFILE.
std::string HomeFolder();

}  // namespace kalvex
