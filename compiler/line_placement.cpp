#include "compiler/line_placement.h"
#include "compiler/fault_codes.h"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>
#include <string>

#include "compiler/celle.h"

namespace sc {
namespace {

// A kilometre reference: first, second and third value.
struct Triple {
  int32_t a = 0, b = 0, c = 0;
};

Triple read_triple(const Elemento& e) { return {e.inizio, e.fine, e.progressiva}; }

void write_triple(Elemento& e, const Triple& t) {
  e.inizio = t.a;
  e.fine = t.b;
  e.progressiva = t.c;
}

// The two references after the one with the largest first value: the larger
// first value first, `q` first when the two are equal.
void after_first(const Triple& p, const Triple& q, Triple& y, Triple& z) {
  if (p.a > q.a)
    y = p, z = q;
  else
    y = q, z = p;
}

bool in_16_bit(double v) {
  return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max();
}

// A packed value that does not fit its 16-bit cell field: fault 25 at the
// left value of its pair (`valore` 1 to 4).
Placement off_scale(const char* nome, double v, int valore) {
  return {25,
          std::string(nome) + " packs to " + std::to_string(static_cast<long long>(v)) +
              ", outside -32768..32767",
          valore};
}

}  // namespace

void progressive_ordina(Percorso& p) {
  const Triple tre = read_triple(p.elementi.at(record_progressiva_tre));
  const Triple due = read_triple(p.elementi.at(record_progressiva_due));
  const Triple uno = read_triple(p.elementi.at(record_progressiva_uno));
  Triple x, y, z;  // the new records 81, 82, 83; zeros unless a rule applies

  if (int64_t{tre.a} + due.a + uno.a == 0) {
    // Each later test that holds replaces the result of an earlier one.
    if (tre.b > 0) x = tre, y = due, z = uno;
    if (due.b > 0) x = due, y = tre, z = uno;
    if (uno.b > 0) x = uno, y = due, z = tre;
  } else if (tre.a > due.a && tre.a > uno.a) {
    x = tre;
    after_first(due, uno, y, z);
  } else if (due.a > tre.a && due.a > uno.a) {
    x = due;
    after_first(tre, uno, y, z);
  } else if (uno.a > tre.a && uno.a > due.a) {
    x = uno;
    after_first(tre, due, y, z);
  } else {
    // Two or three references share the largest first value: keep all
    // three, largest first value first, equal ones in the order tre, due, uno.
    std::array<Triple, 3> t{tre, due, uno};
    std::stable_sort(t.begin(), t.end(),
                     [](const Triple& l, const Triple& r) { return l.a > r.a; });
    x = t[0], y = t[1], z = t[2];
  }

  write_triple(p.elementi.at(record_progressiva_tre), x);
  write_triple(p.elementi.at(record_progressiva_due), y);
  write_triple(p.elementi.at(record_progressiva_uno), z);

  for (int r = record_progressiva_tre; r <= record_progressiva_uno; ++r) {
    Elemento& e = p.elementi.at(static_cast<size_t>(r));
    if (e.progressiva != 1) continue;
    if (e.fine > std::numeric_limits<int32_t>::max() - 100) {
      throw std::overflow_error("kilometre reference second value " + std::to_string(e.fine) +
                                " + 100 does not fit in 32 bits");
    }
    e.fine += 100;
  }
}

CelleMontagna celle_montagna(int32_t inizio, int32_t fine) {
  return {static_cast<int64_t>(arrotonda(inizio / 50.0)),
          static_cast<int64_t>(arrotonda(fine / 50.0 - 1.0))};
}

bool montagna_collocabile(const Percorso& p, int32_t inizio, int32_t fine) {
  if (p.numero_montagne < 0 || p.numero_montagne >= numero_montagne_max) return false;
  const CelleMontagna c = celle_montagna(inizio, fine);
  return c.vuota() || (c.first >= 0 && c.last <= p.last_cell());
}

void memo_montagna(Percorso& p, int32_t& inizio, int32_t& fine, int32_t& tipo) {
  if (!montagna_collocabile(p, inizio, fine)) {
    throw std::out_of_range("tunnel stretch " + std::to_string(inizio) + ".." +
                            std::to_string(fine) + " does not fit the tunnel table or the cells");
  }
  bool marks = false;
  if (tipo > 10) {
    tipo = tipo - 10;
    marks = true;
  }
  ++p.numero_montagne;
  const size_t n = static_cast<size_t>(p.numero_montagne);
  p.inizi_montagna.at(n) = inizio;
  p.fini_montagna.at(n) = fine;
  if (p.numero_montagne > 1 && int64_t{inizio} - p.fini_montagna.at(n - 1) <= 150) tipo = 3;

  const CelleMontagna c = celle_montagna(inizio, fine);
  int64_t count = 0;
  for (int64_t i = c.first; i <= c.last; ++i) {
    Cella& cella = p.celle.at(static_cast<size_t>(i));
    ++count;
    cella.galleria = static_cast<uint8_t>(tipo);  // the low 8 bits
    if (marks && count % 4 == 0 && cella.tipo == tipo_cella::vuota) {
      cella.tipo = tipo_cella::marca_galleria;
    }
  }
}

Placement memo_indicatori_v_max(Percorso& p, int32_t posizione, const int32_t& vas,
                                const int32_t& vbs, const int32_t& vcs, const int32_t& strisces,
                                const int32_t& vad, const int32_t& vbd, const int32_t& vcd,
                                const int32_t& strisced) {
  const double c = arrotonda(posizione / 50.0 + 1.0);
  Cella& cella = cella_a(p, c, "speed-indicator board cell");
  if (!free_cell(cella)) {
    return Placement::fault(fault_code::speed_board_cell_taken,
                            "speed-indicator board cell " +
                                std::to_string(static_cast<int64_t>(c)) + " already holds " +
                                cell_content(cella.tipo));
  }
  // Every value is computed before the cell is touched.
  const double v1 = arrotonda(vas * 20.0 + vad / 5.0);
  const double v2 = arrotonda(vbs * 20.0 + vbd / 5.0);
  const double v3 = arrotonda(vcs * 20.0 + vcd / 5.0);
  const int64_t strisce = int64_t{strisces} * 10 + strisced;
  if (!in_16_bit(v1)) return off_scale("speed pair a", v1, 1);
  if (!in_16_bit(v2)) return off_scale("speed pair b", v2, 2);
  if (!in_16_bit(v3)) return off_scale("speed pair c", v3, 3);
  if (!in_16_bit(static_cast<double>(strisce))) return off_scale("stripe pair", strisce, 4);
  cella.tipo = tipo_cella::indicatori_v_max;
  cella.valore_1 = static_cast<int16_t>(v1);
  cella.valore_2 = static_cast<int16_t>(v2);
  cella.valore_3 = static_cast<int16_t>(v3);
  cella.valore_4 = static_cast<int16_t>(strisce);
  return {};
}

Placement place_board(Percorso& p, int32_t posizione, const std::string& text,
                      int32_t& indice_cartelli) {
  const double c = arrotonda(posizione / 50.0 + 1.0);
  Cella& cella = cella_a(p, c, "indication board cell");
  if (!free_cell(cella)) {
    return Placement::fault(fault_code::indication_board_cell_taken,
                            "indication board cell " + std::to_string(static_cast<int64_t>(c)) +
                                " already holds " + cell_content(cella.tipo));
  }
  if (indice_cartelli < 1) {
    return Placement::fault(fault_code::element_table_full,
                            "no element record left for the text of indication board " +
                                std::to_string(first_board_record + 1 - indice_cartelli));
  }
  cella.tipo = tipo_cella::cartello_indicatore;
  cella.valore_1 = static_cast<int16_t>(indice_cartelli);
  p.elementi.at(static_cast<size_t>(indice_cartelli)).nome = text;
  --indice_cartelli;
  return {};
}

}  // namespace sc
