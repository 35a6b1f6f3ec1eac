#include "compiler/mark_and_encode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "compiler/tracciato_piano.h"
#include "tests/support/le_reader.h"

namespace sc {
namespace {

using test::LeReader;

Percorso model(int32_t last) {
  Percorso p;
  p.celle.assign(static_cast<size_t>(last) + 1, Cella{});
  p.elementi[record_sfondo_identita].nome = "Corvale_Pravena AV";
  p.elementi[record_ripetizione].nome = "409";
  return p;
}

TEST(MarkAndCodeStep, StampsMarksThenCodes) {
  Percorso p = model(10);
  p.elementi[record_sfondo_identita].inizio = 7;
  p.celle[1].valore_3 = -4;
  EXPECT_EQ(mark_and_encode(p), Compilation::Result::pronto);
  const Elemento& e = p.elementi[record_sfondo_identita];
  EXPECT_EQ(e.dato_7, 610);
  EXPECT_EQ(e.orario, 31962);
  EXPECT_EQ(e.inizio, 7);
  EXPECT_EQ(p.celle[1].valore_1, 5121);
  EXPECT_EQ(p.celle[1].valore_2, 2386);
  EXPECT_EQ(p.celle[1].valore_3, -4);
  EXPECT_EQ(p.celle[0].valore_1, 0);
  EXPECT_EQ(p.riga, "409corvale_pravena avaabbccddeeffgghhiillmmnnoo");
}

TEST(MarkAndCodeStep, ReservedSlotAlreadyUsed) {
  const struct {
    const char* nome;
    int16_t dato_7;
    int16_t valore_1;
    int32_t orario;
    int16_t valore_2;
    Compilation::Result expected;
  } cases[] = {
      {"mark slot of record 85", 1, 0, 0, 0, Compilation::Result::errore_1250},
      {"mark slot of cell 1", 0, -1, 0, 0, Compilation::Result::errore_1250},
      {"both marks and both codes", 1, 1, 1, 1, Compilation::Result::errore_1250},
      {"code slot of record 85", 0, 0, 5, 0, Compilation::Result::errore_1251},
      {"code slot of cell 1", 0, 0, 0, 180, Compilation::Result::errore_1251},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nome);
    Percorso p = model(10);
    Elemento& e = p.elementi[record_sfondo_identita];
    e.dato_7 = c.dato_7;
    e.orario = c.orario;
    p.celle[1].valore_1 = c.valore_1;
    p.celle[1].valore_2 = c.valore_2;
    EXPECT_EQ(mark_and_encode(p), c.expected);
    // No contest code was stored.
    EXPECT_EQ(e.orario, c.orario);
    EXPECT_EQ(p.celle[1].valore_2, c.valore_2);
    if (c.expected == Compilation::Result::errore_1250) {
      EXPECT_EQ(e.dato_7, c.dato_7);
      EXPECT_EQ(p.celle[1].valore_1, c.valore_1);
    }
  }
}

// A plan of rows 0 to `last` with the steps of `curve` (key, start,
// length) and, when `complete`, the straight run to its end.
PlanSteps piano(int32_t last, std::vector<std::tuple<const char*, int32_t, int32_t>> curve,
                bool complete = true) {
  Percorso p;
  p.lunghezza_totale = last;
  create_plan(p);
  PianoTracciato t(p.tracciato);
  t.seed();
  for (const auto& [key, inizio, lunghezza] : curve) t.add_curve(key, inizio, lunghezza);
  if (complete) t.complete();
  return p.tracciato;
}

TEST(TrackPlanFile, ColumnZeroThenColumnOneWithTags) {
  // Rows 0 to 6: seeds, rows 2 and 3 straight, row 4 curved; the plan is
  // left there, so rows 5 and 6 stay empty.
  const PlanSteps t = piano(6, {{"curvad4", 3, 1}}, false);
  ASSERT_EQ(t.cursor(), 5);
  const std::string b = plan_content(t).joined();
  // Each column: 4 + 4 + 10 + 10 + 10 + 2 + 2.
  ASSERT_EQ(b.size(), 2u * 42u);
  ASSERT_EQ(plan_column_bytes(t), 42u);
  LeReader r(b);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(r.u16(), 2u);
    EXPECT_EQ(r.i16(), 0);
    EXPECT_EQ(r.u16(), 2u);
    EXPECT_EQ(r.i16(), c);
    EXPECT_EQ(r.u16(), 5u);
    EXPECT_EQ(r.f64(), c == 0 ? 0.0 : 2.0);
    EXPECT_EQ(r.u16(), 5u);
    EXPECT_EQ(r.f64(), c == 0 ? 0.0 : 3.0);
    EXPECT_EQ(r.u16(), 5u);
    // x(4) = 0 + 0 + 0.001 * 1, y(4) = 3 + 1 - 0.001 * 0
    EXPECT_EQ(r.f64(), c == 0 ? 0.001 : 4.0);
    EXPECT_EQ(r.u16(), 0u);
    EXPECT_EQ(r.u16(), 0u);
  }
  EXPECT_EQ(r.pos(), b.size());
  // 0.001 is stored least significant byte first.
  EXPECT_EQ(b.substr(30, 8), std::string("\xFC\xA9\xF1\xD2\x4D\x62\x50\x3F", 8));

  EXPECT_EQ(plan_content(PlanSteps{}).size(), 0u);
  // A plan never seeded (the parse stopped in the general section): every
  // element empty.
  PlanSteps empty;
  empty.last_row = 9;
  EXPECT_EQ(plan_content(empty).joined(), std::string(2 * 10 * 2, '\0'));
}

// The bytes are the rows of the plan as computed one by one, whatever the
// buffer size: buffers smaller than an entry, not a multiple of it, and
// larger than the file; every piece lies within the file and no byte is
// handed out twice.
TEST(TrackPlanFile, SameBytesThroughAnyBuffer) {
  const PlanSteps t =
      piano(20000, {{"curvad1", 2000, 900}, {"curvas6", 5000, 3000}, {"curvad3", 19990, 200}});
  const Tracciato rows = plan_in_memory(t);
  std::string expected;
  for (int c = 0; c < 2; ++c) {
    for (const Numero& n : rows.column(c)) {
      char e[10] = {static_cast<char>(n.tag), 0};
      size_t k = 2;
      if (n.tag == Numero::Tag::integer) {
        const uint16_t v = static_cast<uint16_t>(static_cast<int16_t>(n.valore));
        e[2] = static_cast<char>(v & 0xFF), e[3] = static_cast<char>(v >> 8), k = 4;
      } else if (n.tag == Numero::Tag::real) {
        const uint64_t v = std::bit_cast<uint64_t>(n.valore);
        for (int i = 0; i < 8; ++i) e[2 + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        k = 10;
      }
      expected.append(e, k);
    }
  }
  ASSERT_EQ(expected.size(), 2 * plan_column_bytes(t));
  for (size_t block : {size_t{1}, size_t{11}, size_t{4096}, plan_block_bytes, size_t{1} << 22}) {
    SCOPED_TRACE(block);
    const FileContent c = plan_content(t, block);
    ASSERT_EQ(c.size(), expected.size());
    std::string seen(expected.size(), '\x7f');
    std::vector<bool> taken(expected.size(), false);
    bool sovrapposti = false;
    size_t pieces = 0;
    ASSERT_TRUE(c.write([&](uint64_t offset, std::string_view piece) {
      ++pieces;
      EXPECT_LE(piece.size(), std::max<size_t>(block, 10));
      if (offset > seen.size() || piece.size() > seen.size() - offset) return false;
      for (size_t i = 0; i < piece.size(); ++i) {
        sovrapposti = sovrapposti || taken[offset + i];
        taken[offset + i] = true;
        seen[offset + i] = piece[i];
      }
      return true;
    }));
    EXPECT_FALSE(sovrapposti);
    EXPECT_EQ(seen, expected);
    EXPECT_GE(pieces, 2u);  // the two columns are pieces of their own
  }
}

TEST(TrackPlanFile, ARefusedPieceStopsTheWriting) {
  const FileContent c = plan_content(piano(5000, {}), 64);
  int pieces = 0;
  EXPECT_FALSE(c.write([&](uint64_t, std::string_view) { return ++pieces < 3; }));
  EXPECT_EQ(pieces, 3);
}

TEST(TrackPlanFile, ContentHeldWholeIsOnePiece) {
  const FileContent c(std::string("xyz"));
  EXPECT_FALSE(c.produced());
  std::vector<std::pair<uint64_t, std::string>> seen;
  EXPECT_TRUE(c.write([&](uint64_t o, std::string_view p) {
    seen.emplace_back(o, std::string(p));
    return true;
  }));
  EXPECT_EQ(seen, (std::vector<std::pair<uint64_t, std::string>>{{0, "xyz"}}));
  EXPECT_EQ(std::string_view(c), "xyz");
  EXPECT_TRUE(FileContent().write(
      [](uint64_t, std::string_view) { return false; }));  // nothing to hand out
}

}  // namespace
}  // namespace sc
