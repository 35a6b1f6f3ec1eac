// docs/format.md, the reference of the description format: its examples
// (the blocks marked `line` and `train`), taken in order, are a complete
// small scenario that compiles without fault and does what the page says;
// every key has an example; the table of codes matches the catalogue.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/compile_entry.h"
#include "compiler/description_keys.h"
#include "compiler/fault_catalogue.h"
#include "tests/support/test_dir.h"

namespace sc {
namespace {

std::string read_format() {
  std::ifstream in(std::string(SC_SOURCE_DIR) + "/docs/format.md", std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The lines of every fenced block whose info string is `tipo`, in order.
std::vector<std::string> examples(const std::string& doc, const std::string& tipo) {
  std::vector<std::string> rows;
  std::istringstream in(doc);
  bool inside = false, chosen = false;
  for (std::string r; std::getline(in, r);) {
    if (r.starts_with("```")) {
      chosen = !inside && r.substr(3) == tipo;
      inside = !inside;
      continue;
    }
    if (inside && chosen) rows.push_back(r);
  }
  return rows;
}

std::string crlf(const std::vector<std::string>& r) {
  std::string s;
  for (const std::string& x : r) s += x + "\r\n";
  return s;
}

class FormatDoc : public ::testing::Test {
 protected:
  void SetUp() override {
    doc = read_format();
    ASSERT_FALSE(doc.empty()) << "docs/format.md cannot be read";
    linea = examples(doc, "line");
    treno = examples(doc, "train");
  }
  std::string doc;
  std::vector<std::string> linea, treno;
};

TEST_F(FormatDoc, ExamplesFormAScenarioThatCompilesWithoutFaultAsThePageSays) {
  ASSERT_EQ(linea.front(), "[generale]");
  ASSERT_EQ(linea.back(), "[fine]");
  ASSERT_EQ(treno.front(), "[generale]");
  ASSERT_EQ(treno.back(), "[fine]");
  const CompileResult r = compile_descriptions({{"Esempio_linea.txt", crlf(linea)},
                                                {"Esempio_1-.txt", crlf(treno)},
                                                "Esempio",
                                                "1",
                                                1,
                                                true});
  const Percorso& p = r.model;
  const FaultLog& log = r.log;
  const Compilation& c = r.compilation;
  ASSERT_EQ(c.status, Compilation::Result::pronto);
  std::string faults;
  for (const Fault& f : log.all()) faults += "\n" + std::to_string(f.codice) + ": " + f.message;
  EXPECT_EQ(p.codice_errore, 0) << faults;
  EXPECT_TRUE(log.empty()) << faults;

  // A 20 km line; two stations; the restriction at 8000 m and the cab-code
  // cells the page says the compiler adds around it.
  ASSERT_EQ(p.last_cell(), 540);
  EXPECT_EQ(p.elementi[1].nome, "PIAN DEL LAGO");
  EXPECT_EQ(p.elementi[2].nome, "VALLE ALTA");
  EXPECT_EQ(p.elementi[3], Elemento{});
  EXPECT_EQ(p.celle[161].tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(p.celle[181].tipo, tipo_cella::fine_rallentamento);
  EXPECT_EQ(p.celle[137].tipo, tipo_cella::avviso_rallentamento);
  const int codes_180[] = {130, 156, 150, 143,
                           169, 177, 186};  // signal 6500, groups, inside, signal 9300
  for (int i : codes_180) {
    EXPECT_EQ(p.celle[static_cast<size_t>(i)].tipo, tipo_cella::codice) << "cell " << i;
    EXPECT_EQ(p.celle[static_cast<size_t>(i)].valore_1, 180) << "cell " << i;
  }
  // The second tunnel starts 100 m after the first: kind 3.
  EXPECT_EQ(p.celle[132].galleria, 3);
  EXPECT_EQ(p.celle[100].galleria, 1);
}

TEST_F(FormatDoc, EveryKeyHasAnExampleAndAHeading) {
  // Every key the parsers know, and both sides of a curve.
  const auto names = [](std::initializer_list<std::span<const DescriptionKey>> tables) {
    std::vector<std::string> out;
    for (const std::span<const DescriptionKey> t : tables) {
      for (const DescriptionKey& k : t) out.emplace_back(k.name);
    }
    return out;
  };
  std::vector<std::string> line_keys = names({line_general_keys, line_element_keys});
  line_keys.insert(line_keys.end(), {"curvad", "curvas"});
  const struct {
    const std::vector<std::string>* rows;
    std::vector<std::string> keys;
  } descriptions[] = {
      {&linea, line_keys},
      {&treno, names({train_keys})},
  };
  for (const auto& d : descriptions) {
    for (const std::string& k : d.keys) {
      EXPECT_TRUE(std::any_of(d.rows->begin(), d.rows->end(),
                              [&](const std::string& r) { return r.starts_with(k); }))
          << "no example of " << k;
    }
  }
  for (const char* title : {"lunghezza percorso",
                            "progressiva chilometrica",
                            "sfondo",
                            "ripetizione segnali",
                            "pendenza",
                            "curva",
                            "montagna",
                            "indicatori_vmax",
                            "cartello_indicatore",
                            "numero vetture",
                            "percentuale massa frenata",
                            "sabbia",
                            "orologio",
                            "aderenza",
                            "velocita",
                            "stazione",
                            "rallentamento",
                            "segnale",
                            "abbattimento",
                            "Comments"}) {
    EXPECT_NE(doc.find("\n### " + std::string(title) + "\n"), std::string::npos) << title;
  }
}

TEST_F(FormatDoc, TheTableOfCodesListsTheCatalogue) {
  for (const CodeEntry& v : fault_catalogue()) {
    EXPECT_NE(doc.find("\n| " + std::string(v.codice) + " | " + std::string(v.title) + " | "),
              std::string::npos)
        << v.codice;
  }
}

}  // namespace
}  // namespace sc
