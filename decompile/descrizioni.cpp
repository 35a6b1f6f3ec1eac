// Lines and files of the decompiled descriptions.
#include "decompile/ricostruzione.h"
#include "writers/contenuto.h"

namespace sc::decompila {

std::string cella_at(int64_t indice) {
  return "cell " + std::to_string(indice) + " (" + std::to_string(indice * 50) + " m)";
}

bool testo_di_campo(const std::string& testo) {
  if (testo.find_first_of(",\r\n") != std::string::npos) return false;
  if (testo.empty()) return true;
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  return !blank(testo.front()) && !blank(testo.back());
}

namespace {

void sezione(std::vector<std::string>& tabella, const char* etichetta, const std::vector<std::string>& righe) {
  tabella.emplace_back(etichetta);
  tabella.insert(tabella.end(), righe.begin(), righe.end());
}

}  // namespace

std::string testo_linea(const DescrizioneLinea& l) {
  std::vector<std::string> t;
  sezione(t, "[generale]", l.generale);
  sezione(t, "[curve]", l.curve);
  sezione(t, "[pendenze]", l.pendenze);
  sezione(t, "[montagne]", l.montagne);
  sezione(t, "[cartelli]", l.cartelli);
  sezione(t, "[indicazioni]", l.indicazioni);
  t.emplace_back("[fine]");
  t.emplace_back(marcatore_fine);
  return codifica_righe(t);
}

std::string testo_treno(const DescrizioneTreno& d, bool stazioni_dopo_segnali) {
  std::vector<std::string> t;
  sezione(t, "[generale]", d.generale);
  sezione(t, "[aderenze]", d.aderenze);
  sezione(t, "[vel_limite]", d.vel_limite);
  if (!stazioni_dopo_segnali) sezione(t, "[stazioni]", d.stazioni);
  sezione(t, "[rallentamenti]", d.rallentamenti);
  sezione(t, "[segnali]", d.segnali);
  if (stazioni_dopo_segnali) sezione(t, "[stazioni]", d.stazioni);
  sezione(t, "[codici]", d.codici);
  t.emplace_back("[fine]");
  t.emplace_back(marcatore_fine);
  return codifica_righe(t);
}

}  // namespace sc::decompila
