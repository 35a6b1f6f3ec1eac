// The three compiled files: the bytes each serialiser writes, read back by
// an independent reader, and every file through its serialiser and its
// decoder and back, whole and cut short.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "compiler/mark_and_encode.h"
#include "format/compiled_decode.h"
#include "tests/support/le_reader.h"

namespace sc {
namespace {

using test::LeReader;

TEST(CellsFile, FifteenPackedBytesPerCell) {
  std::vector<Cella> celle(1981);
  Cella& s = celle[71];
  s = Cella{1, 42, 11, -11, 8, 3, 200, 2, 36, 96, 255};
  celle[1].valore_1 = 5121;
  celle[1].valore_2 = 2386;
  celle[1980].valore_4 = -32768;
  celle[1980].aderenza = 9;

  const std::string b = serializza_celle(celle);
  ASSERT_EQ(b.size(), 29715u);
  EXPECT_EQ(static_cast<unsigned char>(b[16]), 0x01);
  EXPECT_EQ(static_cast<unsigned char>(b[17]), 0x14);
  LeReader r1(b, 18);
  EXPECT_EQ(r1.i16(), 2386);

  LeReader r(b, 1065);
  EXPECT_EQ(r.u8(), 1u);
  EXPECT_EQ(r.i16(), 42);
  EXPECT_EQ(r.i16(), 11);
  EXPECT_EQ(r.i16(), -11);
  EXPECT_EQ(r.i16(), 8);
  EXPECT_EQ(r.u8(), 3u);
  EXPECT_EQ(r.u8(), 200u);
  EXPECT_EQ(r.u8(), 2u);
  EXPECT_EQ(r.u8(), 36u);
  EXPECT_EQ(r.u8(), 96u);
  EXPECT_EQ(r.u8(), 255u);
  EXPECT_EQ(r.pos(), 1080u);
  // Cell 72 is all zero; the last cell holds its values at the end.
  EXPECT_EQ(b.substr(1080, 15), std::string(15, '\0'));
  LeReader u(b, 1980 * 15 + 7);
  EXPECT_EQ(u.i16(), -32768);
  u.skip(5);
  EXPECT_EQ(u.u8(), 9u);
  EXPECT_TRUE(serializza_celle({}).empty());
}

TEST(ElementTableFile, RecordsOfThirtyFourBytesPlusTheirName) {
  std::array<Elemento, numero_elementi> el{};
  Elemento& st = el[1];
  st.tipo = 3;
  st.inizio = 3450;
  st.fine = -100000;
  st.progressiva = 2147483647;
  st.dato_4 = 250;
  st.nome = "Vall\xE9 Centrale";  // one byte per character, as held
  st.dato_7 = -2;
  st.dato_8 = 32767;
  st.dato_10 = 10;
  st.dato_11 = 11;
  st.dato_12 = 12;
  st.dato_9 = 9;
  st.dato_13 = 13;
  st.dato_6 = 6;
  st.dato_5 = 5;
  st.orario = -1;
  el[80].nome = "(GALLERIA PIANORO)( Km. 10.710     )";
  el[85].nome = "Corvale_Pravena AV";
  el[85].dato_7 = 610;
  el[85].orario = 31962;
  el[86].nome = "409";

  const std::string b = serializza_elementi(el);
  const size_t names = st.nome.size() + el[80].nome.size() + 18 + 3;
  ASSERT_EQ(b.size(), 2958u + names);

  LeReader r(b);
  for (int k = 0; k < numero_elementi; ++k) {
    SCOPED_TRACE(k);
    const Elemento& e = el[static_cast<size_t>(k)];
    const size_t inizio = r.pos();
    EXPECT_EQ(r.u8(), e.tipo);
    EXPECT_EQ(r.i32(), e.inizio);
    EXPECT_EQ(r.i32(), e.fine);
    EXPECT_EQ(r.i32(), e.progressiva);
    EXPECT_EQ(r.u8(), e.dato_4);
    const unsigned n = r.u16();
    EXPECT_EQ(n, e.nome.size());
    EXPECT_EQ(r.text(n), e.nome);
    EXPECT_EQ(r.i16(), e.dato_7);
    EXPECT_EQ(r.i16(), e.dato_8);
    EXPECT_EQ(r.i16(), e.dato_10);
    EXPECT_EQ(r.i16(), e.dato_11);
    EXPECT_EQ(r.i16(), e.dato_12);
    EXPECT_EQ(r.u8(), e.dato_9);
    EXPECT_EQ(r.u8(), e.dato_13);
    EXPECT_EQ(r.u8(), e.dato_6);
    EXPECT_EQ(r.u8(), e.dato_5);
    EXPECT_EQ(r.i32(), e.orario);
    EXPECT_EQ(r.pos() - inizio, 34 + e.nome.size());
  }
  EXPECT_EQ(r.pos(), b.size());
  // Record 0 is 34 zero bytes.
  EXPECT_EQ(b.substr(0, 34), std::string(34, '\0'));
}

TEST(ElementTableFile, NameLongerThanItsLengthFieldIsCut) {
  std::array<Elemento, numero_elementi> el{};
  el[80].nome = std::string(70000, 'x');
  el[80].orario = -5;
  el[81].inizio = 777;
  const std::string b = serializza_elementi(el);
  ASSERT_EQ(b.size(), 2958u + 65535u);
  LeReader r(b, 80 * 34 + 14);
  EXPECT_EQ(r.u16(), 65535u);
  EXPECT_EQ(r.text(65535), std::string(65535, 'x'));
  r.skip(14);  // dato_7 to dato_5
  EXPECT_EQ(r.i32(), -5);
  // The records after it stay decodable.
  EXPECT_EQ(r.u8(), 0u);
  EXPECT_EQ(r.i32(), 777);
}

// One small file of each kind, with the starts of its records: the decoder
// gives back what was serialised, and a file cut short is refused at the
// start of the record it cuts, unless the cut leaves a whole file of fewer
// records (cells; a plan of an even number of values, two shorter columns),
// which reads back as those records.
struct FormatCase {
  const char* file;
  std::string bytes;
  std::vector<size_t> bounds;                        // where each record starts, then the end
  std::function<std::string(std::string_view)> lap;  // decode and serialise again
  std::function<bool(size_t)> integer;               // k records form a whole file
};

std::vector<FormatCase> format_cases() {
  std::vector<Cella> celle(4);
  celle[1] = Cella{12, marca_celle, -2, 300, -32768, 255, 84, 3, 36, 96, 7};
  celle[3].valore_4 = 32767;

  std::array<Elemento, numero_elementi> el{};
  el[1].tipo = 10;
  el[1].nome = "Vall\xE9";
  el[1].inizio = -50;
  el[1].orario = 2147483647;
  el[record_sfondo_identita].nome = "Corvale_Pravena AV";
  el[record_sfondo_identita].dato_7 = marca_elementi;
  el[record_ripetizione].nome = "409";

  Tracciato t(2);
  t.column(0)[0] = Numero::integer(-7);
  t.column(0)[1] = Numero::real(0.1);
  t.column(1)[0] = Numero::real(-2.5e300);
  t.column(1)[2] = Numero::integer(32767);

  std::vector<FormatCase> cases;
  {
    FormatCase c{"cells", serializza_celle(celle), {}, {}, [](size_t) { return true; }};
    for (size_t i = 0; i <= celle.size(); ++i) c.bounds.push_back(i * byte_cella);
    c.lap = [](std::string_view b) { return serializza_celle(decode_cells(b)); };
    cases.push_back(c);
  }
  {
    FormatCase c{"element table", serializza_elementi(el), {0}, {}, [](size_t k) {
                   return k == numero_elementi;
                 }};
    for (const Elemento& e : el)
      c.bounds.push_back(c.bounds.back() + element_fixed_bytes + e.nome.size());
    c.lap = [](std::string_view b) { return serializza_elementi(decode_elements(b)); };
    cases.push_back(c);
  }
  {
    FormatCase c{
        "track plan", serializza_tracciato(t), {0}, {}, [](size_t k) { return k % 2 == 0; }};
    for (int col = 0; col < 2; ++col) {
      for (const Numero& n : t.column(col)) {
        c.bounds.push_back(c.bounds.back() + 2 +
                           static_cast<size_t>(bytes_after_tag(static_cast<uint16_t>(n.tag))));
      }
    }
    c.lap = [](std::string_view b) { return serializza_tracciato(decode_plan(b)); };
    cases.push_back(c);
  }
  return cases;
}

TEST(Format, EveryFileRoundTripsAndIsRefusedWhereItIsCut) {
  for (const FormatCase& c : format_cases()) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(c.bounds.back(), c.bytes.size());
    EXPECT_EQ(c.lap(c.bytes), c.bytes);
    for (size_t k = 0; k + 1 < c.bounds.size(); ++k) {
      for (size_t cut = c.bounds[k]; cut < c.bounds[k + 1]; ++cut) {
        const std::string truncated = c.bytes.substr(0, cut);
        if (cut == c.bounds[k] && c.integer(k)) {
          EXPECT_EQ(c.lap(truncated), truncated) << "cut after " << k << " records";
          continue;
        }
        try {
          c.lap(truncated);
          ADD_FAILURE() << "a file cut at byte " << cut << " was accepted";
        } catch (const DecodeError& e) {
          EXPECT_EQ(e.offset(), c.bounds[k]) << "cut at byte " << cut << ": " << e.what();
        }
      }
    }
  }
}

}  // namespace
}  // namespace sc
