#include "compiler/output_files.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <optional>
#include <tuple>
#include <utility>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/tracciato_piano.h"

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

// A plan of rows 0 to `ultima` with the steps of `curve` (key, start,
// length) and, when `completo`, the straight run to its end.
PassiTracciato piano(int32_t ultima, std::vector<std::tuple<const char*, int32_t, int32_t>> curve,
                     bool completo = true) {
  Percorso p;
  p.lunghezza_totale = ultima;
  crea_tracciato(p);
  PianoTracciato t(p.tracciato);
  t.semina();
  for (const auto& [chiave, inizio, lunghezza] : curve) t.aggiungi_curva(chiave, inizio, lunghezza);
  if (completo) t.completa();
  return p.tracciato;
}

TEST(TrackPlanFile, ColumnZeroThenColumnOneWithTags) {
  // Rows 0 to 6: seeds, rows 2 and 3 straight, row 4 curved; the plan is
  // left there, so rows 5 and 6 stay empty.
  const PassiTracciato t = piano(6, {{"curvad4", 3, 1}}, false);
  ASSERT_EQ(t.cursore(), 5);
  const std::string b = contenuto_tracciato(t).unito();
  // Each column: 4 + 4 + 10 + 10 + 10 + 2 + 2.
  ASSERT_EQ(b.size(), 2u * 42u);
  ASSERT_EQ(byte_colonna_tracciato(t), 42u);
  Lettore r(b);
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

  EXPECT_EQ(contenuto_tracciato(PassiTracciato{}).size(), 0u);
  // A plan never seeded (the parse stopped in the general section): every
  // element empty.
  PassiTracciato vuoto;
  vuoto.ultima_riga = 9;
  EXPECT_EQ(contenuto_tracciato(vuoto).unito(), std::string(2 * 10 * 2, '\0'));
}

// The bytes are the rows of the plan as computed one by one, whatever the
// buffer size: buffers smaller than an entry, not a multiple of it, and
// larger than the file; every piece lies within the file and no byte is
// handed out twice.
TEST(TrackPlanFile, SameBytesThroughAnyBuffer) {
  const PassiTracciato t = piano(20000, {{"curvad1", 2000, 900}, {"curvas6", 5000, 3000}, {"curvad3", 19990, 200}});
  const Tracciato righe = tracciato_in_memoria(t);
  std::string atteso;
  for (int c = 0; c < 2; ++c) {
    for (const Numero& n : righe.colonna(c)) {
      char e[10] = {static_cast<char>(n.tag), 0};
      size_t k = 2;
      if (n.tag == Numero::Tag::intero) {
        const uint16_t v = static_cast<uint16_t>(static_cast<int16_t>(n.valore));
        e[2] = static_cast<char>(v & 0xFF), e[3] = static_cast<char>(v >> 8), k = 4;
      } else if (n.tag == Numero::Tag::reale) {
        const uint64_t v = std::bit_cast<uint64_t>(n.valore);
        for (int i = 0; i < 8; ++i) e[2 + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        k = 10;
      }
      atteso.append(e, k);
    }
  }
  ASSERT_EQ(atteso.size(), 2 * byte_colonna_tracciato(t));
  for (size_t blocco : {size_t{1}, size_t{11}, size_t{4096}, byte_blocco_tracciato, size_t{1} << 22}) {
    SCOPED_TRACE(blocco);
    const ContenutoFile c = contenuto_tracciato(t, blocco);
    ASSERT_EQ(c.size(), atteso.size());
    std::string visto(atteso.size(), '\x7f');
    std::vector<bool> preso(atteso.size(), false);
    bool sovrapposti = false;
    size_t pezzi = 0;
    ASSERT_TRUE(c.scrivi([&](uint64_t offset, std::string_view pezzo) {
      ++pezzi;
      EXPECT_LE(pezzo.size(), std::max<size_t>(blocco, 10));
      if (offset > visto.size() || pezzo.size() > visto.size() - offset) return false;
      for (size_t i = 0; i < pezzo.size(); ++i) {
        sovrapposti = sovrapposti || preso[offset + i];
        preso[offset + i] = true;
        visto[offset + i] = pezzo[i];
      }
      return true;
    }));
    EXPECT_FALSE(sovrapposti);
    EXPECT_EQ(visto, atteso);
    EXPECT_GE(pezzi, 2u);  // the two columns are pieces of their own
  }
}

TEST(TrackPlanFile, ARefusedPieceStopsTheWriting) {
  const ContenutoFile c = contenuto_tracciato(piano(5000, {}), 64);
  int pezzi = 0;
  EXPECT_FALSE(c.scrivi([&](uint64_t, std::string_view) { return ++pezzi < 3; }));
  EXPECT_EQ(pezzi, 3);
}

TEST(TrackPlanFile, ContentHeldWholeIsOnePiece) {
  const ContenutoFile c(std::string("xyz"));
  EXPECT_FALSE(c.prodotto());
  std::vector<std::pair<uint64_t, std::string>> visti;
  EXPECT_TRUE(c.scrivi([&](uint64_t o, std::string_view p) {
    visti.emplace_back(o, std::string(p));
    return true;
  }));
  EXPECT_EQ(visti, (std::vector<std::pair<uint64_t, std::string>>{{0, "xyz"}}));
  EXPECT_EQ(std::string_view(c), "xyz");
  EXPECT_TRUE(ContenutoFile().scrivi([](uint64_t, std::string_view) { return false; }));  // nothing to hand out
}

}  // namespace
}  // namespace sc
