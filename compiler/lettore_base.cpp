#include "compiler/lettore_base.h"

#include "format/elementi.h"
#include "compiler/testo.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace sc {

void LettoreBase::guasto(int32_t codice, std::optional<int32_t> posizione, const Campo& dove,
                         std::string messaggio) {
  registra(p_, s_.log, Fault{codice, posizione, r_.luogo(dove), std::move(messaggio)});
}

void LettoreBase::guasto_senza_campo(int32_t codice, std::optional<int32_t> posizione,
                                     std::string messaggio) {
  registra(p_, s_.log, Fault{codice, posizione, std::nullopt, std::move(messaggio)});
}

void LettoreBase::avviso(int32_t numero, const Campo& dove, std::string messaggio, std::vector<Richiamo> richiami) {
  s_.log.avviso(numero, r_.luogo(dove), std::move(messaggio), std::move(richiami));
}

void LettoreBase::dopo_posa_celle(const OsservaCelle& osserva, const Campo& dove, const char* cosa) {
  size_t voce = 0;
  bool nuova = false;
  for (const OsservaCelle::Vista& v : osserva.viste()) {
    const Cella& dopo = p_.celle[static_cast<size_t>(v.indice)];
    if (!cella_cambiata(v.prima, dopo)) continue;
    if (!nuova) {
      voce = s_.log.origini.nuova(r_.luogo(dove), cosa);
      nuova = true;
    }
    if (!cella_libera(v.prima) && dopo.tipo != v.prima.tipo) {
      std::vector<Richiamo> richiami;
      std::string di_chi;
      if (const OriginiCelle::Voce* o = s_.log.origini.di(v.indice)) {
        richiami.push_back({o->where, "the " + o->cosa + " placed here"});
        di_chi = ", placed on line " + std::to_string(o->where.line);
      }
      avviso(8, dove,
             std::string("the ") + cosa + " replaces " + contenuto_cella(v.prima.tipo) + " in cell " +
                 std::to_string(v.indice) + " (at " + std::to_string(int64_t{v.indice} * 50) + " m)" + di_chi +
                 "; that element is lost",
             std::move(richiami));
    }
    s_.log.origini.segna(v.indice, voce);
  }
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
  std::string t = r_.testo_memorizzato();
  if (t.size() > lunghezza_nome_massima) {
    r_.fail(std::string(cosa) + " is " + std::to_string(t.size()) + " bytes long; the element table holds at most " +
            std::to_string(lunghezza_nome_massima));
  }
  return t;
}

bool LettoreBase::salta_commenti(std::string& campo, Campo& dove, int volte, bool fine_conta,
                                 std::span<const std::string_view> parole) {
  for (int n = 0; n < volte && contiene(campo, "-"); ++n) {
    for (std::string_view parola : parole) {
      if (!contiene_ic(campo, parola)) continue;
      avviso(4, dove,
             "\"" + citazione(campo) + "\" holds a hyphen, so it is passed over as a comment: its entry has no "
             "effect and its values are tried as keys");
      riga_avvisata_ = dove.line;
      break;
    }
    campo = r_.text();
    dove = r_.campo();
    if (fine_conta && r_.eof()) return false;
  }
  return true;
}

}  // namespace sc

namespace sc {
namespace {

size_t distanza(std::string_view a, std::string_view b) {
  std::vector<size_t> riga(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) riga[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonale = riga[0];
    riga[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t sopra = riga[j];
      riga[j] = std::min({riga[j] + 1, riga[j - 1] + 1, diagonale + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonale = sopra;
    }
  }
  return riga[b.size()];
}

std::string spogliato(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

void LettoreBase::non_riconosciuta(const std::string& campo, const Campo& dove,
                                   std::span<const std::string_view> nomi) {
  const std::string f = spogliato(campo);
  if (f.empty() || dove.line <= 0 || dove.line == riga_avvisata_) return;
  if (contiene(f, "[") && contiene(f, "]")) return;  // a section label
  if (dove.numero > 1) {
    if (dove.line != riga_voce_) return;  // a value of an entry that was not recognised
    riga_avvisata_ = dove.line;
    avviso(2, dove,
           "value \"" + citazione(f) + "\" is left over after the entry: it is read as a key, and skipped");
    return;
  }
  const unsigned char c0 = static_cast<unsigned char>(f[0]);
  if (std::isdigit(c0) || c0 == '-' || c0 == '+') return;  // values, not a key
  riga_avvisata_ = dove.line;
  const std::string minuscolo = minuscole_1252(f);
  std::string_view migliore;
  size_t d_migliore = SIZE_MAX;
  for (std::string_view nome : nomi) {
    const size_t d = distanza(minuscolo, nome);
    if (d < d_migliore) {
      d_migliore = d;
      migliore = nome;
    }
  }
  std::string suggerimento;
  if (d_migliore == 0) {
    suggerimento = "; keys are told by letter case here: did you mean `" + std::string(migliore) + "`?";
  } else if (d_migliore <= std::max<size_t>(2, migliore.size() / 3)) {
    suggerimento = "; did you mean `" + std::string(migliore) + "`?";
  }
  avviso(1, dove, "unknown key \"" + citazione(f) + "\": the entry is skipped" + suggerimento);
}

void LettoreBase::commento_altrui(const std::string& campo, const Campo& dove) {
  if (dove.numero != 1) return;
  const std::string f = spogliato(campo);
  if (!(f.starts_with("#") || f.starts_with("//") || f.starts_with(";"))) return;
  riga_avvisata_ = dove.line;
  avviso(3, dove,
         "\"" + citazione(f.substr(0, f[0] == '/' ? 2 : 1)) +
             "\" does not start a comment here: the line is read as usual, and a key in it takes effect");
}

void LettoreBase::testo_tagliato(const char* cosa, std::span<const std::string_view> parole) {
  if (r_.chiude_riga()) return;
  const std::string_view dopo = r_.prossimo_campo();
  if (contiene(dopo, "[")) return;
  for (std::string_view parola : parole) {
    if (contiene_ic(dopo, parola)) return;
  }
  const Campo c = r_.campo();
  riga_avvisata_ = c.line;
  avviso(9, c, std::string("the ") + cosa + " ends at a comma: the rest of the line is read as further fields");
}

}  // namespace sc
