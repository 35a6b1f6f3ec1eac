#include "compiler/tracciato_piano.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "compiler/text_1252.h"

namespace sc {

void create_plan(Percorso& p) {
  if (p.lunghezza_totale < 0) {
    throw std::out_of_range("track plan of " + std::to_string(p.lunghezza_totale) + " rows");
  }
  p.tracciato = PlanSteps{};
  p.tracciato.last_row = p.lunghezza_totale;
}

std::optional<double> curvatura(std::string_view key) {
  for (size_t i = 0; i < std::size(curvature_classes); ++i) {
    if (key.find(static_cast<char>('1' + i)) == std::string_view::npos) continue;
    return contains_ic(key, "s") ? -curvature_classes[i] : curvature_classes[i];
  }
  return std::nullopt;
}

void PianoTracciato::seed() {
  if (t_.last_row < 1)
    throw std::out_of_range("track plan of " + std::to_string(t_.rows()) + " rows seeded");
  t_.seeded = true;
  t_.steps.clear();
}

void PianoTracciato::steps(int64_t last, std::optional<double> k) {
  const int32_t i = cursor();
  if (last < i) return;
  if (i < 2 || last > t_.last_row) {
    throw std::out_of_range("track plan rows " + std::to_string(i) + " to " + std::to_string(last));
  }
  t_.steps.push_back({static_cast<int32_t>(last), k.has_value(), k.value_or(0.0)});
}

// Makes the steps of rows cursore() to `until`, one metre at a time as far
// as the result goes: the cursor test after every step stops the run once
// row `max_plan_cursor` is computed, and a step whose row lies
// beyond the plan is not made. The rows computed before either stop stay.
CurveOutcome PianoTracciato::steps_until(int64_t until, std::optional<double> k) {
  if (cursor() > until) return CurveOutcome::done;
  const int64_t last = std::min({until, int64_t{max_plan_cursor}, int64_t{t_.last_row}});
  steps(last, k);  // none when ultima < cursore()
  if (cursor() > max_plan_cursor) return CurveOutcome::beyond_limit;
  if (cursor() <= until) return CurveOutcome::beyond_plan;  // the next row lies beyond the plan
  return CurveOutcome::done;
}

CurveOutcome PianoTracciato::add_curve(std::string_view key, int32_t s, int32_t l) {
  const std::optional<double> k = curvatura(key);
  if (!k) return CurveOutcome::without_class;
  const CurveOutcome straight = steps_until(s, std::nullopt);
  if (straight != CurveOutcome::done) return straight;
  return steps_until(int64_t{s} + l, k);
}

void PianoTracciato::complete() { steps(int64_t{t_.last_row} - 2, std::nullopt); }

Tracciato plan_in_memory(const PlanSteps& t) {
  if (!t.present()) return Tracciato();
  Tracciato out(t.last_row);
  std::vector<Numero>& x = out.column(0);
  std::vector<Numero>& y = out.column(1);
  if (!t.seeded) return out;
  for (size_t i = 0; i < 2; ++i) {
    x.at(i) = Numero::integer(seed_x[i]);
    y.at(i) = Numero::integer(seed_y[i]);
  }
  size_t riga = 2;
  per_computed_rows(t, [&](double xn, double yn) {
    x.at(riga) = Numero::real(xn);
    y.at(riga) = Numero::real(yn);
    ++riga;
  });
  return out;
}

}  // namespace sc
