#include "compiler/description_keys.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

namespace sc {
namespace {

// The parsers dispatch by these names: each must reach the row of its key.
TEST(DescriptionKeys, EachNameReachesItsRow) {
  const struct {
    const DescriptionKey& key;
    std::string name;
  } cases[] = {
      {key_of(LineGeneralKey::lunghezza_percorso), "lunghezza percorso"},
      {key_of(LineGeneralKey::progressiva_uno), "progressiva chilometrica uno"},
      {key_of(LineGeneralKey::progressiva_due), "progressiva chilometrica due"},
      {key_of(LineGeneralKey::progressiva_tre), "progressiva chilometrica tre"},
      {key_of(LineGeneralKey::sfondo_uno), "sfondo uno"},
      {key_of(LineGeneralKey::sfondo_due), "sfondo due"},
      {key_of(LineGeneralKey::sfondo_tre), "sfondo tre"},
      {key_of(LineGeneralKey::ripetizione_segnali), "ripetizione segnali"},
      {key_of(LineElementKey::pendenza), "pendenza"},
      {key_of(LineElementKey::curva), "curva"},
      {key_of(LineElementKey::montagna), "montagna"},
      {key_of(LineElementKey::indicatori_vmax), "indicatori_vmax"},
      {key_of(LineElementKey::cartello_indicatore), "cartello_indicatore"},
      {key_of(TrainKey::percentuale_massa_frenata), "percentuale massa frenata"},
      {key_of(TrainKey::numero_vetture), "numero vetture"},
      {key_of(TrainKey::velocita), "velocita"},
      {key_of(TrainKey::aderenza), "aderenza"},
      {key_of(TrainKey::orologio), "orologio"},
      {key_of(TrainKey::sabbia), "sabbia"},
      {key_of(TrainKey::segnale), "segnale"},
      {key_of(TrainKey::rallentamento), "rallentamento"},
      {key_of(TrainKey::abbattimento), "abbattimento"},
      {key_of(TrainKey::stazione), "stazione"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.key.name, c.name);
}

// Every key as the exported scenario writes it is told as that key.
TEST(DescriptionKeys, WrittenFormsHoldTheirKey) {
  for (const auto& table : {std::span<const DescriptionKey>(line_general_keys),
                            std::span<const DescriptionKey>(line_element_keys),
                            std::span<const DescriptionKey>(train_keys)}) {
    for (const DescriptionKey& k : table) {
      for (const std::string_view w : k.written) {
        if (!w.empty()) {
          EXPECT_TRUE(holds_key(k, w)) << w;
        }
      }
    }
  }
}

TEST(DescriptionKeys, LetterCaseCountsOnlyWhereTheKeySaysSo) {
  const struct {
    std::string_view field;
    bool general_progressiva_uno, element_cartello, positioned;
  } cases[] = {
      {"progressiva chilometrica uno", true, false, false},
      {"Progressiva chilometrica uno", false, false, false},
      {"CARTELLO_INDICATORE", false, true, true},
      {"cartello", false, false, false},
      {"Segnale", false, false, true},
      {"orologio", false, false, false},
      {"lunghezza percorso", false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(holds_key(key_of(LineGeneralKey::progressiva_uno), c.field),
              c.general_progressiva_uno)
        << c.field;
    EXPECT_EQ(holds_key(key_of(LineElementKey::cartello_indicatore), c.field), c.element_cartello)
        << c.field;
    EXPECT_EQ(key_with_position(c.field), c.positioned) << c.field;
  }
}

// The fuzz dictionary offers the fuzzer every key as written.
TEST(DescriptionKeys, TheFuzzDictionaryHoldsEveryKey) {
  const char* sources = std::getenv("SC_SOURCE_DIR");
  ASSERT_NE(sources, nullptr) << "SC_SOURCE_DIR is not set";
  std::ifstream in(std::string(sources) + "/fuzz/keys.dict");
  ASSERT_TRUE(in) << "fuzz/keys.dict cannot be read";
  std::set<std::string> entries;
  for (std::string riga; std::getline(in, riga);) entries.insert(riga);
  for (const auto& table : {std::span<const DescriptionKey>(line_general_keys),
                            std::span<const DescriptionKey>(line_element_keys),
                            std::span<const DescriptionKey>(train_keys)}) {
    for (const std::string_view w : written_keys(table)) {
      EXPECT_TRUE(entries.count("\"" + std::string(w) + ",\"")) << w;
    }
  }
}

}  // namespace
}  // namespace sc
