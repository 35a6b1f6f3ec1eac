#include "plot/curve_piano.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "compiler/tracciato_piano.h"
#include "format/tracciato.h"

namespace sc {
namespace {

struct VoceCurva {
  std::string chiave;
  int32_t s;
  int32_t l;
};

// The plan the compile writes for a line of `ultima` rows with these curve
// entries, read back from its file as plot reads it.
Tracciato piano_di(int32_t ultima, const std::vector<VoceCurva>& voci) {
  PassiTracciato passi;
  passi.ultima_riga = ultima;
  PianoTracciato piano(passi);
  piano.semina();
  for (const VoceCurva& v : voci)
    EXPECT_EQ(piano.aggiungi_curva(v.chiave, v.s, v.l), EsitoCurva::fatta);
  piano.completa();
  return decodifica_tracciato(serializza_tracciato(tracciato_in_memoria(passi)));
}

TEST(TrattiCurva, CurveEntriesComeBackAsTheirStretches) {
  using L = LatoCurva;
  const struct {
    const char* nome;
    int32_t ultima;
    std::vector<VoceCurva> voci;
    std::vector<TrattoCurva> attesi;
  } casi[] = {
      {"straight line", 3000, {}, {}},
      {"right curve", 5000, {{"curvad1", 2000, 900}}, {{2000, 2900, 10000, L::destra}}},
      {"left curve", 5000, {{"curvas4", 1000, 300}}, {{1000, 1300, 1000, L::sinistra}}},
      {"every class",
       9000,
       {{"curvad1", 100, 50},
        {"curvad2", 300, 50},
        {"curvas3", 500, 50},
        {"curvad4", 700, 50},
        {"curvas5", 900, 50},
        {"curvad6", 1100, 50}},
       {{100, 150, 10000, L::destra},
        {300, 350, 5000, L::destra},
        {500, 550, 2500, L::sinistra},
        {700, 750, 1000, L::destra},
        {900, 950, 500, L::sinistra},
        {1100, 1150, 333, L::destra}}},
      // The second starts at the point where the first ends.
      {"back to back, other side",
       5000,
       {{"curvad3", 1000, 500}, {"curvas3", 1500, 400}},
       {{1000, 1500, 2500, L::destra}, {1500, 1900, 2500, L::sinistra}}},
      {"back to back, same side, other radius",
       5000,
       {{"curvad2", 1000, 500}, {"curvad5", 1500, 400}},
       {{1000, 1500, 5000, L::destra}, {1500, 1900, 500, L::destra}}},
      // Same class back to back: one stretch, as the plan cannot tell them apart.
      {"back to back, same class",
       5000,
       {{"curvas1", 1000, 500}, {"curvas1", 1500, 400}},
       {{1000, 1900, 10000, L::sinistra}}},
      {"one metre of curve", 5000, {{"curvad6", 1000, 1}}, {{1000, 1001, 333, L::destra}}},
      // The last two rows stay empty: a curve reaching the third-last row.
      {"curve reaching the end", 5000, {{"curvad2", 4000, 998}}, {{4000, 4998, 5000, L::destra}}},
  };
  for (const auto& c : casi) {
    const Tracciato t = piano_di(c.ultima, c.voci);
    ASSERT_EQ(t.righe(), c.ultima + 1) << c.nome;
    const std::vector<TrattoCurva> trovati = tratti_curva(t);
    ASSERT_EQ(trovati.size(), c.attesi.size()) << c.nome;
    for (size_t i = 0; i < trovati.size(); ++i) {
      EXPECT_EQ(trovati[i].da, c.attesi[i].da) << c.nome << " " << i;
      EXPECT_EQ(trovati[i].a, c.attesi[i].a) << c.nome << " " << i;
      EXPECT_EQ(trovati[i].raggio, c.attesi[i].raggio) << c.nome << " " << i;
      EXPECT_EQ(trovati[i].lato, c.attesi[i].lato) << c.nome << " " << i;
    }
  }
}

TEST(TrattiCurva, CurvatureGoesToTheNearestClassOrStraight) {
  const struct {
    double k, classe;
  } casi[] = {{0.0, 0.0},        {0.00004, 0.0},      {-0.00004, 0.0}, {0.00011, 0.0001},
              {0.00025, 0.0002}, {-0.00035, -0.0004}, {0.0009, 0.001}, {0.0026, 0.003},
              {0.05, 0.003},     {-1e300, -0.003}};
  for (const auto& c : casi) EXPECT_DOUBLE_EQ(classe_curvatura(c.k), c.classe) << c.k;
}

// Plans no compile writes: empty, too short, holes and non-finite points
// end a stretch and never fault: a missing point leaves itself and the two
// points after it without a curvature.
TEST(TrattiCurva, OddPlansGiveNoStretchAcrossTheirHoles) {
  EXPECT_TRUE(tratti_curva(Tracciato{}).empty());
  EXPECT_TRUE(tratti_curva(Tracciato(1)).empty());
  Tracciato t = piano_di(3000, {{"curvad4", 1000, 600}});
  t.colonna(0)[1300] = Numero{};                     // an empty entry
  t.colonna(1)[1450] = Numero::reale(std::nan(""));  // not a number
  const std::vector<TrattoCurva> r = tratti_curva(t);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0], (TrattoCurva{1000, 1299, 1000, LatoCurva::destra}));
  EXPECT_EQ(r[1], (TrattoCurva{1302, 1449, 1000, LatoCurva::destra}));
  EXPECT_EQ(r[2], (TrattoCurva{1452, 1600, 1000, LatoCurva::destra}));
}

}  // namespace
}  // namespace sc
