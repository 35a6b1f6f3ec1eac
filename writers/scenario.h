// The embedded scenario's five text files, as the bytes to write.
#pragma once

#include <string>
#include <vector>

namespace sc {

// Content tables (each ends with the marker).
const std::vector<std::string>& line_table();
const std::vector<std::string>& train_table();
const std::vector<std::string>& note_table();
const std::vector<std::string>& restriction_table();
const std::vector<std::string>& sheet_table();

// Encoded file contents.
std::string dati_linea();
std::string dati_treno();
std::string dati_note();
std::string dati_rallentamenti();
std::string dati_scheda();

}  // namespace sc
