#include "format/compiled_decode.h"

#include <gtest/gtest.h>

#include "compiler/compile_entry.h"
#include "compiler/tracciato_piano.h"
#include "format/compiled_decode_test.h"
#include "format/compiled_names.h"
#include "writers/scenario.h"

namespace sc {
namespace {

void equal(const Cella& a, const Cella& b, size_t i) {
  EXPECT_EQ(a.tipo, b.tipo) << i;
  EXPECT_EQ(a.valore_1, b.valore_1) << i;
  EXPECT_EQ(a.valore_2, b.valore_2) << i;
  EXPECT_EQ(a.valore_3, b.valore_3) << i;
  EXPECT_EQ(a.valore_4, b.valore_4) << i;
  EXPECT_EQ(a.tempo, b.tempo) << i;
  EXPECT_EQ(a.avviso, b.avviso) << i;
  EXPECT_EQ(a.galleria, b.galleria) << i;
  EXPECT_EQ(a.velocita, b.velocita) << i;
  EXPECT_EQ(a.pendenza, b.pendenza) << i;
  EXPECT_EQ(a.aderenza, b.aderenza) << i;
}

// Expects a DecodeError at `offset` whose message holds `text`.
template <typename F>
void reject(F&& decode, size_t offset, const std::string& text) {
  try {
    decode();
    ADD_FAILURE() << "accepted; expected: " << text;
  } catch (const DecodeError& e) {
    EXPECT_EQ(e.offset(), offset) << e.what();
    EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
  }
}

TEST(RecogniseFile, TrackPlanSuffixIsTestedBeforeCells) {
  const struct {
    const char* nome;
    std::optional<CompiledKind> tipo;
  } cases[] = {
      {"Corvale_Pravena AV_linea.dat", CompiledKind::tracciato},
      {"Corvale_Pravena AV_409.dat", CompiledKind::celle},
      {"Corvale_Pravena AV_409.sim", CompiledKind::elementi},
      {"lineadat", std::nullopt},
      {"Corvale_Pravena AV_409-.txt", std::nullopt},
      {"x.dat.bak", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(recognise_file(c.nome), c.tipo) << c.nome;
}

// The track plan may be left out where the caller allows it; a plan of
// another scenario in the directory is not taken for it.
TEST(FindScenarioFiles, TrackPlanOptionalOnlyWhereAllowed) {
  namespace fs = std::filesystem;
  const fs::path dir = fixture::test_dir("find_optional_plan");
  const fs::path c = dir / "Corvale_Pravena AV_409.dat", e = dir / "Corvale_Pravena AV_409.sim";
  fixture::write(c, "");
  fixture::write(e, "");
  fixture::write(dir / "Altro_linea.dat", "");
  for (const std::vector<fs::path>& inputs :
       {std::vector<fs::path>{dir}, std::vector<fs::path>{e, c}}) {
    const ScenarioFiles f = find_scenario_files(inputs, false);
    EXPECT_EQ(f.celle, c);
    EXPECT_EQ(f.elementi, e);
    EXPECT_FALSE(f.tracciato);
    EXPECT_THROW(find_scenario_files(inputs, true), std::invalid_argument) << inputs.size();
  }
  EXPECT_THROW(find_scenario_files({e}, false), std::invalid_argument);
  EXPECT_THROW(find_scenario_files({dir, c}, false), std::invalid_argument);
  fs::remove_all(dir);
}

TEST(DecodeCells, ReadsThePackedLayoutLittleEndian) {
  // One signal cell as the compiler writes it, then a cell of negative values.
  const unsigned char byte[] = {1,    42,   0,    11,   0,   11,  0,    8,    0,    0,
                                84,   1,    50,   96,   100, 12,  0xFF, 0xFF, 0x01, 0x14,
                                0x00, 0x80, 0xFF, 0x7F, 255, 254, 3,    253,  0,    7};
  const auto celle =
      decode_cells(std::string_view(reinterpret_cast<const char*>(byte), sizeof byte));
  ASSERT_EQ(celle.size(), 2u);
  equal(celle[0], Cella{1, 42, 11, 11, 8, 0, 84, 1, 50, 96, 100}, 0);
  equal(celle[1], Cella{12, -1, 5121, -32768, 32767, 255, 254, 3, 253, 0, 7}, 1);
}

TEST(DecodeCells, RoundTripsAWholeLine) {
  const auto sc = fixture::scenario();
  const std::string dati = serializza_celle(sc.celle);
  ASSERT_EQ(dati.size(), 29715u);
  EXPECT_EQ(dati[1065], 1);  // cell 71, the signal
  const auto celle = decode_cells(dati);
  ASSERT_EQ(celle.size(), sc.celle.size());
  for (size_t i = 0; i < celle.size(); ++i) equal(celle[i], sc.celle[i], i);
  EXPECT_EQ(celle[71].tipo, tipo_cella::segnale);
  EXPECT_EQ(celle[1].valore_1, 5121);
  EXPECT_TRUE(decode_cells("").empty());
}

TEST(DecodeCells, RefusesASizeThatIsNoMultipleOf15) {
  const std::string dati = serializza_celle(fixture::scenario().celle);
  reject([&] { decode_cells(dati.substr(0, dati.size() - 1)); }, 29700,
         "cells: file size 29714 is not a multiple of 15: cell 1980 at offset 29700 has only 14 of "
         "its 15 bytes");
  reject([&] { decode_cells(dati.substr(0, 7)); }, 0, "cell 0 at offset 0 has only 7");
}

TEST(DecodeElements, RoundTripsEveryRecord) {
  auto sc = fixture::scenario();
  sc.elementi[3].nome = "PRAVENA S.M.N \xE0";  // a Windows-1252 byte stays as it is
  sc.elementi[2].orario = -5;
  sc.elementi[2].dato_8 = -300;
  sc.elementi[2].dato_13 = 255;
  const std::string dati = serializza_elementi(sc.elementi);
  const auto el = decode_elements(dati);
  for (int r = 0; r < numero_elementi; ++r)
    EXPECT_EQ(el.at(r), sc.elementi.at(r)) << "record " << r;
  EXPECT_EQ(el[85].dato_7, 610);
  EXPECT_EQ(el[85].orario, 33000);
  EXPECT_EQ(el[85].nome, "Corvale_Pravena AV");
  EXPECT_EQ(el[86].nome, "409");
  // The mark sits at 16 + n of record 85, the weighted code at 30 + n.
  const size_t r85 = fixture::offset_record(sc.elementi, 85);
  EXPECT_EQ(static_cast<unsigned char>(dati[r85 + 16 + 18]), 610 & 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(dati[r85 + 30 + 18]), 33000 & 0xFF);
}

TEST(DecodeElements, AClearTableIs87TimesThirtyFourZeros) {
  const auto el = decode_elements(std::string(87 * 34, '\0'));
  for (const Elemento& e : el) EXPECT_EQ(e, Elemento{});
}

TEST(DecodeElements, RefusesTruncatedOrOverlongTables) {
  auto sc = fixture::scenario();
  const std::string dati = serializza_elementi(sc.elementi);
  const size_t r12 = fixture::offset_record(sc.elementi, 12);
  const size_t r3 = fixture::offset_record(sc.elementi, 3);
  const size_t n3 = sc.elementi[3].nome.size();
  // A name length that runs past the end.
  std::string long_data = dati.substr(0, r12 + 34 * 3);
  long_data[r12 + 14] = static_cast<char>(9000 & 0xFF);
  long_data[r12 + 15] = static_cast<char>(9000 >> 8);
  reject([&] { decode_elements(long_data); }, r12,
         "element table: record 12 at offset " + std::to_string(r12) +
             ": name length 9000 runs past the end of the file (size " +
             std::to_string(long_data.size()) + ")");
  reject([&] { decode_elements(dati.substr(0, r12)); }, r12,
         "record 12 at offset " + std::to_string(r12) + ": the file ends before this record");
  reject([&] { decode_elements(dati.substr(0, r3 + 10)); }, r3,
         "record 3 at offset " + std::to_string(r3) +
             ": the file ends inside the record's first 16 bytes");
  reject([&] { decode_elements(dati.substr(0, r3 + 16 + n3 + 17)); }, r3,
         "ends inside the 18 bytes after the name");
  reject([&] { decode_elements(dati + "xyz"); }, dati.size(), "3 bytes after the last record");
  reject([&] { decode_elements(""); }, 0, "record 0 at offset 0: the file ends before this record");
}

TEST(DecodeElements, EveryShorterFileIsRefusedWithoutReadingPastIt) {
  const std::string dati = serializza_elementi(fixture::scenario().elementi);
  for (size_t n = 0; n < dati.size(); ++n) {
    EXPECT_THROW(decode_elements(dati.substr(0, n)), DecodeError) << n;
  }
}

TEST(DecodePlan, RoundTripsTagsAndValues) {
  const auto sc = fixture::scenario();
  const std::string dati = serializza_tracciato(sc.tracciato);
  const Tracciato t = decode_plan(dati);
  ASSERT_EQ(t.rows(), 99001);
  for (const int riga : {0, 1, 2000, 2001, 11000, 98998, 98999, 99000}) {
    for (int c = 0; c < 2; ++c) {
      const Numero& expected = sc.tracciato.column(c).at(riga);
      const Numero& read = t.column(c).at(riga);
      EXPECT_EQ(read.tag, expected.tag) << riga << "," << c;
      EXPECT_EQ(read.valore, expected.valore) << riga << "," << c;
    }
  }
  EXPECT_EQ(t.column(1)[1].tag, Numero::Tag::integer);
  EXPECT_EQ(t.column(1)[1].valore, 1);
  EXPECT_EQ(t.column(0)[98999].tag, Numero::Tag::empty);
  EXPECT_GT(t.column(0)[11000].valore, 0);  // the right curve turned towards +x
  EXPECT_FALSE(decode_plan("").present());
}

TEST(DecodePlan, RefusesBadTagsCutValuesAndUnequalColumns) {
  Tracciato piccolo(3);
  for (int c = 0; c < 2; ++c) {
    piccolo.column(c)[0] = Numero::integer(-2);
    piccolo.column(c)[1] = Numero::real(0.5);
  }
  const std::string dati = serializza_tracciato(piccolo);
  // Column 0: 4 + 10 + 2 + 2 bytes; column 1 starts at 18.
  ASSERT_EQ(dati.size(), 36u);
  std::string tag7 = dati;
  tag7[18] = 7;
  reject([&] { decode_plan(tag7); }, 18,
         "track plan: element 4 at offset 18: type tag 7 is not 0, 2 or 5");
  reject([&] { decode_plan(dati.substr(0, 9)); }, 4,
         "element 1 at offset 4: tag 5 needs 8 value bytes, only 3 left (size 9)");
  reject([&] { decode_plan(dati.substr(0, 15)); }, 14,
         "element 2 at offset 14: the file ends inside the 2-byte type tag");
  reject([&] { decode_plan(dati.substr(0, 34)); }, 34, "7 elements do not split into two columns");
  // Of the shorter files only those that end between elements, with an even
  // count of them, read as a plan.
  std::vector<size_t> read;
  for (size_t n = 0; n < dati.size(); ++n) {
    try {
      decode_plan(dati.substr(0, n));
      read.push_back(n);
    } catch (const DecodeError&) {
    }
  }
  EXPECT_EQ(read, (std::vector<size_t>{0, 14, 18, 32}));
}

// The compiler's own output of the embedded scenario reads back as the
// model it was written from.
TEST(DecodeCompilation, ReadsBackTheEmbeddedCompileExactly) {
  CompileResult r = compile_descriptions({{"Corvale_Pravena AV_linea.txt", dati_linea()},
                                          {"Corvale_Pravena AV_409-.txt", dati_treno()},
                                          "Corvale_Pravena AV",
                                          "409",
                                          1,
                                          false});
  const Percorso& p = r.model;
  const Compilation& c = r.compilation;
  ASSERT_EQ(c.status, Compilation::Result::pronto);
  ASSERT_EQ(c.files.size(), 3u);
  for (const CompiledFile& f : c.files) {
    switch (f.kind) {
      case CompiledKind::celle: {
        const auto celle = decode_cells(f.bytes);
        ASSERT_EQ(celle.size(), p.celle.size());
        for (size_t i = 0; i < celle.size(); ++i) equal(celle[i], p.celle[i], i);
        EXPECT_EQ(celle[71].tipo, tipo_cella::segnale);
        EXPECT_EQ(celle[71].valore_1, 42);
        EXPECT_EQ(celle[1].valore_1, 5121);
        break;
      }
      case CompiledKind::elementi: {
        const auto el = decode_elements(f.bytes);
        for (int r = 0; r < numero_elementi; ++r) EXPECT_EQ(el.at(r), p.elementi.at(r)) << r;
        EXPECT_EQ(el[85].dato_7, 610);
        EXPECT_NE(el[85].orario, 0);
        break;
      }
      case CompiledKind::tracciato: {
        const Tracciato t = decode_plan(f.bytes);
        const Tracciato rows = plan_in_memory(p.tracciato);
        ASSERT_EQ(t.rows(), rows.rows());
        for (int col = 0; col < 2; ++col) {
          for (size_t i = 0; i < static_cast<size_t>(t.rows()); ++i) {
            ASSERT_EQ(t.column(col)[i].tag, rows.column(col)[i].tag) << i;
            ASSERT_EQ(t.column(col)[i].valore, rows.column(col)[i].valore) << i;
          }
        }
        EXPECT_EQ(t.column(0)[98998].tag, Numero::Tag::real);
        EXPECT_EQ(t.column(0)[98999].tag, Numero::Tag::empty);
        break;
      }
    }
  }
}

TEST(Utf8From1252, ConvertsTheHighHalf) {
  EXPECT_EQ(utf8_from_1252("Citt\xE0 \x80 \x93x\x94"), "Citt\u00E0 \u20AC \u201Cx\u201D");
  EXPECT_EQ(utf8_from_1252("plain"), "plain");
}

}  // namespace
}  // namespace sc
