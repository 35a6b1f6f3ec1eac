// The examples of the catalogue of codes, tried on the exported scenario:
// each fault example, put into the embedded descriptions as a one-line edit,
// gives its fault, and its fixed line compiles without fault. And
// `scenario-compiler explain` as a user runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/support/test_dir.h"
#include "compiler/catalogo_codici.h"
#include "compiler/memorizza_percorso.h"
#include "tests/esegui_programma.h"
#include "tests/support/scenario_modificato.h"
#include "writers/contenuto.h"
#include "writers/scenario.h"

namespace sc {
namespace {

using namespace test::file_scenario;
using namespace test::scenario_modificato;

TEST(CodiciEsempi, EachFaultExampleGivesItsFaultAndItsFixCompilesClean) {
  int provati = 0;
  for (const VoceCodice& v : catalogo_codici()) {
    if (v.gravita != Gravita::errore || v.file == FileEsempio::nessuno) continue;
    SCOPED_TRACE(std::string(v.codice) + ": " + std::string(v.esempio));
    const int32_t numero = std::stoi(std::string(v.codice.substr(1)));
    for (const bool corretto : {false, true}) {
      std::vector<std::string> linea = righe(tabella_linea()), treno = righe(tabella_treno());
      ASSERT_TRUE(modifica(v.file == FileEsempio::linea ? linea : treno, v.sostituisce,
                           corretto ? v.correzione : v.esempio));
      Risultato e;
      compila(e, linea, treno);
      if (corretto) {
        EXPECT_EQ(e.stato, Compilazione::Stato::pronto) << "fixed";
        EXPECT_EQ(e.p.codice_errore, 0) << "fixed:" << elenco_faults(e.log);
        EXPECT_TRUE(e.log.empty()) << "fixed:" << elenco_faults(e.log);
        EXPECT_TRUE(e.log.altre().empty()) << "fixed:" << elenco_altre(e.log);
      } else if (numero == 1250 || numero == 1251) {
        EXPECT_EQ(e.stato, numero == 1250 ? Compilazione::Stato::errore_1250 : Compilazione::Stato::errore_1251);
        EXPECT_TRUE(e.log.empty()) << elenco_faults(e.log);
      } else {
        const auto& f = e.log.all();
        const auto e_questo = [&](const Fault& x) { return x.codice == numero && x.gravita == Gravita::errore; };
        if (std::any_of(f.begin(), f.end(), e_questo)) {
          EXPECT_EQ(e.p.codice_errore, numero) << elenco_faults(e.log);
        } else {
          // A fault of the text encoding is no fault of the rules: the
          // compile itself is unchanged.
          const auto& a = e.log.altre();
          EXPECT_TRUE(std::any_of(a.begin(), a.end(), e_questo)) << elenco_faults(e.log) << elenco_altre(e.log);
          EXPECT_EQ(e.p.codice_errore, 0);
        }
      }
    }
    ++provati;
  }
  // Every parser fault but 10 (which needs a full element table) and 101 (a
  // missing file) has a one-line example, and so has E26; the cell pass's
  // need several lines.
  EXPECT_EQ(provati, 25);
}

// Each warning and note example of the catalogue, as a one-line edit of the
// exported scenario, gives its code and no fault; and its compiled bytes
// are those of an edit that says the same without the warning (the line
// deleted, the value as it is stored, the part a text keeps): a warning
// tells what the compile does and changes none of it.
TEST(CodiciEsempi, EachWarningExampleGivesItsCodeAndTheBytesOfWhatTheCompileDoes) {
  struct Modifica {
    FileEsempio file;
    std::string sostituisce, riga;
  };
  const std::map<std::string, std::vector<Modifica>> equivalenti = {
      {"W1", {{FileEsempio::treno, "velocita,    1500,   250", ""}}},
      {"W2", {{FileEsempio::treno, "sabbia,    300", "sabbia,    300"}}},
      {"W3", {{FileEsempio::treno, "", "velocita,    1500,   120"}}},
      {"W4", {{FileEsempio::treno, "velocita,    1500,   250", ""}}},
      {"W5", {{FileEsempio::linea, "", "curvad1,  92500,  500"}}},
      {"W6", {}},
      {"W7", {}},
      {"W9", {{FileEsempio::linea, "cartello_indicatore,  4400,   (GALLERIA PIANORO)( Km. 10.710     )",
               "cartello_indicatore,  4400,   (GALLERIA PIANORO"}}},
      {"W10", {{FileEsempio::treno, "aderenza,   0,    100", "aderenza,   0,    44"}}},
      {"N1", {{FileEsempio::linea, "cartello_indicatore,  4400,   (GALLERIA PIANORO)( Km. 10.710     )",
               "cartello_indicatore,  4400,   (GALLERIA CITT\xC0)( Km. 10.710     )"}}},
  };
  int provati = 0;
  for (const VoceCodice& v : catalogo_codici()) {
    if (v.gravita == Gravita::errore || v.file == FileEsempio::nessuno) continue;
    SCOPED_TRACE(std::string(v.codice) + ": " + std::string(v.esempio));
    std::vector<std::string> linea = righe(tabella_linea()), treno = righe(tabella_treno());
    ASSERT_TRUE(modifica(v.file == FileEsempio::linea ? linea : treno, v.sostituisce, v.esempio));
    Risultato e;
    compila(e, linea, treno);
    EXPECT_EQ(e.stato, Compilazione::Stato::pronto);
    EXPECT_EQ(e.p.codice_errore, 0) << elenco_faults(e.log);
    EXPECT_TRUE(e.log.empty()) << elenco_faults(e.log);
    ASSERT_EQ(e.log.altre().size(), 1u) << elenco_altre(e.log);
    EXPECT_EQ(codice_diagnostica(e.log.altre()[0]), v.codice) << elenco_altre(e.log);
    ++provati;

    const auto eq = equivalenti.find(std::string(v.codice));
    // W8: the stop cell takes the type and first value of the board's cell,
    // the rest of the board's values stay, which no other entry writes; W11:
    // a train with nothing in it has no other spelling.
    if (eq == equivalenti.end()) continue;
    std::vector<std::string> linea_eq = righe(tabella_linea()), treno_eq = righe(tabella_treno());
    for (const Modifica& m : eq->second) {
      auto& r = m.file == FileEsempio::linea ? linea_eq : treno_eq;
      if (m.riga.empty()) {  // the line deleted
        const auto it = std::find(r.begin(), r.end(), m.sostituisce);
        ASSERT_NE(it, r.end()) << m.sostituisce;
        r.erase(it);
      } else {
        ASSERT_TRUE(modifica(r, m.sostituisce, m.riga));
      }
    }
    Risultato q;
    compila(q, linea_eq, treno_eq);
    EXPECT_TRUE(q.log.altre().empty()) << "equivalent edit:" << elenco_altre(q.log);
    ASSERT_EQ(e.files.size(), q.files.size());
    for (size_t i = 0; i < e.files.size(); ++i) EXPECT_TRUE(e.files[i] == q.files[i]) << "compiled file " << i;
  }
  EXPECT_EQ(provati, 12);  // W1 to W11 and N1; W12 is a command-line case
}

// --- explain, run as a user would ------------------------------------------

test::EsitoProgramma spiega(std::vector<std::string> args) {
  test::TempDir dir;
  args.insert(args.begin(), "explain");
  return test::esegui_programma(dir.path(), args);
}

TEST(Explain, PrintsTheMeaningRuleFixAndExampleOfACode) {
  const test::EsitoProgramma e = spiega({"E16"});
  EXPECT_EQ(e.stato, 0) << e.err;
  EXPECT_EQ(e.err, "");
  EXPECT_EQ(e.out,
            "E16: signal on a taken cell (error)\n"
            "\n"
            "What it means\n"
            "  A \"segnale\" entry falls in a cell that already holds an element: another\n"
            "  signal, a station stop, a board, a restriction cell. The train description\n"
            "  is read no further.\n"
            "\n"
            "The rule\n"
            "  A signal takes the cell after the 50 m cell of its position (position / 50 +\n"
            "  1, halves rounded to even); that cell must be empty or a tunnel marker.\n"
            "\n"
            "How to fix it\n"
            "  Move the signal by 50 m or more, off the element that holds the cell.\n"
            "\n"
            "Example (train description)\n"
            "  segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0\n"
            "Fixed\n"
            "  segnale,    4000,   2, 4, 1,  1, 0,    2,  2,1,1, 0\n"
            "\n"
            "Try it\n"
            "  Export the embedded scenario (scenario-compiler export) and, in its train\n"
            "  description, add the example line before \"[fine]\".\n"
            "\n"
            "See docs/format.md, section \"segnale\".\n");
  // The bare number and lower case name the same code.
  EXPECT_EQ(spiega({"16"}).out, e.out);
  EXPECT_EQ(spiega({"e16"}).out, e.out);
}

TEST(Explain, UnknownOrMissingCodeIsAUsageError) {
  const struct {
    std::vector<std::string> args;
    std::string err;
  } casi[] = {
      {{"E14"},
       "scenario-compiler: explain: unknown code \"E14\"; codes are written E16 (or 16), W3, N1; "
       "'scenario-compiler explain --list' lists them all\n"},
      {{"velocita"},
       "scenario-compiler: explain: unknown code \"velocita\"; codes are written E16 (or 16), W3, N1; "
       "'scenario-compiler explain --list' lists them all\n"},
      {{}, "scenario-compiler: explain: give a CODE (such as E16 or W3) or --list\n"
           "Run with --help for more information.\n"},
  };
  for (const auto& c : casi) {
    const test::EsitoProgramma e = spiega(c.args);
    EXPECT_EQ(e.stato, 2);
    EXPECT_EQ(e.out, "");
    EXPECT_EQ(e.err, c.err);
  }
}

TEST(Explain, ListGivesEveryCodeWithItsTitleAndEachCanBeExplained) {
  const test::EsitoProgramma e = spiega({"--list"});
  ASSERT_EQ(e.stato, 0) << e.err;
  const std::string righe = "\n" + e.out;
  for (const VoceCodice& v : catalogo_codici()) {
    EXPECT_NE(righe.find("\n" + std::string(v.codice) + " "), std::string::npos) << v.codice;
    EXPECT_NE(righe.find(std::string(v.titolo) + "\n"), std::string::npos) << v.codice;
  }
  EXPECT_TRUE(e.out.starts_with("E1     error    line length out of range\n")) << e.out;
  EXPECT_NE(e.out.find("\nW12    warning  train number differs from the file name\n"), std::string::npos);
  EXPECT_EQ(static_cast<size_t>(std::count(e.out.begin(), e.out.end(), '\n')), catalogo_codici().size());
}

}  // namespace
}  // namespace sc
