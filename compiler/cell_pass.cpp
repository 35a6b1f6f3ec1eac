#include "compiler/cell_pass.h"
#include "compiler/fault_codes.h"

#include <algorithm>
#include <vector>

namespace sc {
namespace {

// The compile's cells: the walk places and lowers cab-code cells in the
// model and records a fault where there is no room.
class ModelCells {
 public:
  ModelCells(Percorso& p, FaultLog& log) : p_(p), log_(log) {}

  int32_t last() const { return p_.last_cell(); }
  uint8_t type(int32_t c) { return cella(c).tipo; }
  int16_t speed(int32_t c) { return cella(c).valore_1; }
  bool is_free(int32_t c) { return free_cell(cella(c)); }
  bool is_code(int32_t c) { return cella(c).tipo == tipo_cella::codice; }

  void place_code(int32_t c) {
    Cella& x = cella(c);
    x.tipo = tipo_cella::codice;
    x.valore_1 = code_speed_step;
  }

  void lower_code(int32_t c) {
    Cella& x = cella(c);
    x.valore_1 = static_cast<int16_t>(minimo(code_speed_step, x.valore_1));
  }

  // A fault at cell c. It stands at the entry that placed the first of
  // `celle`, and points to the entries behind the others.
  void no_room(int32_t codice, int32_t c, std::string message,
               std::initializer_list<int32_t> celle) {
    Fault f{codice, c * 50, std::nullopt, std::move(message)};
    std::vector<const CellOrigins::CellOrigin*> seen;
    for (const int32_t x : celle) {
      const CellOrigins::CellOrigin* o = log_.origins.at(x);
      if (!o || std::find(seen.begin(), seen.end(), o) != seen.end()) continue;
      seen.push_back(o);
      if (!f.where) {
        f.where = o->where;
      } else {
        f.notes.push_back({o->where, "the " + o->what + " involved, placed here"});
      }
    }
    record(p_, log_, std::move(f));
  }

 private:
  Cella& cella(int32_t c) { return p_.celle.at(static_cast<size_t>(c)); }

  Percorso& p_;
  FaultLog& log_;
};

}  // namespace

void cell_pass(Percorso& p, FaultLog& log) {
  ModelCells celle(p, log);
  CellPassWalk<ModelCells>(celle).run();
}

}  // namespace sc
