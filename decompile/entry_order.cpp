// The order of the entries whose approach markers overlap: a later signal
// or station writes its markers over an earlier one's, so the order of the
// entries decides what the cells hold.
#include <algorithm>
#include <queue>

#include "decompile/reconstruction.h"

namespace sc::decompile {
namespace {

// The cells and values one entry's markers write.
template <typename Write>
void each_marker(const MarkerWriter& w, int64_t last, Write write) {
  if (w.cell < 0) return;
  for (int j = 1; j <= 4; ++j) {
    const int64_t c = w.station ? w.cell - j : w.cell - 2 * j;
    if (c > last || (w.station ? c <= 1 : c < 0)) continue;
    write(c, static_cast<uint8_t>(w.station ? 80 + j : w.side * 10 + j));
  }
}

std::vector<MarkerWriter> usual_order(const TrenoDescription& t) {
  std::vector<MarkerWriter> all = t.stazioni_markers;
  all.insert(all.end(), t.segnali_markers.begin(), t.segnali_markers.end());
  return all;
}

}  // namespace

bool markers_match(const std::vector<Cella>& celle, const std::vector<MarkerWriter>& order) {
  const int64_t last = static_cast<int64_t>(celle.size()) - 1;
  std::vector<int> written(celle.size(), -1);
  for (const MarkerWriter& w : order)
    each_marker(w, last, [&](int64_t c, uint8_t v) { written[static_cast<size_t>(c)] = v; });
  for (size_t c = 0; c < celle.size(); ++c) {
    if (written[c] >= 0 && written[c] != celle[c].avviso) return false;
  }
  return true;
}

std::optional<std::vector<MarkerWriter>> marker_order(const std::vector<Cella>& celle,
                                                      const TrenoDescription& t) {
  const std::vector<MarkerWriter> all = usual_order(t);
  const int64_t last = static_cast<int64_t>(celle.size()) - 1;
  // The entries marking each cell, with the value each writes.
  std::vector<std::vector<std::pair<size_t, uint8_t>>> by_cell(celle.size());
  for (size_t i = 0; i < all.size(); ++i) {
    each_marker(all[i], last, [&](int64_t c, uint8_t v) {
      by_cell[static_cast<size_t>(c)].push_back({i, v});
    });
  }
  // Edges: an entry before the one whose marker the cell keeps.
  std::vector<std::vector<size_t>> after(all.size());
  std::vector<int> before_count(all.size(), 0);
  const auto edge = [&](size_t a, size_t b) {
    after[a].push_back(b);
    ++before_count[b];
  };
  for (size_t c = 0; c < by_cell.size(); ++c) {
    const auto& w = by_cell[c];
    if (w.size() < 2) continue;
    // The kept marker's entry: the first that writes the cell's value.
    const auto kept = std::find_if(w.begin(), w.end(),
                                   [&](const auto& x) { return x.second == celle[c].avviso; });
    if (kept == w.end()) return std::nullopt;
    for (const auto& x : w) {
      if (x.second != celle[c].avviso) edge(x.first, kept->first);
    }
  }
  // Stations in the order of their records.
  for (size_t i = 1; i < t.stazioni_markers.size(); ++i) edge(i - 1, i);
  // The usual order wherever the markers leave a choice.
  std::priority_queue<size_t, std::vector<size_t>, std::greater<>> ready;
  for (size_t i = 0; i < all.size(); ++i) {
    if (before_count[i] == 0) ready.push(i);
  }
  std::vector<MarkerWriter> order;
  while (!ready.empty()) {
    const size_t i = ready.top();
    ready.pop();
    order.push_back(all[i]);
    for (size_t j : after[i]) {
      if (--before_count[j] == 0) ready.push(j);
    }
  }
  if (order.size() != all.size()) return std::nullopt;  // the markers ask for a cycle
  return order;
}

}  // namespace sc::decompile
