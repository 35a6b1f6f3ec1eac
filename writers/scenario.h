// The embedded scenario's five text files, as the bytes to write.
#pragma once

#include <string>
#include <vector>

namespace sc {

// Content tables (each ends with the marker).
const std::vector<std::string>& tabella_linea();
const std::vector<std::string>& tabella_treno();
const std::vector<std::string>& tabella_note();
const std::vector<std::string>& tabella_rallentamenti();
const std::vector<std::string>& tabella_scheda();

// Encoded file contents.
std::string dati_linea();
std::string dati_treno();
std::string dati_note();
std::string dati_rallentamenti();
std::string dati_scheda();

}  // namespace sc
