#include "compiler/memorizza_dati.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace sc {
namespace {

namespace fs = std::filesystem;

// A directory of its own for each test, removed afterwards.
class Cartella {
 public:
  Cartella() {
    static int n = 0;
    path_ = fs::temp_directory_path() /
            ("sc-memorizza-dati-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + std::to_string(++n) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~Cartella() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string operator/(const std::string& nome) const { return (path_ / nome).string(); }

 private:
  fs::path path_;
};

void scrivi(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

const char* const treno_minimo = "[generale]\r\n[fine]\r\n";

std::string linea(const std::string& elementi) {
  return "[generale]\r\nlunghezza percorso,    92000\r\n[curve]\r\n" + elementi + "[fine]\r\n";
}

struct Esito {
  Percorso p;
  FaultLog log;
  bool linea_esiste = false;
  bool treno_esiste = false;
};

Esito compila(const std::string& testo_linea, bool elimina, const char* testo_treno = treno_minimo) {
  Cartella dir;
  Sorgenti s{dir / "Prova_linea.txt", dir / "Prova_1-.txt", elimina};
  scrivi(s.linea, testo_linea);
  if (testo_treno) scrivi(s.treno, testo_treno);
  Esito e;
  e.p.modo = 1;
  e.p.nome_scenario = "Prova";
  e.p.numero_treno = "1";
  e.p.posizione_errore = -7;
  memorizza_dati(e.p, s, e.log);
  e.linea_esiste = fs::exists(s.linea);
  e.treno_esiste = fs::exists(s.treno);
  return e;
}

TEST(MemorizzaDati, MissingLineFileIsFault101AndNothingIsDeleted) {
  Cartella dir;
  Sorgenti s{dir / "Prova_linea.txt", dir / "Prova_1-.txt", true};
  scrivi(s.treno, treno_minimo);
  Percorso p;
  p.nome_scenario = "Prova";
  p.numero_treno = "1";
  FaultLog log;
  memorizza_dati(p, s, log);
  EXPECT_EQ(p.codice_errore, 101);
  EXPECT_TRUE(fs::exists(s.treno));
  EXPECT_FALSE(p.ha_celle());
  EXPECT_EQ(p.elementi[85].nome, "Prova");
  EXPECT_EQ(p.elementi[86].nome, "1");
  ASSERT_EQ(log.all().size(), 1u);
  EXPECT_EQ(log.all()[0].where->file, s.linea);
}

TEST(MemorizzaDati, LineFileIsDeletedOnEveryWayOutAndOnlyWhenAllowed) {
  const struct {
    const char* caso;
    std::string linea;
    int32_t codice;
    bool treno_letto;  // the train half ran (and deleted its file)
  } casi[] = {
      {"normal end", linea("pendenza, 1000, 1\r\n"), 0, true},
      {"fault 15 ends the elements, the train is still read", linea("pendenza, 98901, 1\r\n"), 15, true},
      {"fault 102", "x\r\n[fine]\r\n", 102, false},
      {"fault 1", "[generale]\r\nlunghezza percorso, 1000001\r\n[fine]\r\n", 1, false},
      {"fault 5", "[generale]\r\nripetizione segnali, 0, 0\r\n[fine]\r\n", 5, false},
      {"fault 104", "[generale]\r\n[curve]\r\n[fine]\r\n", 104, false},
      {"fault 103", linea("curvas8, 100, 100\r\n"), 103, false},
      {"fault 21", linea("indicatori_vmax, 0, 1, 1, 1, 1, 1, 1, 1, 1\r\nindicatori_vmax, 0, 1, 1, 1, 1, 1, 1, 1, 1\r\n"),
       21, false},
      {"fault 6", linea("cartello_indicatore, 100, (A)\r\ncartello_indicatore, 100, (B)\r\n"), 6, false},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.caso);
    const Esito e = compila(c.linea, true);
    EXPECT_EQ(e.p.codice_errore, c.codice);
    EXPECT_FALSE(e.linea_esiste);
    EXPECT_EQ(e.treno_esiste, !c.treno_letto);  // a returning fault leaves the train file alone

    const Esito tenuti = compila(c.linea, false);
    EXPECT_EQ(tenuti.p.codice_errore, c.codice);
    EXPECT_TRUE(tenuti.linea_esiste);
    EXPECT_TRUE(tenuti.treno_esiste);
  }
}

TEST(MemorizzaDati, AnyFailureIsFault25WithBothFilesDeletedAndThePositionKept) {
  const struct {
    const char* caso;
    std::string linea;
    const char* treno;  // nullptr: no train file
    int32_t posizione;  // afterwards
    const char* messaggio;
  } casi[] = {
      // The message names the entry and the field (the key is field 1).
      {"a value that is not a number", linea("pendenza, 1x00, 1\r\n"), treno_minimo, -7,
       "field 2 of \"pendenza\": expected a whole number"},
      {"reading past the end", "[generale]\r\nlunghezza percorso, 92000\r\n[curve]\r\npendenza, 100\r\n",
       treno_minimo, -7, "field 3 of \"pendenza\": expected a whole number, got the end of the file"},
      {"numbers separated by blanks", linea("montagna, 1000  2000 x\r\n"), treno_minimo, -7,
       "field 4 of \"montagna\": expected a whole number, got \"x\""},
      {"an empty field", linea("montagna, 1000,, 11\r\n"), treno_minimo, -7,
       "field 3 of \"montagna\": expected a whole number, got an empty field"},
      {"a gradient byte written by the tail", linea("pendenza, 100, 300\r\n"), treno_minimo, -7,
       "gradient 300 gives the cell byte 400"},
      {"a packed speed outside 16 bits",
       linea("indicatori_vmax, 2000, 5000, 1, 1, 1, 1, 1, 1, 1\r\n"), treno_minimo, -7,
       "speed pair a packs to 100000"},
      {"a missing train file after fault 15", linea("montagna, 98000, 99100, 11\r\n"), nullptr,
       98000, "cannot open the file"},
      {"an overflow the rules did not foresee",
       "[generale]\r\nlunghezza percorso, 92000\r\n"
       "progressiva chilometrica tre, 1000, 2147483600, 1\r\n[curve]\r\n[fine]\r\n",
       treno_minimo, -7, "internal limit"},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.caso);
    for (const bool elimina : {true, false}) {
      const Esito e = compila(c.linea, elimina, c.treno);
      EXPECT_EQ(e.p.codice_errore, 25);
      EXPECT_EQ(e.p.posizione_errore, c.posizione);
      EXPECT_EQ(e.linea_esiste, !elimina);
      EXPECT_EQ(e.treno_esiste, !elimina && c.treno != nullptr);
      ASSERT_FALSE(e.log.all().empty());
      const Fault& f = e.log.all().back();
      EXPECT_EQ(f.codice, 25);
      EXPECT_FALSE(f.posizione.has_value());
      EXPECT_NE(f.message.find(c.messaggio), std::string::npos) << f.message;
    }
  }
}

}  // namespace
}  // namespace sc
