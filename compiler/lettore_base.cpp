#include "compiler/lettore_base.h"

#include "format/elementi.h"
#include "compiler/testo.h"

namespace sc {

void LettoreBase::guasto(int32_t codice, std::optional<int32_t> posizione, const Campo& dove,
                         std::string messaggio) {
  registra(p_, s_.log, Fault{codice, posizione, r_.luogo(dove), std::move(messaggio)});
}

void LettoreBase::guasto_senza_campo(int32_t codice, std::optional<int32_t> posizione,
                                     std::string messaggio) {
  registra(p_, s_.log, Fault{codice, posizione, std::nullopt, std::move(messaggio)});
}

Cella& LettoreBase::cella(double indice, const Campo& dove, const std::string& ruolo) {
  if (!p_.ha_celle()) r_.fail_at(dove, "no cells: the line description gave no line length");
  if (!(indice >= 0 && indice <= p_.ultima_cella())) {
    r_.fail_at(dove, ruolo + " cell " + std::to_string(static_cast<int64_t>(indice)) +
                         " lies outside the cells 0.." + std::to_string(p_.ultima_cella()));
  }
  return p_.celle[static_cast<size_t>(indice)];
}

std::string LettoreBase::testo_registrato(const char* cosa) {
  std::string t = r_.text();
  if (t.size() > lunghezza_nome_massima) {
    r_.fail(std::string(cosa) + " is " + std::to_string(t.size()) + " bytes long; the element table holds at most " +
            std::to_string(lunghezza_nome_massima));
  }
  return t;
}

bool LettoreBase::salta_commenti(std::string& campo, Campo& dove, int volte, bool fine_conta) {
  for (int n = 0; n < volte && contiene(campo, "-"); ++n) {
    campo = r_.text();
    dove = r_.campo();
    if (fine_conta && r_.eof()) return false;
  }
  return true;
}

}  // namespace sc
