// Curve entries from the track plan. Every computed row is the exact
// result of one straight or curved step from the two rows before it, so a
// row either matches a curvature class bit for bit or matches none.
#include <algorithm>
#include <bit>
#include <cstring>

#include "decompile/reconstruction.h"

namespace sc::decompile {
namespace {

constexpr double curvature[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

bool equal(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

// Class of a row: 0 straight, +n a right curve of class n, -n a left one.
struct PlanStep {
  double x, y;
};

PlanStep step(double x2, double x1, double y2, double y1, int curve_class) {
  const double dx = x1 - x2;
  const double dy = y1 - y2;
  if (curve_class == 0) return {x1 + dx, y1 + dy};
  const double k = curve_class > 0 ? curvature[curve_class - 1] : -curvature[-curve_class - 1];
  return {x1 + dx + k * dy, y1 + dy - k * dx};
}

std::string curve_key(int curve_class) {
  return std::string("curva") + (curve_class > 0 ? "d" : "s") +
         std::to_string(curve_class > 0 ? curve_class : -curve_class);
}

}  // namespace

void curve(const Data& d, LineaDescription& out, Note& note) {
  if (!d.tracciato) return;
  const Tracciato& t = *d.tracciato;
  const int64_t rows = t.rows();
  const int64_t lunghezza_totale = int64_t{d.elementi[record_treno_linea].fine} + coda_linea;
  if (rows != lunghezza_totale + 1) {
    note.add("track plan: " + std::to_string(rows) + " rows where a line of " +
             std::to_string(d.elementi[record_treno_linea].fine) + " m has " +
             std::to_string(lunghezza_totale + 1));
  }
  if (rows < 4) return;
  const std::vector<Numero>& xs = t.column(0);
  const std::vector<Numero>& ys = t.column(1);
  const auto seed = [&](int64_t r, double x, double y) {
    const Numero a = xs[static_cast<size_t>(r)], b = ys[static_cast<size_t>(r)];
    if (a.tag != Numero::Tag::integer || b.tag != Numero::Tag::integer || a.valore != x ||
        b.valore != y) {
      note.add("track plan row " + std::to_string(r) + ": not the start point the compile writes");
    }
  };
  seed(0, 0, 0);
  seed(1, 0, 1);

  const int64_t last = rows - 3;  // the last two rows stay empty
  int previous = 0;
  int64_t inizio = 0;  // first row of the curve in progress
  int unexplained = 0;
  const auto close = [&](int64_t until) {
    if (previous == 0) return;
    const int64_t s = inizio - 1, l = until - inizio + 1;
    out.curve.push_back(curve_key(previous) + printf_string(",  %lld,  %lld",
                                                            static_cast<long long>(s),
                                                            static_cast<long long>(l)));
  };
  for (int64_t i = 2; i <= last; ++i) {
    const size_t r = static_cast<size_t>(i);
    const Numero x = xs[r], y = ys[r];
    int curve_class = 0;
    bool found = false;
    if (x.tag == Numero::Tag::real && y.tag == Numero::Tag::real) {
      const double x2 = xs[r - 2].valore, x1 = xs[r - 1].valore, y2 = ys[r - 2].valore,
                   y1 = ys[r - 1].valore;
      const auto fixture = [&](int c) {
        const PlanStep p = step(x2, x1, y2, y1, c);
        return equal(p.x, x.valore) && equal(p.y, y.valore);
      };
      // The class of the row before first (the fewest entries), then a
      // straight step, then the curves.
      static constexpr int order[] = {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6};
      if (fixture(previous)) {
        curve_class = previous, found = true;
      } else {
        for (int c : order) {
          if (c != previous && fixture(c)) {
            curve_class = c, found = true;
            break;
          }
        }
      }
    }
    if (!found && ++unexplained <= 5) {
      note.add("track plan row " + std::to_string(i) +
               ": no straight or curved step gives this point");
    }
    if (curve_class != previous) {
      close(i - 1);
      previous = curve_class;
      inizio = i;
    }
  }
  close(last);
  if (unexplained > 5)
    note.add("track plan: " + std::to_string(unexplained - 5) + " more rows like these");
  for (int64_t i = std::max<int64_t>(last + 1, 2); i < rows; ++i) {
    if (xs[static_cast<size_t>(i)].tag != Numero::Tag::empty ||
        ys[static_cast<size_t>(i)].tag != Numero::Tag::empty) {
      note.add("track plan row " + std::to_string(i) +
               ": the compile leaves the last two rows empty");
    }
  }
}

}  // namespace sc::decompile
