// Shared by the files that show a compiled file: which cells the options
// pick, what the records mean (shared by the text and the JSON), and the
// two renderings themselves.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "format/positions.h"
#include "listing/listing.h"
#include "model/percorso.h"
#include "model/printf_string.h"

namespace sc::inspect_detail {

// ---------------------------------------------------------------- options

// "signals", "stations", ... as `--only` takes them.
const char* filter_name(CellaFilter f);

using Elementi = std::array<Elemento, numero_elementi>;

// Whether `--only` and `--km` keep cell `i`: `--only` always when it names
// no group, `--km` when what the cell holds was placed within its range.
bool chosen_cella(const Cella& c, size_t i, const InspectOptions& o, const Elementi* el);

// Whether the cells are listed one by one: not when `--only` names only
// groups shown as stretches (tunnels).
bool show_table(const InspectOptions& o);

// Which stretches are shown: all three profiles without `--only`, tunnels
// when `--only` names them.
bool show_stretches(const InspectOptions& o, Profile p);

// The stretches of profile `p`, cut to the `--km` range and to the cells of
// `--cells`.
std::vector<Stretch> chosen_stretches(const std::vector<Cella>& celle, Profile p,
                                      const InspectOptions& o);

// The cells `--cells` keeps: [primo, ultimo) within the file.
std::pair<size_t, size_t> limits(const std::vector<Cella>& celle, const InspectOptions& o);

// std::invalid_argument for an `--every` below 1.
void check_every(const InspectOptions& o);

// The rows of a track plan, held in memory or read from its file piece by
// piece: how many, and a walk over them in order (row, x, y), which may be
// taken more than once.
struct PlanRows {
  using Visit = std::function<void(size_t, const Numero&, const Numero&)>;
  int32_t rows = 0;
  std::function<void(const Visit&)> each;
};

// The rows of a plan held in memory.
PlanRows rows_of(const Tracciato& t);

// Rows of a track plan shown: every N-th and the last.
template <typename F>
void by_lines(const PlanRows& t, int32_t every, F&& f) {
  const int32_t n = t.rows;
  t.each([&](size_t i, const Numero& x, const Numero& y) {
    const auto row = static_cast<int32_t>(i);
    if (row % every == 0 || row == n - 1) f(i, x, y);
  });
}

// Where a rendering goes: collected whole (for a caller that wants the
// text), or passed on to a stream a piece at a time, so that the largest
// listing is never held in memory.
class Sink {
 public:
  Sink() = default;
  explicit Sink(std::ostream& out) : out_(&out) {}
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;
  ~Sink() { flush(); }

  Sink& operator+=(std::string_view s) {
    text_ += s;
    if (out_ != nullptr && text_.size() >= (size_t{1} << 16)) flush();
    return *this;
  }
  void flush() {
    if (out_ == nullptr) return;
    out_->write(text_.data(), static_cast<std::streamsize>(text_.size()));
    text_.clear();
  }
  // What was collected (all of it when there is no stream).
  std::string& text() { return text_; }

 private:
  std::ostream* out_ = nullptr;
  std::string text_;
};

// ---------------------------------------------------------------- records

// Record `i` of an element table.
inline const Elemento& rec(const std::array<Elemento, numero_elementi>& el, int i) {
  return el.at(static_cast<size_t>(i));
}

// A time of day in seconds as h:mm:ss, with a sign when negative.
std::string orario_text(int64_t seconds);

// One field of an element record: its name and its value; `nome` (the
// name, Windows-1252 text) has no number.
struct ElementoField {
  const char* field;
  int64_t (*numero)(const Elemento&);
  bool text() const { return numero == nullptr; }
};

// The fields of a record in the order of the file.
extern const std::array<ElementoField, 16> elemento_fields;

// The field of that name; std::out_of_range for an unknown name.
const ElementoField& elemento_field(std::string_view field);

// The extent of a track plan.
struct Summary {
  int32_t last_full = -1;  // last row with both values set
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};
Summary summary(const PlanRows& t);

// ---------------------------------------------------------------- renderings

void celle_text(Sink& out, const std::vector<Cella>& celle, const InspectOptions& o,
                const Elementi* el);
std::string elementi_text(const std::array<Elemento, numero_elementi>& el);
void tracciato_text(Sink& out, const PlanRows& t, const InspectOptions& o);

// The file shown, for the JSON to begin with its path and size.
struct LoadedFile {
  std::string percorso;
  size_t byte;
};

// A JSON object, one key per line, starting with "path" and "bytes" when
// `file` is given.
void json_celle(Sink& out, const std::vector<Cella>& celle, const InspectOptions& o,
                const Elementi* el, const LoadedFile* file);
std::string json_elementi(const std::array<Elemento, numero_elementi>& el, const LoadedFile* file);
void json_tracciato(Sink& out, const PlanRows& t, const InspectOptions& o, const LoadedFile* file);

}  // namespace sc::inspect_detail
