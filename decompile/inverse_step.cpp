// Which cab-code cells the consistency pass added. The pass's own walk is
// run over the compiled cells: a cab-code cell of 180 km/h that the walk
// finds where it would place one is taken as its own, any other as the
// author's.
#include "compiler/cell_pass.h"
#include "decompile/reconstruction.h"

namespace sc::decompile {
namespace {

// The compiled cells as the walk sees them: each cab-code cell starts
// unclaimed, and becomes the pass's when the walk would place one there, or
// the author's when the walk meets it otherwise. Nothing is changed; where
// the walk would change what the file holds, a note says so.
class CompiledCells {
 public:
  enum class Claim { none, unknown, author, pass };

  CompiledCells(const std::vector<Cella>& c, Note& note)
      : c_(c), note_(note), claim_(c.size(), Claim::none) {
    for (size_t i = 0; i < c.size(); ++i) {
      if (c[i].tipo == tipo_cella::codice || c[i].tipo == tipo_cella::codice_senza_velocita) {
        claim_[i] = Claim::unknown;
      }
    }
  }

  int32_t last() const { return static_cast<int32_t>(c_.size()) - 1; }
  uint8_t type(int32_t i) const { return valid(i) ? c_[at(i)].tipo : 0; }
  int16_t speed(int32_t i) const { return valid(i) ? c_[at(i)].valore_1 : 0; }

  // Free before the pass reached it: empty or a tunnel marker, or a code
  // cell of 180 not yet claimed (the pass's own, from here on).
  bool is_free(int32_t i) {
    if (!valid(i)) return false;
    const Cella& x = c_[at(i)];
    Claim& s = claim_[at(i)];
    if (s == Claim::unknown) {
      if (x.tipo == tipo_cella::codice && x.valore_1 == code_speed_step) return true;
      s = Claim::author;
      return false;
    }
    if (s != Claim::none) return false;
    return free_cell(x);
  }
  bool is_code(int32_t i) const { return valid(i) && c_[at(i)].tipo == tipo_cella::codice; }

  void place_code(int32_t i) {
    Claim& s = claim_[at(i)];
    if (s != Claim::unknown) {
      note_.add(
          cella_at(i) +
          ": the consistency pass puts a cab-code cell of 180 km/h here, which the file lacks");
    }
    s = Claim::pass;
  }
  void lower_code(int32_t i) {
    if (c_[at(i)].valore_1 > code_speed_step) {
      note_.add(
          cella_at(i) +
          ": the consistency pass lowers this cab code to 180 km/h, which the file does not show");
    }
    if (claim_[at(i)] == Claim::unknown) claim_[at(i)] = Claim::author;
  }
  // No room for a cab-code cell: nothing to tell here. Compiling the
  // descriptions back fails at that place, and the check that follows the
  // decompile says so.
  void no_room(int32_t, int32_t, std::string, std::initializer_list<int32_t>) {}

  std::vector<bool> of_the_pass() const {
    std::vector<bool> r(c_.size());
    for (size_t i = 0; i < c_.size(); ++i) r[i] = claim_[i] == Claim::pass;
    return r;
  }

 private:
  bool valid(int32_t i) const { return i >= 0 && i <= last(); }
  static size_t at(int32_t i) { return static_cast<size_t>(i); }

  const std::vector<Cella>& c_;
  Note& note_;
  std::vector<Claim> claim_;
};

}  // namespace

std::vector<bool> pass_added_codes(const Data& d, Note& note) {
  CompiledCells cells(d.celle, note);
  CellPassWalk<CompiledCells>(cells).run();
  return cells.of_the_pass();
}

}  // namespace sc::decompile
