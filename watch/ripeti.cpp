#include "watch/ripeti.h"

#include <csignal>
#include <ostream>

#include "output/stati_uscita.h"
#include "watch/osserva.h"

namespace sc {

namespace {

volatile std::sig_atomic_t fermato = 0;

extern "C" void al_segnale(int) { fermato = 1; }

// SIGINT and SIGTERM set the flag for the life of the object; no
// SA_RESTART, so a wait in poll() returns at once.
class SegnaliDiFine {
 public:
  SegnaliDiFine() {
    fermato = 0;
    struct sigaction sa {};
    sa.sa_handler = al_segnale;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &vecchio_int_);
    sigaction(SIGTERM, &sa, &vecchio_term_);
  }
  ~SegnaliDiFine() {
    sigaction(SIGINT, &vecchio_int_, nullptr);
    sigaction(SIGTERM, &vecchio_term_, nullptr);
  }
  SegnaliDiFine(const SegnaliDiFine&) = delete;
  SegnaliDiFine& operator=(const SegnaliDiFine&) = delete;

 private:
  struct sigaction vecchio_int_ {};
  struct sigaction vecchio_term_ {};
};

}  // namespace

int ripeti_a_ogni_modifica(const Ripetizione& r, std::ostream& out, std::ostream& err) {
  SegnaliDiFine segnali;
  Osservatore osservatore(r.files);
  if (!osservatore.errore().empty()) {
    err << nome_programma << ": " << osservatore.errore() << std::endl;
    return stato_uso;
  }
  for (;;) {
    const int stato = r.passo();
    err << std::flush;
    out << "[" << ora_locale() << "] " << r.esito(stato) << "; watching for changes (Ctrl-C ends)" << std::endl;
    if (!osservatore.attendi_modifica(fermato)) break;
  }
  if (!fermato) {
    err << nome_programma << ": " << osservatore.errore() << std::endl;
    return stato_uso;
  }
  out << "[" << ora_locale() << "] stopped" << std::endl;
  return stato_ok;
}

}  // namespace sc
