#include "format/positions.h"

#include <algorithm>

namespace sc {

int64_t description_metres(const Cella& c, size_t indice) {
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

int profile_value(const Cella& c, Profile p) {
  switch (p) {
    case Profile::velocita: return c.velocita * 5;
    case Profile::pendenza: return c.pendenza - 100;
    case Profile::galleria: return c.galleria;
    case Profile::aderenza: return c.aderenza;
  }
  return 0;
}

std::vector<Stretch> stretches(const std::vector<Cella>& celle, Profile p) {
  std::vector<Stretch> out;
  for (size_t i = 0; i < celle.size(); ++i) {
    const int v = profile_value(celle[i], p);
    const int64_t from = static_cast<int64_t>(i) * 50;
    if (!out.empty() && out.back().valore == v && out.back().a == from) {
      out.back().a = from + 50;
    } else if (p != Profile::galleria || v != 0) {
      out.push_back({from, from + 50, v});
    }
  }
  return out;
}

std::vector<Stretch> clip(const std::vector<Stretch>& t, int64_t from, int64_t a) {
  std::vector<Stretch> out;
  for (const Stretch& x : t) {
    if (x.a <= from || x.from >= a) continue;
    out.push_back({std::max(x.from, from), std::min(x.a, a), x.valore});
  }
  return out;
}

std::string board_text(const Cella& c, const std::array<Elemento, numero_elementi>& elementi) {
  if (c.valore_1 < 0 || static_cast<size_t>(c.valore_1) >= elementi.size()) return "";
  return elementi[static_cast<size_t>(c.valore_1)].nome;
}

std::string text_on_one_line(const std::string& grezzo) {
  std::string out;
  bool space = false;
  for (const char ch : grezzo) {
    if (ch == '(' || ch == ')' || ch == ' ') {
      space = space || !out.empty();
      continue;
    }
    if (space) out += ' ';
    space = false;
    out += ch;
  }
  return out;
}

std::string velocita_cartello(const Cella& c) {
  return std::to_string(left_speed(c.valore_1)) + "/" + std::to_string(left_speed(c.valore_2)) +
         "/" + std::to_string(left_speed(c.valore_3));
}

}  // namespace sc
