// Bit rates outside the termios B-constants (Linux termios2 / BOTHER).
#pragma once

namespace kalvex::posix_baud {

// Sets input and output rate of an open terminal; 0 or the errno.
int SetArbitraryRate(int fd, int bitsPerSecond);
// The output rate in force, in bits per second; 0 or the errno.
int ReadRate(int fd, int* bitsPerSecond);

}  // namespace kalvex::posix_baud
