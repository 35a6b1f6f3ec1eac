#include "compiler/output_files.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <optional>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace sc {
namespace {

// Reads little-endian values back from file bytes, independently of the
// writer.
class Lettore {
 public:
  explicit Lettore(const std::string& b, size_t pos = 0) : b_(b), pos_(pos) {}

  uint64_t le(int n) {
    EXPECT_LE(n, 8);
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= static_cast<uint64_t>(byte(pos_ + i)) << (8 * i);
    pos_ += static_cast<size_t>(n);
    return v;
  }
  unsigned u8() { return static_cast<unsigned>(le(1)); }
  unsigned u16() { return static_cast<unsigned>(le(2)); }
  int i16() {
    const long v = static_cast<long>(le(2));
    return static_cast<int>(v >= 0x8000 ? v - 0x10000 : v);
  }
  long long i32() {
    const long long v = static_cast<long long>(le(4));
    return v >= 0x80000000LL ? v - 0x100000000LL : v;
  }
  double f64() {
    const uint64_t bits = le(8);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  std::string text(size_t n) {
    EXPECT_LE(pos_ + n, b_.size());
    std::string s = b_.substr(pos_, n);
    pos_ += n;
    return s;
  }
  void skip(size_t n) { pos_ += n; }
  size_t pos() const { return pos_; }

 private:
  unsigned char byte(size_t i) const {
    EXPECT_LT(i, b_.size());
    return i < b_.size() ? static_cast<unsigned char>(b_[i]) : 0;
  }
  const std::string& b_;
  size_t pos_;
};

Percorso modello(int32_t ultima) {
  Percorso p;
  p.celle.assign(static_cast<size_t>(ultima) + 1, Cella{});
  p.elementi[record_sfondo_identita].nome = "Corvale_Pravena AV";
  p.elementi[record_ripetizione].nome = "409";
  return p;
}

TEST(MarkAndCodeStep, StampsMarksThenCodes) {
  Percorso p = modello(10);
  p.elementi[record_sfondo_identita].inizio = 7;
  p.celle[1].valore_3 = -4;
  EXPECT_EQ(marca_e_codifica(p), Compilazione::Stato::pronto);
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
    Compilazione::Stato atteso;
  } casi[] = {
      {"mark slot of record 85", 1, 0, 0, 0, Compilazione::Stato::errore_1250},
      {"mark slot of cell 1", 0, -1, 0, 0, Compilazione::Stato::errore_1250},
      {"both marks and both codes", 1, 1, 1, 1, Compilazione::Stato::errore_1250},
      {"code slot of record 85", 0, 0, 5, 0, Compilazione::Stato::errore_1251},
      {"code slot of cell 1", 0, 0, 0, 180, Compilazione::Stato::errore_1251},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    Percorso p = modello(10);
    Elemento& e = p.elementi[record_sfondo_identita];
    e.dato_7 = c.dato_7;
    e.orario = c.orario;
    p.celle[1].valore_1 = c.valore_1;
    p.celle[1].valore_2 = c.valore_2;
    EXPECT_EQ(marca_e_codifica(p), c.atteso);
    // No contest code was stored.
    EXPECT_EQ(e.orario, c.orario);
    EXPECT_EQ(p.celle[1].valore_2, c.valore_2);
    if (c.atteso == Compilazione::Stato::errore_1250) {
      EXPECT_EQ(e.dato_7, c.dato_7);
      EXPECT_EQ(p.celle[1].valore_1, c.valore_1);
    }
  }
}

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
  Lettore r1(b, 18);
  EXPECT_EQ(r1.i16(), 2386);

  Lettore r(b, 1065);
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
  Lettore u(b, 1980 * 15 + 7);
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
  const size_t nomi = st.nome.size() + el[80].nome.size() + 18 + 3;
  ASSERT_EQ(b.size(), 2958u + nomi);

  Lettore r(b);
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
  Lettore r(b, 80 * 34 + 14);
  EXPECT_EQ(r.u16(), 65535u);
  EXPECT_EQ(r.text(65535), std::string(65535, 'x'));
  r.skip(14);  // dato_7 to dato_5
  EXPECT_EQ(r.i32(), -5);
  // The records after it stay decodable.
  EXPECT_EQ(r.u8(), 0u);
  EXPECT_EQ(r.i32(), 777);
}

TEST(TrackPlanFile, ColumnZeroThenColumnOneWithTags) {
  Tracciato t(4);
  t.colonna(0)[0] = Numero::intero(0);
  t.colonna(0)[1] = Numero::intero(-7);
  t.colonna(0)[2] = Numero::reale(0.1);
  t.colonna(1)[0] = Numero::intero(0);
  t.colonna(1)[1] = Numero::intero(1);
  t.colonna(1)[2] = Numero::reale(-0.0);
  t.colonna(1)[3] = Numero::reale(2.0000000001);

  const std::string b = serializza_tracciato(t);
  // Column 0: 4 + 4 + 10 + 2 + 2; column 1: 4 + 4 + 10 + 10 + 2.
  ASSERT_EQ(b.size(), 22u + 30u);
  Lettore r(b);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 0);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), -7);
  EXPECT_EQ(r.u16(), 5u);
  EXPECT_EQ(r.f64(), 0.1);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 0);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 1);
  EXPECT_EQ(r.u16(), 5u);
  const double z = r.f64();
  EXPECT_EQ(z, 0.0);
  EXPECT_TRUE(std::signbit(z));
  EXPECT_EQ(r.u16(), 5u);
  EXPECT_EQ(r.f64(), 2.0000000001);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.pos(), b.size());
  // 0.1 is stored least significant byte first.
  EXPECT_EQ(b.substr(10, 8), std::string("\x9A\x99\x99\x99\x99\x99\xB9\x3F", 8));

  EXPECT_TRUE(serializza_tracciato(Tracciato{}).empty());
}

TEST(TrackPlanFile, FullLengthPlanOfTheEmbeddedLine) {
  // Rows 0 to 99000: four integer seeds, doubles up to row 98998, two
  // empty rows at the end of each column.
  Tracciato t(99000);
  for (int c = 0; c < 2; ++c) {
    t.colonna(c)[0] = Numero::intero(0);
    t.colonna(c)[1] = Numero::intero(static_cast<int16_t>(c));
    for (int32_t i = 2; i <= 98998; ++i)
      t.colonna(c)[static_cast<size_t>(i)] = Numero::reale(c == 0 ? i * 0.5 : -i * 0.25);
  }
  const std::string b = serializza_tracciato(t);
  const size_t colonna = 2 * 4 + 98997 * 10 + 2 * 2;
  ASSERT_EQ(b.size(), 2 * colonna);
  Lettore r(b, 8 + 10 * (98998 - 2));
  EXPECT_EQ(r.u16(), 5u);
  EXPECT_EQ(r.f64(), 98998 * 0.5);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.pos(), colonna);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 0);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 1);
  EXPECT_EQ(r.u16(), 5u);
  EXPECT_EQ(r.f64(), -0.5);
}

TEST(TrackPlanFile, RunsOfDoublesArePiecesOfThePlanItself) {
  Tracciato t(9);
  for (int c = 0; c < 2; ++c) {
    t.colonna(c)[0] = Numero::intero(0);
    t.colonna(c)[1] = Numero::intero(static_cast<int16_t>(c));
    for (size_t i = 2; i <= 7; ++i) t.colonna(c)[i] = Numero::reale(static_cast<double>(i) + c);
  }
  std::optional<ContenutoFile> pezzi = pezzi_tracciato(t);
  const std::string unito = serializza_tracciato(t);
  ASSERT_EQ(pezzi->size(), unito.size());
  EXPECT_EQ(std::string_view(*pezzi), unito);
  const std::vector<std::string_view> v = pezzi->pezzi();
  if constexpr (std::endian::native == std::endian::little) {
    // Seeds of column 0; its doubles; its two empty rows and the seeds of
    // column 1 together; its doubles; its empty rows.
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[0].size(), 8u);
    EXPECT_EQ(v[1].data(), reinterpret_cast<const char*>(t.colonna(0).data() + 2));
    EXPECT_EQ(v[1].size(), 60u);
    EXPECT_EQ(v[2].size(), 12u);
    EXPECT_EQ(v[3].data(), reinterpret_cast<const char*>(t.colonna(1).data() + 2));
    EXPECT_EQ(v[4], std::string_view("\0\0\0\0", 4));
  }
  std::string dai_pezzi;
  for (std::string_view x : v) dai_pezzi.append(x);
  EXPECT_EQ(dai_pezzi, unito);
  // A copy holds its own encoded pieces: it still reads right after the
  // original is gone.
  const ContenutoFile copia = *pezzi;
  pezzi.reset();
  EXPECT_EQ(copia.unito(), unito);
  EXPECT_EQ(std::string_view(copia), unito);
}

TEST(TrackPlanFile, ContentPiecesJoinWhereTheyCan) {
  const std::string memoria = "0123456789";
  ContenutoFile c;
  EXPECT_EQ(std::string_view(c), "");
  EXPECT_TRUE(c.pezzi().empty());
  c.aggiungi_copia("ab", 2);
  c.aggiungi_copia("", 0);
  c.aggiungi_copia("c", 1);
  c.aggiungi_riferimento(memoria.data(), 3);
  c.aggiungi_riferimento(memoria.data() + 3, 2);  // follows the one before
  c.aggiungi_riferimento(memoria.data() + 7, 3);  // does not
  c.aggiungi_copia("z", 1);
  EXPECT_EQ(c.pezzi(), (std::vector<std::string_view>{"abc", "01234", "789", "z"}));
  EXPECT_EQ(c.size(), 12u);
  EXPECT_EQ(std::string_view(c), "abc01234789z");
  c.aggiungi_copia("!", 1);  // a change drops the joined copy
  EXPECT_EQ(std::string_view(c), "abc01234789z!");
  EXPECT_EQ(ContenutoFile(std::string("xyz")).pezzi(), std::vector<std::string_view>{"xyz"});
}

}  // namespace
}  // namespace sc
