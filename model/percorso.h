// The route model: the one object that holds all the state of a compile.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sc {

// One 50 m stretch of the line.
struct Cella {
  uint8_t tipo = 0;
  int16_t valore_1 = 0;
  int16_t valore_2 = 0;
  int16_t valore_3 = 0;
  int16_t valore_4 = 0;
  uint8_t tempo = 0;
  uint8_t avviso = 0;
  uint8_t galleria = 0;
  uint8_t velocita = 0;
  uint8_t pendenza = 0;
  uint8_t aderenza = 0;
};

// Cell types (`tipo` of a cell).
namespace tipo_cella {
constexpr uint8_t vuota = 0;
constexpr uint8_t segnale = 1;
constexpr uint8_t fine_rallentamento = 2;
constexpr uint8_t inizio_rallentamento = 3;
constexpr uint8_t avviso_rallentamento = 4;
constexpr uint8_t approccio_rallentamento = 5;
constexpr uint8_t indicatori_v_max = 6;
constexpr uint8_t fermata = 10;
constexpr uint8_t marca_galleria = 11;
constexpr uint8_t codice = 12;
constexpr uint8_t codice_senza_velocita = 13;
constexpr uint8_t cartello_indicatore = 14;
}  // namespace tipo_cella

// A placement may use a cell that is empty or holds only a tunnel marker.
inline bool free_cell(const Cella& c) {
  return c.tipo == tipo_cella::vuota || c.tipo == tipo_cella::marca_galleria;
}

// One record of the element table.
struct Elemento {
  uint8_t tipo = 0;
  int32_t inizio = 0;
  int32_t fine = 0;
  int32_t progressiva = 0;
  uint8_t dato_4 = 0;
  std::string nome;
  int16_t dato_7 = 0;
  int16_t dato_8 = 0;
  int16_t dato_10 = 0;
  int16_t dato_11 = 0;
  int16_t dato_12 = 0;
  uint8_t dato_9 = 0;
  uint8_t dato_13 = 0;
  uint8_t dato_6 = 0;
  uint8_t dato_5 = 0;
  int32_t orario = 0;

  bool operator==(const Elemento&) const = default;
};

// A tagged number of the track plan: empty, a 16-bit integer or a double.
// Integers are held exactly in `valore`. Packed, 10 bytes with no padding:
// a plan of 1007001 rows takes 20 MB rather than 32 MB, and an entry
// holding a double lies in memory as the track plan file holds it on a
// little-endian machine. Read and write the fields by value; do not take
// their address.
struct __attribute__((packed)) Numero {
  enum class Tag : uint16_t { empty = 0, integer = 2, real = 5 };
  Tag tag = Tag::empty;
  double valore = 0.0;

  static Numero integer(int16_t v) { return {Tag::integer, static_cast<double>(v)}; }
  static Numero real(double v) { return {Tag::real, v}; }
};

// The track plan: rows 0 to `rows() - 1`, column 0 (x) and column 1 (y).
class Tracciato {
 public:
  Tracciato() = default;
  explicit Tracciato(int32_t last_row)
      : columns_{std::vector<Numero>(static_cast<size_t>(last_row) + 1),
                 std::vector<Numero>(static_cast<size_t>(last_row) + 1)} {}

  bool present() const { return !columns_[0].empty(); }
  int32_t rows() const { return static_cast<int32_t>(columns_[0].size()); }
  const std::vector<Numero>& column(int c) const { return columns_.at(static_cast<size_t>(c)); }
  std::vector<Numero>& column(int c) { return columns_.at(static_cast<size_t>(c)); }

 private:
  std::array<std::vector<Numero>, 2> columns_;
};

// The track plan of a compile, held as the steps that make it rather than
// as its rows: rows 0 to `last_row`; when `seeded`, rows 0 and 1 are
// the integer seeds (0, 0) and (0, 1), and each run of `steps` computes the
// rows after the one before it up to its `last` row, curved by `k` or
// straight; every row after the last run is empty. Its size does not grow
// with the line: one run for each stretch of the curve entries.
struct PlanSteps {
  struct PlanStep {
    int32_t last = 0;  // the last row of the run
    bool curva = false;
    double k = 0.0;  // curvature per metre, for a curved run
  };
  int32_t last_row = -1;  // -1: no plan
  bool seeded = false;
  std::vector<PlanStep> steps;

  bool present() const { return last_row >= 0; }
  int32_t rows() const { return last_row + 1; }
  // The next row to compute: 2 after the seeds, 0 before them.
  int32_t cursor() const { return !seeded ? 0 : steps.empty() ? 2 : steps.back().last + 1; }
};

// Element-table capacity and the records with a fixed role.
constexpr int numero_elementi = 87;
constexpr int numero_montagne_max = 80;
constexpr int first_board_record = 80;
constexpr int record_progressiva_tre = 81;
constexpr int record_progressiva_due = 82;
constexpr int record_progressiva_uno = 83;
constexpr int record_treno_linea = 84;
constexpr int record_sfondo_identita = 85;
constexpr int record_ripetizione = 86;
constexpr int32_t max_length = 1000000;
constexpr int32_t coda_linea = 7000;

// The route model. Fields in their order of declaration.
struct Percorso {
  PlanSteps tracciato;
  std::vector<Cella> celle;  // indices 0 to U; empty until the line length is read
  std::array<Elemento, numero_elementi> elementi{};
  std::array<int32_t, numero_montagne_max + 1> inizi_montagna{};
  std::array<int32_t, numero_montagne_max + 1> fini_montagna{};
  int32_t numero_montagne = 0;
  int32_t modo = 0;
  std::string numero_treno;
  std::string nome_scenario;
  std::string riga;
  int32_t lunghezza_totale = 0;
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;

  // U, the last cell index; -1 when there are no cells.
  int32_t last_cell() const { return static_cast<int32_t>(celle.size()) - 1; }
  bool ha_celle() const { return !celle.empty(); }
};

// Rounds to the nearest integer, halves to the even neighbour
// (20.5 gives 20, 21.5 gives 22).
double arrotonda(double v);

// U for a line of `lunghezza` metres: round((lunghezza + 7000) / 50).
int32_t last_cell_for(int32_t lunghezza);

// Creates the cells 0 to U of a line, every field zero.
void create_cells(Percorso& p, int32_t lunghezza);

}  // namespace sc
