#include "compiler/train_placement.h"
#include "compiler/fault_codes.h"

#include <stdexcept>

#include "compiler/celle.h"

namespace sc {
namespace {

// The cell at a rounded real index; an index outside the cells throws.
Cella& cella(Percorso& p, double indice, const char* role) { return cella_a(p, indice, role); }

// A taken cell: fault `codice`, naming the cell and what it holds.
Placement occupied(int32_t codice, const char* role, double indice, const Cella& c) {
  return Placement::fault(codice, std::string(role) + " " +
                                      std::to_string(static_cast<int64_t>(indice)) +
                                      " already holds " + cell_content(c.tipo));
}

}  // namespace

CelleRallentamento celle_rallentamento(int32_t x, int32_t l) {
  const double dx = x;
  return {arrotonda((dx - 1200.0) / 50.0 + 1.0), arrotonda(dx / 50.0 + 1.0),
          arrotonda((dx + static_cast<double>(l)) / 50.0 + 1.0)};
}

Placement memo_segnale(Percorso& p, int32_t posizione, int32_t sx, int32_t s1, int32_t s2,
                       int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3,
                       int32_t& tempo) {
  const double c = arrotonda(static_cast<double>(posizione) / 50.0 + 1.0);
  Cella& segnale = cella(p, c, "signal cell");
  if (!free_cell(segnale))
    return occupied(fault_code::signal_cell_taken, "signal cell", c, segnale);
  // Packed in decimal, worked out in 64 bits and stored as the low bits.
  const int64_t side = int64_t{sx} * 3 + dx;
  segnale.tipo = tipo_cella::segnale;
  segnale.valore_4 = static_cast<int16_t>(int64_t{rapp} * 10 + side);
  segnale.valore_1 = static_cast<int16_t>(int64_t{s1} * 10 + d1);
  segnale.valore_2 = static_cast<int16_t>(int64_t{s2} * 10 + d2);
  segnale.valore_3 = static_cast<int16_t>(int64_t{s3} * 10 + d3);
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  segnale.tempo = sx == 2 ? static_cast<uint8_t>(tempo) : 0;
  for (int j = 1; j <= 4; ++j) {
    const double a = c - 2.0 * j;
    if (a < 0.0) continue;  // a signal near the line's origin has fewer markers
    cella(p, a, "signal approach cell").avviso = static_cast<uint8_t>(side * 10 + j);
  }
  return {};
}

Placement memo_rallentamento(Percorso& p, int32_t x, int32_t v, int32_t l, int32_t f_tt,
                             int32_t f_ta, int32_t d_v) {
  const CelleRallentamento idx = celle_rallentamento(x, l);
  const bool con_avviso = x > 1500;
  if (!con_avviso) f_ta = 0;

  if (con_avviso) {
    Cella& w = cella(p, idx.avviso, "restriction warning cell");
    if (!free_cell(w))
      return occupied(fault_code::restriction_warning_cell_taken, "restriction warning cell",
                      idx.avviso, w);
  }
  Cella& s = cella(p, idx.inizio, "restriction start cell");
  if (!free_cell(s))
    return occupied(fault_code::restriction_start_cell_taken, "restriction start cell", idx.inizio,
                    s);
  Cella& e = cella(p, idx.fine, "restriction end cell");
  if (!free_cell(e))
    return occupied(fault_code::restriction_end_cell_taken, "restriction end cell", idx.fine, e);

  // Where two of these cells coincide, the later write wins.
  e.tipo = tipo_cella::fine_rallentamento;
  if (d_v != 0) e.valore_2 = static_cast<int16_t>(d_v);
  s.tipo = tipo_cella::inizio_rallentamento;
  if (d_v != 0) s.valore_2 = static_cast<int16_t>(d_v);
  if (con_avviso) {
    Cella& w = cella(p, idx.avviso, "restriction warning cell");
    w.tipo = tipo_cella::avviso_rallentamento;
    if (d_v != 0) w.valore_2 = static_cast<int16_t>(d_v);
    w.valore_1 = static_cast<int16_t>(v);
  }
  s.valore_1 = static_cast<int16_t>(v);
  e.valore_1 = static_cast<int16_t>(v);
  s.valore_3 = static_cast<int16_t>(f_tt);
  e.valore_3 = static_cast<int16_t>(f_tt);

  if (f_ta != 0) {
    const double q = arrotonda((static_cast<double>(x) - 1200.0) / 50.0);
    for (int i = 0; i < 4; ++i) {
      const Cella& a = cella(p, q - i, "restriction approach cell");
      if (!free_cell(a))
        return occupied(fault_code::restriction_approach_cells_taken, "restriction approach cell",
                        q - i, a);
    }
    for (int i = 0; i < 4; ++i) {
      Cella& a = cella(p, q - i, "restriction approach cell");
      a.tipo = tipo_cella::approccio_rallentamento;
      a.valore_1 = static_cast<int16_t>(i + 1);
      if (d_v != 0) a.valore_2 = static_cast<int16_t>(i + 1);
    }
  }
  return {};
}

Placement set_cutoff(Percorso& p, int32_t posizione, int32_t valore) {
  const double c = arrotonda(static_cast<double>(posizione) / 50.0);
  Cella& cella = cella_a(p, c, "cab-code cell");
  if (!free_cell(cella))
    return occupied(fault_code::cab_code_cell_taken, "cab-code cell", c, cella);
  if (valore > 0) {
    cella.tipo = tipo_cella::codice;
    cella.valore_1 = static_cast<int16_t>(valore);  // low 16 bits
  } else {
    cella.tipo = tipo_cella::codice_senza_velocita;
  }
  return {};
}

}  // namespace sc
