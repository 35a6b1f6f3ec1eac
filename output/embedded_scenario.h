// The embedded scenario: its identity and the five writers of its text
// files, in the order they run (line and train description, notes,
// restriction order, train sheet). Shared by the embedded run and export.
#pragma once

#include <string>

#include "output/text_file_names.h"
#include "writers/scenario.h"

namespace sc {

inline constexpr const char* embedded_scenario_name = "Corvale_Pravena AV";
inline constexpr const char* embedded_train_number = "409";

struct ScenarioWriter {
  TextFileKind file;
  std::string (*dati)();
};
inline constexpr ScenarioWriter scenario_writers[] = {
    {TextFileKind::linea_txt, dati_linea}, {TextFileKind::treno_txt, dati_treno},
    {TextFileKind::note, dati_note},       {TextFileKind::rallentamenti, dati_rallentamenti},
    {TextFileKind::scheda, dati_scheda},
};

}  // namespace sc
