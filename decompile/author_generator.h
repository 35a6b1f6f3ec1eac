// Descriptions written the way authors write them, for the round-trip test
// and its fuzz target: entries in any order, signals, stations, boards and
// restrictions packed closely so that their markers overlap, tunnels and
// boards up to the end of the line, kilometre references of every form.
// Every entry is chosen so that the description compiles without a fault
// as far as the placement rules go; the caller compiles it and keeps only
// the descriptions that do.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "model/percorso.h"
#include "model/printf_string.h"

namespace sc::decompile {

// Random choices from a seeded engine.
// Where a generated station of type `tipo` at `pos`, `l` metres long,
// starts and ends: as the station placement lays out each type.
inline std::pair<int, int> station_extent(int tipo, int pos, int l, int d6) {
  if (tipo == 5 || tipo == 6) return {pos - l, pos + 150};
  if (tipo == 7 || tipo == 8) return {pos - l, pos + l};
  return {pos - l / 2, pos + l / 2 + (d6 != 0 ? 50 : 0)};
}

// The cells a generated restriction from cell `s` to cell `e` takes: its
// start and end, its warning 24 cells before the start when it has one,
// and the four approach cells before the warning when `approach`.
inline std::vector<int> restriction_cells(int s, int e, bool avviso, bool approach) {
  std::vector<int> celle{s, e};
  if (avviso) celle.push_back(s - 24);
  for (int j = 1; approach && j <= 4; ++j) celle.push_back(s - 24 - j);
  return celle;
}

class SeededChoices {
 public:
  explicit SeededChoices(uint32_t seed) : r_(seed) {}
  int between(int a, int b) { return std::uniform_int_distribution<int>(a, b)(r_); }

 private:
  std::mt19937 r_;
};

// Choices read from bytes (a fuzz input): two bytes per choice, the lowest
// value once the bytes run out.
class ByteChoices {
 public:
  ByteChoices(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int between(int a, int b) {
    if (b <= a) return a;
    uint32_t v = 0;
    for (int i = 0; i < 2 && at_ < size_; ++i) v = v << 8 | data_[at_++];
    return a + static_cast<int>(v % static_cast<uint32_t>(b - a + 1));
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// How many times the entries of one description overlap, by kind.
struct Overlaps {
  int signal_over_signal = 0;        // a signal's approach markers over an earlier signal's
  int signal_over_station = 0;       // a signal's approach markers over an earlier station's
  int station_over_signal = 0;       // a station's approach markers over an earlier signal's
  int restriction_over_markers = 0;  // a restriction cell on a marked cell or tunnel marker
  int board_over_markers = 0;        // a board on a tunnel marker

  Overlaps& operator+=(const Overlaps& o) {
    signal_over_signal += o.signal_over_signal;
    signal_over_station += o.signal_over_station;
    station_over_signal += o.station_over_signal;
    restriction_over_markers += o.restriction_over_markers;
    board_over_markers += o.board_over_markers;
    return *this;
  }
};

template <typename Choices>
class AuthorGenerator {
 public:
  explicit AuthorGenerator(Choices& c) : c_(c) {}

  void generate() {
    length_ = 50 * between(120, 500) + (one_in(4) ? between(1, 49) : 0);
    u_ = last_cell_for(length_);
    taken_.assign(static_cast<size_t>(u_) + 1, false);

    std::vector<std::string> line;
    tunnels(line);
    boards(line);
    gradients(line);
    shuffle(line);
    // Curves in the order of the line (the track plan only goes forward),
    // in the slots the shuffle leaves them.
    std::vector<std::string> bends;
    curves(bends);
    for (std::string& b : bends)
      line.insert(line.begin() + between(0, static_cast<int>(line.size())), std::move(b));
    std::vector<size_t> slots;
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i].rfind("curva", 0) == 0) slots.push_back(i);
    }
    for (size_t i = 0; i < slots.size(); ++i) line[slots[i]] = curve_entries_[i];
    linea_ = "[generale]\r\n";
    linea_ += printf_string("lunghezza percorso,    %d\r\n", length_);
    references();
    linea_ += printf_string("sfondo uno,    %d\r\nsfondo due,    %d\r\nsfondo tre,    %d\r\n",
                            between(0, 5), between(0, 5), between(0, 9000));
    linea_ += printf_string("ripetizione segnali %d codici,    %d,    %d\r\n", one_in(2) ? 4 : 9,
                            50 * between(0, 100), one_in(5) ? 0 : 50 * between(1, 2000));
    for (const std::string& e : line) linea_ += e + "\r\n";
    linea_ += "[fine]\r\n";

    // Train entries: each placed in the order they will stand in the file,
    // which is decided first; stations keep their order along the line.
    std::vector<Entry> train;
    plan_train(train);
    treno_ = "[generale]\r\n";
    for (const Entry& e : train) treno_ += e.text + "\r\n";
    treno_ += "[fine]\r\n";
  }

  const std::string& linea() const { return linea_; }
  const std::string& treno() const { return treno_; }
  const Overlaps& overlaps() const { return overlaps_; }

 private:
  struct Entry {
    std::string text;
  };

  int between(int a, int b) { return c_.between(a, b); }
  bool one_in(int n) { return between(1, n) == 1; }
  int last_position() const { return 50 * (u_ - 2); }
  bool free(int c) const { return c >= 0 && c <= u_ && !taken_[static_cast<size_t>(c)]; }
  void take(int c) { taken_.at(static_cast<size_t>(c)) = true; }

  template <typename List>
  void shuffle(List& v) {
    for (size_t i = v.size(); i > 1; --i) {
      std::swap(v[i - 1], v[static_cast<size_t>(between(0, static_cast<int>(i) - 1))]);
    }
  }

  // The three references in one of their forms: all zero, first values
  // zero with a second value deciding, distinct first values, the largest
  // first value shared; any may have a third value of 1 (100 added).
  void references() {
    const int form = between(0, 3);
    std::array<std::array<int, 3>, 3> r{};
    for (auto& t : r) {
      t = {50 * between(0, 400), 50 * between(0, 400), between(0, 2)};
      if (form <= 1) t[0] = 0;
      if (form == 0) t = {0, 0, 0};
    }
    if (form == 1 && one_in(2)) r[static_cast<size_t>(between(0, 2))][1] = 0;
    if (form == 3) r[1][0] = r[0][0] = std::max(r[0][0], r[2][0] + 50);
    shuffle(r);
    const char* names[] = {"uno", "due", "tre"};
    for (int i = 0; i < 3; ++i) {
      const auto& t = r[static_cast<size_t>(i)];
      linea_ += printf_string("progressiva chilometrica %s,    %d,    %d,    %d\r\n", names[i],
                              t[0], t[1], t[2]);
    }
  }

  void curves(std::vector<std::string>& out) {
    // In order: the track plan only goes forward.
    int pos = between(2, 2000);
    std::vector<std::string> list;
    while (true) {
      const int l = between(50, 3000);
      if (pos + l > length_) break;
      list.push_back(
          printf_string("curva%c%d,  %d,  %d", one_in(2) ? 's' : 'd', between(1, 6), pos, l));
      pos += l + (one_in(4) ? 0 : between(1, 4000));
    }
    curve_entries_ = list;
    out.insert(out.end(), list.begin(), list.end());
  }

  void gradients(std::vector<std::string>& out) {
    for (int pos = 0; pos <= last_position(); pos += 50 * between(1, 80) + (one_in(5) ? 25 : 0)) {
      out.push_back(printf_string("pendenza,  %d,   %d", pos, between(-30, 30)));
    }
  }

  // Stretches anywhere up to the last cell, some overlapping or back to
  // back (kind 3), at most 30.
  void tunnels(std::vector<std::string>& out) {
    const int n = between(0, 12);
    for (int i = 0; i < n; ++i) {
      const int first = one_in(5) ? u_ - 2 - between(0, 3) : between(0, u_ - 3);
      const int last = std::min(u_, first + between(0, 60));
      const int tipo = between(1, 3) + (one_in(3) ? 0 : 10);
      out.push_back(printf_string("montagna,   %d,  %d,  %d", 50 * first, 50 * (last + 1), tipo));
      tunnel_list_.push_back({first, last, tipo > 10});
    }
  }

  // Whether cell c holds a tunnel marker once every stretch is placed in
  // the order of the file; known only after the shuffle, so the boards
  // count it approximately: a marker of any marked stretch.
  bool maybe_marker(int c) const {
    for (const auto& t : tunnel_list_) {
      if (t.marks && c >= t.first && c <= t.last && (c - t.first) % 4 == 3) return true;
    }
    return false;
  }

  void boards(std::vector<std::string>& out) {
    const int speed_boards = between(0, 6), texts = between(0, 10);
    for (int i = 0; i < speed_boards + texts; ++i) {
      // Some on tunnel markers, some in the last cell a board can take.
      int c = one_in(6) ? u_ - 1 : between(1, u_ - 1);
      if (one_in(2) && !tunnel_list_.empty()) {
        const auto& t = tunnel_list_[static_cast<size_t>(between(0, int(tunnel_list_.size()) - 1))];
        if (t.marks && t.last - t.first >= 3)
          c = t.first + 3 + 4 * between(0, (t.last - t.first - 3) / 4);
      }
      if (c < 1 || c > u_ - 1 || !free(c)) continue;
      take(c);
      if (maybe_marker(c)) ++overlaps_.board_over_markers;
      if (i < speed_boards) {
        out.push_back(printf_string("indicatori_vmax,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d",
                                    50 * (c - 1), speed(), speed(), speed(), between(0, 3), speed(),
                                    speed(), speed(), between(0, 3)));
      } else {
        ++boards_;
        out.push_back(printf_string("cartello_indicatore,  %d,   (GALLERIA %c%d)( Km. %d.%03d   )",
                                    50 * (c - 1), 'A' + between(0, 25), between(0, 99),
                                    between(0, 99), between(0, 999)));
      }
    }
  }

  int speed() { return 5 * between(6, 60); }

  // --- train ---------------------------------------------------------------

  // A placed train entry: what it is, where its cells and markers are.
  enum class Kind { signal, station, restriction, code, other };
  struct Planned {
    Kind kind = Kind::other;
    int anchor = 0;      // a signal's cell, a station's stop cell (or its position's cell)
    bool marks = false;  // a station with approach markers
    std::string text;
    int sequence = 0;  // stations: their place along the line
  };

  void plan_train(std::vector<Entry>& out) {
    std::vector<Planned> p;
    p.push_back({Kind::other, 0, false, printf_string("numero vetture,    %d", between(1, 20))});
    p.push_back({Kind::other, 0, false,
                 printf_string("percentuale massa frenata,    %d", between(50, 200))});
    p.push_back({Kind::other, 0, false, printf_string("sabbia,    %d", between(0, 999))});
    p.push_back({Kind::other, 0, false,
                 printf_string("orologio,    %d              %d            %d ", between(0, 23),
                               between(0, 59), between(0, 59))});
    for (int pos = 0; pos <= last_position(); pos += 50 * between(20, 400))
      p.push_back(
          {Kind::other, 0, false, printf_string("aderenza,   %d,    %d", pos, between(0, 255))});
    for (int pos = 0; pos <= last_position(); pos += 50 * between(10, 200))
      p.push_back({Kind::other, 0, false, printf_string("velocita,    %d,   %d", pos, speed())});
    // Positions first, order next: a cluster of signals and stations close
    // together here and there, the rest spread.
    stations(p);
    signals(p);
    restrictions(p);
    codes(p);
    shuffle(p);
    // Stations in the order of the line, in the slots the shuffle gave them.
    std::vector<size_t> slots;
    std::vector<Planned> st;
    for (size_t i = 0; i < p.size(); ++i) {
      if (p[i].kind == Kind::station) slots.push_back(i), st.push_back(p[i]);
    }
    std::sort(st.begin(), st.end(),
              [](const Planned& a, const Planned& b) { return a.sequence < b.sequence; });
    for (size_t i = 0; i < slots.size(); ++i) {
      p[slots[i]] = st[i];
      p[slots[i]].text += printf_string("%d", static_cast<int>(i) + 1);
    }
    count_marker_overlaps(p);
    for (const Planned& e : p) out.push_back({e.text});
  }

  // The markers each entry writes, and who wins, in file order.
  void count_marker_overlaps(const std::vector<Planned>& p) {
    std::vector<int> owner(static_cast<size_t>(u_) + 1, 0);  // 0 none, 1 signal, 2 station
    for (const Planned& e : p) {
      if (e.kind != Kind::signal && !(e.kind == Kind::station && e.marks)) continue;
      for (int j = 1; j <= 4; ++j) {
        const int c = e.kind == Kind::signal ? e.anchor - 2 * j : e.anchor - j;
        if (c < 0 || (e.kind == Kind::station && c <= 1)) continue;
        int& o = owner[static_cast<size_t>(c)];
        if (e.kind == Kind::signal && o == 1) ++overlaps_.signal_over_signal;
        if (e.kind == Kind::signal && o == 2) ++overlaps_.signal_over_station;
        if (e.kind == Kind::station && o == 1) ++overlaps_.station_over_signal;
        o = e.kind == Kind::signal ? 1 : 2;
      }
    }
    for (int c : restriction_cells_) {
      const bool marked = owner[static_cast<size_t>(c)] != 0 || maybe_marker(c);
      if (marked) ++overlaps_.restriction_over_markers;
    }
  }

  // Stations of every type, 350 m or more apart, each stop cell free;
  // the name's number is added once their order is known.
  void stations(std::vector<Planned>& p) {
    static const int types[] = {5, 6, 7, 8, 1, 12, 20, 24, 25, 30};
    int end_before = -1000000;
    int k = 1;
    for (int pos = 50 * between(10, 60); pos + 2000 < length_ && k < 78 - boards_;
         pos += 50 * between(20, 160)) {
      const int tipo = types[between(0, 9)];
      const int l = 100 * between(1, 10);
      const int d6 = one_in(2) ? between(1, 3) : 0;
      const auto [inizio, fine] = station_extent(tipo, pos, l, d6);
      const int fermata = fine / 50 - 1;
      if (inizio - 350 < end_before || fermata > u_ - 2 ||
          (tipo < 25 && (fermata <= 1 || !free(fermata))))
        continue;
      if (tipo < 25) take(fermata);
      end_before = fine;
      ++k;
      const int orario = between(0, 86399);
      const bool marks = tipo < 25 && tipo != 5 && tipo != 6;
      p.push_back({Kind::station, marks ? fermata : pos / 50, marks,
                   printf_string("stazione, %7d, %2d, %4d, %2d, %d, %d,  %d,%d,%d,  %d,%d,%d, "
                                 "%4d, %3d,%2d, %d, STAZIONE %c",
                                 pos, tipo, l, between(0, 255), between(0, 255), d6,
                                 between(-100, 300), between(0, 9), between(0, 255), between(0, 9),
                                 between(0, 9), between(0, 9), between(0, 255), orario / 3600,
                                 orario / 60 % 60, orario % 60, 'A' + between(0, 25))});
      p.back().sequence = k;
      if (marks) station_stops_.push_back(fermata);
    }
  }

  // Signals: some next to a station's stop cell or to each other, 2 to 8
  // cells apart (their markers overlap), the rest spread along the line.
  void signals(std::vector<Planned>& p) {
    static const int times[] = {0, 0, 50, 101, 200};
    std::vector<int> cells;
    for (int c = between(8, 40); c < u_ - 150; c += between(2, 60)) cells.push_back(c);
    for (int s : station_stops_) {
      if (one_in(2)) cells.push_back(s + between(1, 8));
      if (one_in(3)) cells.push_back(s - between(1, 8));
    }
    for (int c : cells) {
      if (c < 8 || c > u_ - 2 || !free(c)) continue;
      take(c);
      p.push_back({Kind::signal, c, false,
                   printf_string("segnale, %7d,   %d, %d, %d,  %d, %d,    %d,  %d,%d,%d, %d",
                                 50 * (c - 1), between(0, 2), between(0, 9), between(0, 9),
                                 between(0, 9), between(0, 9), between(0, 2), between(0, 9),
                                 between(0, 9), between(0, 9), times[between(0, 4)])});
    }
  }

  // Restrictions at 60 to 300 km/h, far enough apart for the cab-code
  // cells of the consistency pass; their cells may lie on markers.
  void restrictions(std::vector<Planned>& p) {
    for (int s = between(10, 80); s + 60 < u_ - 150; s += between(60, 200)) {
      const int l = 50 * between(0, 60);
      const int e = s + l / 50;
      const int x = 50 * (s - 1);
      const bool avviso = x > 1500;
      const int f_ta = avviso && one_in(2) ? 1 : 0;
      const std::vector<int> celle = restriction_cells(s, e, avviso, f_ta != 0);
      bool ok = true;
      for (int c : celle) ok = ok && free(c);
      if (!ok) continue;
      for (int c : celle) take(c), restriction_cells_.push_back(c);
      p.push_back(
          {Kind::restriction, s, false,
           printf_string("rallentamento,   %d,   %d,   %d,   %d, %d, %d", x, 5 * between(12, 60), l,
                         between(0, 2), f_ta, one_in(2) ? 0 : between(1, 3))});
    }
  }

  void codes(std::vector<Planned>& p) {
    static const int values[] = {0, 100, 180, 280};
    for (int i = between(0, 4); i > 0; --i) {
      const int c = between(2, u_ - 2);
      if (!free(c)) continue;
      take(c);
      p.push_back({Kind::code, c, false,
                   printf_string("abbattimento, %7d,   %d", 50 * c, values[between(0, 3)])});
    }
  }

  struct Tunnel {
    int first, last;
    bool marks;
  };

  Choices& c_;
  int length_ = 0;
  int u_ = 0;
  int boards_ = 0;
  std::vector<bool> taken_;
  std::vector<Tunnel> tunnel_list_;
  std::vector<std::string> curve_entries_;
  std::vector<int> station_stops_, restriction_cells_;
  Overlaps overlaps_;
  std::string linea_, treno_;
};

}  // namespace sc::decompile
