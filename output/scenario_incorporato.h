// The embedded scenario: its identity and the five writers of its text
// files, in the order they run (line and train description, notes,
// restriction order, train sheet). Shared by the embedded run and export.
#pragma once

#include <string>

#include "output/nomi_file.h"
#include "writers/scenario.h"

namespace sc {

inline constexpr const char* nome_scenario_incorporato = "Corvale_Pravena AV";
inline constexpr const char* numero_treno_incorporato = "409";

struct ScrittoreScenario {
  FileTesto file;
  std::string (*dati)();
};
inline constexpr ScrittoreScenario scrittori_scenario[] = {
    {FileTesto::linea_txt, dati_linea}, {FileTesto::treno_txt, dati_treno},
    {FileTesto::note, dati_note},       {FileTesto::rallentamenti, dati_rallentamenti},
    {FileTesto::scheda, dati_scheda},
};

}  // namespace sc
