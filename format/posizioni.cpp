#include "format/posizioni.h"

#include <algorithm>

namespace sc {

int64_t metri_descrizione(const Cella& c, size_t indice) {
  const int64_t inizio = static_cast<int64_t>(indice) * 50;
  switch (c.tipo) {
    case tipo_cella::segnale:
    case tipo_cella::fine_rallentamento:
    case tipo_cella::inizio_rallentamento:
    case tipo_cella::avviso_rallentamento:
    case tipo_cella::indicatori_v_max:
    case tipo_cella::cartello_indicatore: return inizio - 50;
    default: return inizio;
  }
}

int valore_profilo(const Cella& c, Profilo p) {
  switch (p) {
    case Profilo::velocita: return c.velocita * 5;
    case Profilo::pendenza: return c.pendenza - 100;
    case Profilo::galleria: return c.galleria;
    case Profilo::aderenza: return c.aderenza;
  }
  return 0;
}

std::vector<Tratto> tratti(const std::vector<Cella>& celle, Profilo p) {
  std::vector<Tratto> out;
  for (size_t i = 0; i < celle.size(); ++i) {
    const int v = valore_profilo(celle[i], p);
    const int64_t da = static_cast<int64_t>(i) * 50;
    if (!out.empty() && out.back().valore == v && out.back().a == da) {
      out.back().a = da + 50;
    } else if (p != Profilo::galleria || v != 0) {
      out.push_back({da, da + 50, v});
    }
  }
  return out;
}

std::vector<Tratto> ritaglia(const std::vector<Tratto>& t, int64_t da, int64_t a) {
  std::vector<Tratto> out;
  for (const Tratto& x : t) {
    if (x.a <= da || x.da >= a) continue;
    out.push_back({std::max(x.da, da), std::min(x.a, a), x.valore});
  }
  return out;
}

std::string testo_cartello(const Cella& c, const std::array<Elemento, numero_elementi>& elementi) {
  if (c.valore_1 < 0 || static_cast<size_t>(c.valore_1) >= elementi.size()) return "";
  return elementi[static_cast<size_t>(c.valore_1)].nome;
}

std::string testo_su_una_riga(const std::string& grezzo) {
  std::string out;
  bool spazio = false;
  for (const char ch : grezzo) {
    if (ch == '(' || ch == ')' || ch == ' ') {
      spazio = spazio || !out.empty();
      continue;
    }
    if (spazio) out += ' ';
    spazio = false;
    out += ch;
  }
  return out;
}

std::string velocita_cartello(const Cella& c) {
  return std::to_string(velocita_sinistra(c.valore_1)) + "/" + std::to_string(velocita_sinistra(c.valore_2)) +
         "/" + std::to_string(velocita_sinistra(c.valore_3));
}

}  // namespace sc
