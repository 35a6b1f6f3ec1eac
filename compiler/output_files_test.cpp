#include "compiler/output_files.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/tracciato_piano.h"
#include "tests/support/lettore_le.h"

namespace sc {
namespace {

using test::Lettore;

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
