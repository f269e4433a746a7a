// Ctrl-C (SIGINT), SIGTERM and, on Windows, a closing console end a
// command's event loop instead of the process, so the port is closed and
// the output finished. Every command that runs a session uses it.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <signal.h>
#endif

#include <atomic>
#include <thread>

#include "cli/event_loop.h"

namespace kalvex::cli {

#ifdef _WIN32
class LoopStopSignals {
 public:
  explicit LoopStopSignals(EventLoop& loop) {
    loop_ = &loop;
    ::SetConsoleCtrlHandler(Handler, TRUE);
  }
  ~LoopStopSignals() {
    ::SetConsoleCtrlHandler(Handler, FALSE);
    loop_ = nullptr;
  }

 private:
  static BOOL WINAPI Handler(DWORD) {
    if (EventLoop* loop = loop_) loop->quit();
    return TRUE;
  }
  static inline std::atomic<EventLoop*> loop_{nullptr};
};
#else
// The signals are blocked in every thread (the mask is set before any
// thread starts), so only sigwait sees them; SIGUSR2 wakes the watcher when
// the run ends on its own.
class LoopStopSignals {
 public:
  explicit LoopStopSignals(EventLoop& loop) {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &set_, nullptr);
    thread_ = std::thread([this, &loop] {
      int sig = 0;
      while (sigwait(&set_, &sig) == 0) {
        if (sig == SIGUSR2) return;
        loop.quit();
      }
    });
  }
  // The mask stays: the process is about to exit, and a second Ctrl-C
  // still pending must not kill it on the way out.
  ~LoopStopSignals() {
    pthread_kill(thread_.native_handle(), SIGUSR2);
    thread_.join();
  }

 private:
  sigset_t set_;
  std::thread thread_;
};
#endif

// A closed output pipe is a write error for the command to stop on, not a
// signal to die of with the port still open. Nothing to do on Windows.
inline void IgnoreBrokenPipe() {
#ifndef _WIN32
  ::signal(SIGPIPE, SIG_IGN);
#endif
}

}  // namespace kalvex::cli
