// Rates termios has no constant for (14400, 56000, 10400 for K-line...).
// Kept apart because the kernel's termios2 header clashes with <termios.h>.
#include "link/posix/va_comm_posix_baud.h"

#include <cerrno>

#ifdef __linux__
#include <asm/termbits.h>
#include <sys/ioctl.h>
#endif

namespace kalvex::posix_baud {

int SetArbitraryRate(int fd, int bitsPerSecond) {
#if defined(__linux__) && defined(BOTHER)
  if (bitsPerSecond <= 0) return EINVAL;
  struct termios2 t {};
  if (::ioctl(fd, TCGETS2, &t) != 0) return errno;
  t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  t.c_ispeed = static_cast<speed_t>(bitsPerSecond);
  t.c_ospeed = static_cast<speed_t>(bitsPerSecond);
  return ::ioctl(fd, TCSETS2, &t) == 0 ? 0 : errno;
#else
  (void)fd;
  (void)bitsPerSecond;
  return EINVAL;
#endif
}

int ReadRate(int fd, int* bitsPerSecond) {
#if defined(__linux__) && defined(BOTHER)
  struct termios2 t {};
  if (::ioctl(fd, TCGETS2, &t) != 0) return errno;
  *bitsPerSecond = static_cast<int>(t.c_ospeed);
  return 0;
#else
  (void)fd;
  (void)bitsPerSecond;
  return EINVAL;
#endif
}

}  // namespace kalvex::posix_baud
