#include "compiler/memorizza_percorso.h"
#include "compiler/compile_entry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace sc {
namespace {

using namespace tipo_cella;

Percorso model(int32_t last, int32_t modo) {
  Percorso p;
  p.modo = modo;
  p.celle.assign(static_cast<size_t>(last) + 1, Cella{});
  p.elementi[record_sfondo_identita].nome = "Corvale_Pravena AV";
  p.elementi[record_ripetizione].nome = "409";
  return p;
}

unsigned byte(std::string_view b, size_t i) { return static_cast<unsigned char>(b.at(i)); }

TEST(MemorizzaPercorso, MissingLineFileLeavesNothingToWrite) {
  const CompileResult r = compile_descriptions({{"Corvale_Pravena AV_linea.txt", std::nullopt},
                                                {"Corvale_Pravena AV_409-.txt", std::nullopt},
                                                "Corvale_Pravena AV",
                                                "409",
                                                3,
                                                false});
  const Percorso& p = r.model;
  const Compilation& c = r.compilation;
  EXPECT_EQ(c.status, Compilation::Result::senza_celle);
  EXPECT_TRUE(c.files.empty());
  EXPECT_EQ(p.modo, 3);
  EXPECT_EQ(p.codice_errore, 101);
  EXPECT_EQ(p.posizione_errore, 0);
  EXPECT_EQ(p.elementi[record_sfondo_identita].nome, "Corvale_Pravena AV");
  EXPECT_EQ(p.elementi[record_ripetizione].nome, "409");
  EXPECT_EQ(p.elementi[record_sfondo_identita].dato_7, 0);  // no mark stamped
  ASSERT_EQ(r.log.all().size(), 1u);
  EXPECT_EQ(r.log.all()[0].codice, 101);
  EXPECT_EQ(r.log.all()[0].where->file, "Corvale_Pravena AV_linea.txt");
  EXPECT_FALSE(r.line_consumed);
  EXPECT_FALSE(r.train_consumed);
}

TEST(CompleteCompilation, WithoutCellOneNothingIsWritten) {
  for (int32_t celle : {0, 1}) {
    SCOPED_TRACE(celle);
    Percorso p = model(celle - 1, 1);
    FaultLog log;
    const Compilation c = complete_compilation(p, log);
    EXPECT_EQ(c.status, Compilation::Result::senza_celle);
    EXPECT_TRUE(c.files.empty());
    EXPECT_EQ(p.elementi[record_sfondo_identita].dato_7, 0);
  }
}

TEST(CompleteCompilation, FilesInWritingOrderForEachMode) {
  for (int32_t modo : {0, 1, -2}) {
    SCOPED_TRACE(modo);
    Percorso p = model(1980, modo);
    if (modo != 0) {
      p.tracciato.last_row = 99000;
      p.tracciato.seeded = true;  // the seeds, no row computed
    }
    FaultLog log;
    const Compilation c = complete_compilation(p, log);
    ASSERT_EQ(c.status, Compilation::Result::pronto);
    ASSERT_EQ(c.files.size(), modo != 0 ? 3u : 2u);
    size_t k = 0;
    if (modo != 0) {
      EXPECT_EQ(c.files[k].kind, CompiledKind::tracciato);
      // Two bytes per empty element, four for each of the four seeds.
      EXPECT_EQ(c.files[k].bytes.size(), 2u * 2u * 99001u + 4u * 2u);
      ++k;
    }
    const std::string_view el = c.files[k].bytes;
    EXPECT_EQ(c.files[k].kind, CompiledKind::elementi);
    ASSERT_EQ(el.size(), 2958u + 18u + 3u);
    // Record 85 starts after 85 empty records; its `dato_7` and `orario`
    // follow its 18-byte name.
    const size_t r85 = 85 * 34;
    EXPECT_EQ(byte(el, r85 + 14), 18u);
    EXPECT_EQ(byte(el, r85 + 34) | byte(el, r85 + 35) << 8, 610u);
    EXPECT_EQ(byte(el, r85 + 48) | byte(el, r85 + 49) << 8 | byte(el, r85 + 50) << 16, 31962u);
    const std::string_view cell_bytes = c.files[k + 1].bytes;
    EXPECT_EQ(c.files[k + 1].kind, CompiledKind::celle);
    ASSERT_EQ(cell_bytes.size(), 29715u);
    EXPECT_EQ(byte(cell_bytes, 16), 0x01u);
    EXPECT_EQ(byte(cell_bytes, 17), 0x14u);
    EXPECT_EQ(byte(cell_bytes, 18) | byte(cell_bytes, 19) << 8, 2386u);
  }
}

TEST(CompleteCompilation, PassRunsBeforeTheMarksAndItsFaultsDoNotStopTheFiles) {
  {
    // The pass puts a cab-code cell of 180 into cell 1: the mark slot is
    // then taken.
    Percorso p = model(40, 1);
    p.celle[5].tipo = avviso_rallentamento;
    p.celle[4].tipo = segnale;
    p.celle[3].tipo = segnale;
    FaultLog log;
    const Compilation c = complete_compilation(p, log);
    EXPECT_EQ(c.status, Compilation::Result::errore_1250);
    EXPECT_TRUE(c.files.empty());
    EXPECT_EQ(p.celle[1].valore_1, 180);
  }
  {
    Percorso p = model(40, 0);
    p.celle[20].tipo = avviso_rallentamento;
    p.celle[18].tipo = segnale;
    p.celle[17].tipo = fermata;
    p.celle[16].tipo = fermata;
    FaultLog log;
    const Compilation c = complete_compilation(p, log);
    EXPECT_EQ(c.status, Compilation::Result::pronto);
    EXPECT_EQ(c.files.size(), 2u);
    EXPECT_EQ(p.codice_errore, 11);
    EXPECT_EQ(p.posizione_errore, 900);
    ASSERT_EQ(log.all().size(), 1u);
  }
}

TEST(CompleteCompilation, CodeSlotClashReturnsNoBytes) {
  Percorso p = model(40, 1);
  p.tracciato.last_row = 10;
  p.celle[1].valore_2 = 7;
  FaultLog log;
  const Compilation c = complete_compilation(p, log);
  EXPECT_EQ(c.status, Compilation::Result::errore_1251);
  EXPECT_TRUE(c.files.empty());
  EXPECT_EQ(p.elementi[record_sfondo_identita].orario, 0);
}

}  // namespace
}  // namespace sc
