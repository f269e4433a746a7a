// What a user reads when a port or a file fails: the device or the file by
// name and the reason in our own Russian words, with the system's message
// kept after it for whoever reads it to support. GUI-free.
#pragma once

#include <string>

namespace kalvex {

// The reason for an errno value in Russian; the C library's own text with
// the code for codes we do not word.
std::string SystemReason(int code);

// Why a file could not be saved, for an errno value: as SystemReason, but a
// missing file is the folder it was to go in.
std::string SaveFailureReason(int code);

// What to do about a device the user may not open: join the device's group
// when its group may read and write it and is one a user joins; otherwise
// (owned by root, mode 0600 and the like) that a group will not help.
struct DeviceOwnership {
  std::string group;  // empty when unknown
  unsigned gid = 0;
  unsigned mode = 0;  // permission bits
};
std::string PermissionHintFor(const std::string& path, const DeviceOwnership& owner);
// The same for the device as it is now (stat; a generic hint when it cannot
// be looked at, or on Windows).
std::string PermissionHint(const std::string& path);

// A serial port failure as the user sees it: `message` is the port layer's
// (open, line settings, read, write), `port` the device it concerns.
std::string PortErrorText(const std::string& port, const std::string& message);

}  // namespace kalvex
