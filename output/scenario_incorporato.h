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
  FileScenario file;
  std::string (*dati)();
};
inline constexpr ScrittoreScenario scrittori_scenario[] = {
    {FileScenario::linea_txt, dati_linea}, {FileScenario::treno_txt, dati_treno},
    {FileScenario::note, dati_note},       {FileScenario::rallentamenti, dati_rallentamenti},
    {FileScenario::scheda, dati_scheda},
};

}  // namespace sc
