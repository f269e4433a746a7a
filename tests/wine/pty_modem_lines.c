/* Preloaded into wine for the serial tests: a pseudo-terminal answers the
 * modem-line ioctls as a UART with an adapter on it would. Wine's serial
 * event thread polls the lines (TIOCMGET) and the interrupt counters
 * (TIOCGICOUNT) and ends every WaitCommEvent with an error when a pty
 * refuses them, so no session could run. DTR and RTS keep what was last
 * set; DSR and CTS read as raised; the counters never move. Every other
 * ioctl, and these on a real serial device, go to the C library unchanged.
 *
 *   gcc -shared -fPIC -O2 -o pty_modem_lines.so pty_modem_lines.c -ldl
 *   LD_PRELOAD=$PWD/pty_modem_lines.so wine program.exe
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <linux/serial.h>
#include <pthread.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);

/* Modem lines per descriptor; descriptors past the table read as all set. */
enum { kMaxFd = 4096 };
static int lines[kMaxFd];
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;

/* Unix98 pty slaves have majors 136..143. */
static int is_pty_slave(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
  const unsigned major_no = major(st.st_rdev);
  return major_no >= 136 && major_no <= 143;
}

static int fake(int fd, unsigned long request, void* arg) {
  const int idx = fd >= 0 && fd < kMaxFd ? fd : -1;
  pthread_mutex_lock(&lock);
  int current = idx >= 0 ? lines[idx] : (TIOCM_DTR | TIOCM_RTS);
  int bits = arg ? *(int*)arg : 0;
  switch (request) {
    case TIOCMGET:
      *(int*)arg = current | TIOCM_DSR | TIOCM_CTS;
      break;
    case TIOCMSET:
      current = bits & (TIOCM_DTR | TIOCM_RTS);
      break;
    case TIOCMBIS:
      current |= bits & (TIOCM_DTR | TIOCM_RTS);
      break;
    case TIOCMBIC:
      current &= ~(bits & (TIOCM_DTR | TIOCM_RTS));
      break;
    case TIOCGICOUNT:
      memset(arg, 0, sizeof(struct serial_icounter_struct));
      break;
  }
  if (idx >= 0) lines[idx] = current;
  pthread_mutex_unlock(&lock);
  return 0;
}

int ioctl(int fd, unsigned long request, ...) {
  static ioctl_fn real;
  if (!real) real = (ioctl_fn)dlsym(RTLD_NEXT, "ioctl");
  va_list ap;
  va_start(ap, request);
  void* arg = va_arg(ap, void*);
  va_end(ap);
  const int saved = errno;
  const int r = real(fd, request, arg);
  if (r == 0 || arg == NULL) return r;
  switch (request) {
    case TIOCMGET:
    case TIOCMSET:
    case TIOCMBIS:
    case TIOCMBIC:
    case TIOCGICOUNT:
      if ((errno == ENOTTY || errno == EINVAL || errno == EIO) && is_pty_slave(fd)) {
        errno = saved;
        return fake(fd, request, arg);
      }
      break;
  }
  return r;
}
