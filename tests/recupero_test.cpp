// Every fault in one run, and each told at its cause: one-line edits of the
// exported scenario compiled in memory.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/scenario_modificato.h"

namespace sc {
namespace {

using namespace test::scenario_modificato;

std::vector<std::string> righe_linea() { return righe(tabella_linea()); }
std::vector<std::string> righe_treno() { return righe(tabella_treno()); }

// The position an element entry gives (its first value), or nothing for a
// line that is no element entry.
std::optional<int> posizione(const std::string& riga) {
  static const char* chiavi[] = {"pendenza", "curva", "montagna", "indicatori_vmax", "cartello_indicatore",
                                 "stazione", "segnale", "abbattimento", "rallentamento"};
  for (const char* k : chiavi) {
    if (riga.rfind(k, 0) == 0) return std::stoi(riga.substr(riga.find(',') + 1));
  }
  return std::nullopt;
}

// Shortening the line to 50 km: one compile reports every entry that lies
// beyond the new end, each at its line, and compiles what the rules
// compile (the same bytes, fault and position as without reading on).
TEST(Recupero, ShorterLineReportsEveryEntryBeyondItsEndInOneRun) {
  std::vector<std::string> linea = righe_linea(), treno = righe_treno();
  ASSERT_TRUE(modifica(linea, "lunghezza percorso,    92000", "lunghezza percorso,    50000"));
  Risultato e, senza;
  compila(e, linea, treno);
  compila(senza, linea, treno, /*come_incorporato=*/true);

  EXPECT_EQ(e.p.codice_errore, senza.p.codice_errore);
  EXPECT_EQ(e.p.posizione_errore, senza.p.posizione_errore);
  EXPECT_EQ(e.files, senza.files);
  ASSERT_EQ(e.log.all().size(), 1u) << elenco_faults(e.log);
  EXPECT_EQ(e.log.all()[0].codice, 103);  // the curve that runs past the shorter plan
  EXPECT_TRUE(senza.log.altre().empty());

  // Every entry beyond the last position the line allows (the cells run
  // 7000 m past the line: 56900 m, 56200 m for stations), by file and line.
  std::set<std::pair<std::string, int>> attese, trovate;
  for (const auto& [file, r] : {std::pair{linea_txt, &linea}, std::pair{treno_txt, &treno}}) {
    for (size_t i = 0; i < r->size(); ++i) {
      const auto p = posizione((*r)[i]);
      const int limite = (*r)[i].rfind("stazione", 0) == 0 ? 56200 : 56900;
      if (p && *p > limite) attese.insert({file, static_cast<int>(i) + 1});
    }
  }
  for (const Fault& f : e.log.altre()) {
    SCOPED_TRACE(f.message);
    EXPECT_TRUE(f.dopo_il_primo);
    EXPECT_EQ(f.gravita, Gravita::errore);
    ASSERT_TRUE(f.where.has_value());
    trovate.insert({std::filesystem::path(f.where->file).filename().string(), f.where->line});
    // A tunnel that starts before the end and reaches beyond it is one too.
    EXPECT_EQ(f.codice, 15);
  }
  // The first fault: the curve of line 17 (49500 m, 24000 m long) runs past
  // the plan; and the tunnel of line 48 (45000 to 60050 m) marks cells
  // beyond the last.
  trovate.insert({linea_txt, e.log.all()[0].where->line});
  attese.insert({linea_txt, 17});
  attese.insert({linea_txt, 48});
  EXPECT_EQ(trovate, attese);
  EXPECT_EQ(e.log.altre().size(), 39u);
}

// A fault ends the parse (a station off the 50 m grid, whose values are
// left unread); reading on skips the rest of its line, then a read failure
// and its line, and finds the fault after them.
TEST(Recupero, ReadingOnSkipsTheFaultyLineAndFindsTheFaultsAfterIt) {
  std::vector<std::string> linea = righe_linea(), treno = righe_treno();
  ASSERT_TRUE(modifica(treno, "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                       "segnale,    3500,   x, 4, 1,  1, 0,    2,  2,1,1, 0"));
  ASSERT_TRUE(modifica(treno, "stazione,   29950, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, SAN PELLEGRINO",
                       "stazione,   29925, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, SAN PELLEGRINO"));
  ASSERT_TRUE(modifica(treno, "segnale,    9500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                       "segnale,    7500,   2, 4, 1,  1, 0,    2,  2,1,1, 0"));
  Risultato e;
  compila(e, linea, treno);
  ASSERT_EQ(e.log.all().size(), 1u);
  EXPECT_EQ(e.log.all()[0].codice, 8);
  std::vector<std::pair<int32_t, int>> dopo;
  for (const Fault& f : e.log.altre()) dopo.push_back({f.codice, f.where ? f.where->line : 0});
  EXPECT_EQ(dopo, (std::vector<std::pair<int32_t, int>>{{25, 17}, {16, 19}})) << elenco_altre(e.log);
}

// The cause, not the symptom: where each fault is told and what it says.
TEST(Recupero, FaultsAreToldAtTheirCause) {
  const struct {
    const char* caso;
    bool in_linea;
    std::string sostituisce, riga;
    int32_t codice;
    std::string file;
    int riga_attesa, colonna;
    std::string messaggio;
  } casi[] = {
      {"an entry with too few values, at its own line", false, "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
       "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1", 25, treno_txt, 17, 49,
       "\"segnale\" has 10 of its 11 values on its line"},
      {"a kilometre reference named as written", true, "progressiva chilometrica uno,    0,    0,    0",
       "progressiva chilometrica uno,    1025,    0,    0", 2, linea_txt, 3, 1,
       "kilometre reference \"progressiva chilometrica uno\" has first value 1025"},
      {"a position beyond the line, in metres", false, "segnale,   91450,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
       "segnale,  100000,   2, 3, 1,  1, 0,    2,  2,1,1, 0", 15, treno_txt, 53, 11,
       "signal at 100000 m lies beyond the last position the line allows, 98900 m"},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.caso);
    std::vector<std::string> linea = righe_linea(), treno = righe_treno();
    ASSERT_TRUE(modifica(c.in_linea ? linea : treno, c.sostituisce, c.riga));
    Risultato e;
    compila(e, linea, treno);
    ASSERT_FALSE(e.log.empty());
    const Fault& f = e.log.all().back();
    EXPECT_EQ(f.codice, c.codice);
    ASSERT_TRUE(f.where.has_value());
    EXPECT_EQ(std::filesystem::path(f.where->file).filename(), c.file);
    EXPECT_EQ(f.where->line, c.riga_attesa);
    EXPECT_EQ(f.where->colonna_file(), c.colonna);
    EXPECT_NE(f.message.find(c.messaggio), std::string::npos) << f.message;
  }
}

// A fault found on the cells stands at the entry behind the cell and points
// to the entries that took the cells it needed.
TEST(Recupero, CellPassFaultNamesTheEntriesInvolved) {
  std::vector<std::string> linea = righe_linea(), treno = righe_treno();
  for (const char* r : {"rallentamento,  5000,  60,  500,  1,  0,  0",
                        "segnale,    4650,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                        "segnale,    4700,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                        "segnale,    4750,   2, 4, 1,  1, 0,    2,  2,1,1, 0"}) {
    ASSERT_TRUE(modifica(treno, "", r));
  }
  Risultato e;
  compila(e, linea, treno);
  ASSERT_EQ(e.log.all().size(), 1u) << elenco_faults(e.log);
  const Fault& f = e.log.all()[0];
  EXPECT_EQ(f.codice, 12);
  EXPECT_EQ(f.posizione, 5050);
  ASSERT_TRUE(f.where.has_value());
  const int fine = static_cast<int>(treno.size()) - 1;  // the added lines are the four before "[fine]"
  EXPECT_EQ(f.where->line, fine - 3);
  std::set<int> richiami;
  for (const Richiamo& r : f.richiami) richiami.insert(r.where.line);
  EXPECT_EQ(richiami, (std::set<int>{fine - 2, fine - 1, fine}));
}

}  // namespace
}  // namespace sc
