#include "output/scrivi_contenuto.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "tests/support/test_dir.h"

namespace sc {
namespace {

using test::elenco;
using test::leggi;
using test::scrivi;
using test::TempDir;

// A content handed out in pieces, back to front: piece i holds the bytes
// from i * passo on.
ContenutoFile a_ritroso(const std::string& tutto, size_t passo) {
  return ContenutoFile(tutto.size(), [tutto, passo](const ContenutoFile::Destinazione& d) {
    for (size_t i = (tutto.size() + passo - 1) / passo; i-- > 0;) {
      if (!d(i * passo, std::string_view(tutto).substr(i * passo, passo))) return false;
    }
    return true;
  });
}

TEST(ScriviContenuto, ProducedPiecesLandAtTheirOffsets) {
  std::string atteso;
  for (int i = 0; i < 300000; ++i) atteso += static_cast<char>('a' + i % 26);
  atteso += std::string(3 << 20, '\xA5');  // one piece larger than the rest together
  TempDir d;
  const std::string f = d / "Corvale_Pravena AV_linea.dat";
  scrivi(f, std::string(5 << 20, 'o'));  // longer than the new content
  for (size_t passo : {size_t{4093}, atteso.size()}) {
    const ContenutoFile c = a_ritroso(atteso, passo);
    const auto esito = sostituisci_files({da_scrivere(f, c)});
    ASSERT_FALSE(esito.has_value()) << *esito;
    EXPECT_TRUE(leggi(f) == atteso);
  }
  const ContenutoFile intero(std::string("held whole"));
  ASSERT_FALSE(sostituisci_files({da_scrivere(f, intero)}).has_value());
  EXPECT_EQ(leggi(f), "held whole");
  EXPECT_EQ(elenco(d.path()), std::set<std::string>{"Corvale_Pravena AV_linea.dat"});
}

TEST(ScriviContenuto, AProducedWriteThatFailsLeavesEveryFileAsItWas) {
  TempDir d;
  const std::string piano = d / "a_linea.dat", celle = d / "a_1.dat";
  scrivi(piano, "old plan");
  scrivi(celle, "old cells");
  const std::string msg = test::in_processo_figlio([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limite{100000, 100000};
    ::setrlimit(RLIMIT_FSIZE, &limite);
    const ContenutoFile c = a_ritroso(std::string(300000, 'p'), 65536);
    const ContenutoFile k(std::string("cells"));
    return sostituisci_files({da_scrivere(celle, k), da_scrivere(piano, c)}).value_or("ok");
  }, false);
  EXPECT_EQ(msg, "cannot write \"" + piano + "\": " + std::strerror(EFBIG));
  EXPECT_EQ(leggi(piano), "old plan");
  EXPECT_EQ(leggi(celle), "old cells");
  EXPECT_EQ(elenco(d.path()), (std::set<std::string>{"a_linea.dat", "a_1.dat"}));
}

}  // namespace
}  // namespace sc
