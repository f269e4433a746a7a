// Standard input, output and error that a parent closed before starting us
// would be handed to whatever opens next (the serial port, a log file), and
// every CSV row or message would land in it. Called first thing in main().
#pragma once

namespace kalvex {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. False
// when one could not be opened (the caller has nowhere safe to write and
// should exit). Windows: nothing to do, true.
bool OpenMissingStandardDescriptors();

}  // namespace kalvex
