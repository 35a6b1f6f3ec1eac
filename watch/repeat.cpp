#include "watch/repeat.h"

#include <csignal>
#include <ostream>

#include "output/exit_statuses.h"
#include "output/terminal_text.h"
#include "platform/folder_lock.h"
#include "watch/watcher.h"

namespace sc {

namespace {

volatile std::sig_atomic_t stopped = 0;

extern "C" void at_segnale(int) { stopped = 1; }

// SIGINT and SIGTERM set the flag for the life of the object; no
// SA_RESTART, so a wait in poll() returns at once. A wait for a directory
// another run is writing into ends on the flag too, and a run stopped so
// writes nothing.
class EndSegnali {
 public:
  EndSegnali() : old_waiting_(platform::lock_waiting()) {
    stopped = 0;
    struct sigaction sa {};
    sa.sa_handler = at_segnale;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &old_int_);
    sigaction(SIGTERM, &sa, &old_term_);
    platform::LockWaiting w = old_waiting_;
    w.stop = [] { return stopped != 0; };
    platform::set_lock_waiting(std::move(w));
  }
  ~EndSegnali() {
    platform::set_lock_waiting(old_waiting_);
    sigaction(SIGINT, &old_int_, nullptr);
    sigaction(SIGTERM, &old_term_, nullptr);
  }
  EndSegnali(const EndSegnali&) = delete;
  EndSegnali& operator=(const EndSegnali&) = delete;

 private:
  platform::LockWaiting old_waiting_;
  struct sigaction old_int_ {};
  struct sigaction old_term_ {};
};

}  // namespace

int repeat_on_every_save(const WatchLoop& r, std::ostream& out, std::ostream& err) {
  EndSegnali segnali;
  Watcher watcher(r.files);
  if (!watcher.errore().empty()) {
    err << program_name << ": " << terminal_text(watcher.errore()) << std::endl;
    return status_usage;
  }
  for (;;) {
    const int status = r.step();
    err << std::flush;
    out << "[" << local_time() << "] " << r.outcome(status)
        << "; watching for changes (Ctrl-C ends)" << std::endl;
    if (!watcher.wait_for_change(stopped)) break;
  }
  if (!stopped) {
    err << program_name << ": " << terminal_text(watcher.errore()) << std::endl;
    return status_usage;
  }
  out << "[" << local_time() << "] stopped" << std::endl;
  return status_ok;
}

}  // namespace sc
