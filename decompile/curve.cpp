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
  const PlanFile& t = *d.tracciato;
  const int64_t rows = t.rows();
  const int64_t lunghezza_totale = int64_t{d.elementi[record_treno_linea].fine} + coda_linea;
  if (rows != lunghezza_totale + 1) {
    note.add("track plan: " + std::to_string(rows) + " rows where a line of " +
             std::to_string(d.elementi[record_treno_linea].fine) + " m has " +
             std::to_string(lunghezza_totale + 1));
  }
  if (rows < 4) return;
  const auto seed = [&](int64_t r, const Numero& a, const Numero& b, double x, double y) {
    if (a.tag != Numero::Tag::integer || b.tag != Numero::Tag::integer || a.valore != x ||
        b.valore != y) {
      note.add("track plan row " + std::to_string(r) + ": not the start point the compile writes");
    }
  };

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
  // The rows are read in order, the two before each one kept.
  Numero x2{}, y2{}, x1{}, y1{};
  t.each_row([&](size_t r, const Numero& x, const Numero& y) {
    const auto i = static_cast<int64_t>(r);
    if (i < 2) {
      seed(i, x, y, 0, i == 0 ? 0 : 1);
    } else if (i <= last) {
      int curve_class = 0;
      bool found = false;
      if (x.tag == Numero::Tag::real && y.tag == Numero::Tag::real) {
        const double vx2 = x2.valore, vx1 = x1.valore, vy2 = y2.valore, vy1 = y1.valore;
        const auto fixture = [&](int c) {
          const PlanStep p = step(vx2, vx1, vy2, vy1, c);
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
    } else {
      if (i == last + 1) {
        close(last);
        if (unexplained > 5)
          note.add("track plan: " + std::to_string(unexplained - 5) + " more rows like these");
      }
      if (x.tag != Numero::Tag::empty || y.tag != Numero::Tag::empty) {
        note.add("track plan row " + std::to_string(i) +
                 ": the compile leaves the last two rows empty");
      }
    }
    x2 = x1, y2 = y1, x1 = x, y1 = y;
  });
}

}  // namespace sc::decompile
