// Lines and files of the decompiled descriptions.
#include "decompile/reconstruction.h"
#include "writers/content.h"

namespace sc::decompile {

std::string cella_at(int64_t indice) {
  return "cell " + std::to_string(indice) + " (" + std::to_string(indice * 50) + " m)";
}

bool field_text(const std::string& text) {
  if (text.find_first_of(",\r\n") != std::string::npos) return false;
  if (text.empty()) return true;
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  return !blank(text.front()) && !blank(text.back());
}

namespace {

void section(std::vector<std::string>& table, const char* label,
             const std::vector<std::string>& rows) {
  table.emplace_back(label);
  table.insert(table.end(), rows.begin(), rows.end());
}

}  // namespace

std::string linea_text(const LineaDescription& l) {
  std::vector<std::string> t;
  section(t, "[generale]", l.generale);
  section(t, "[curve]", l.curve);
  section(t, "[pendenze]", l.pendenze);
  section(t, "[montagne]", l.montagne);
  section(t, "[cartelli]", l.cartelli);
  section(t, "[indicazioni]", l.indicazioni);
  t.emplace_back("[fine]");
  t.emplace_back(marcatore_fine);
  return encode_rows(t);
}

std::string treno_text(const TrenoDescription& d, bool stazioni_after_segnali) {
  std::vector<std::string> t;
  section(t, "[generale]", d.generale);
  section(t, "[aderenze]", d.aderenze);
  section(t, "[vel_limite]", d.vel_limite);
  if (d.order) {
    // Runs of stations and of signals, each under its label, in the order
    // that their markers need.
    section(t, "[rallentamenti]", d.rallentamenti);
    t.emplace_back(
        "-- the entries below stand in the order that gives their overlapping "
        "approach markers --");
    bool in_stations = false;
    for (size_t i = 0; i < d.order->size(); ++i) {
      const MarkerWriter& w = (*d.order)[i];
      if (i == 0 || w.station != in_stations)
        t.emplace_back(w.station ? "[stazioni]" : "[segnali]");
      in_stations = w.station;
      t.push_back(w.station ? d.stazioni.at(w.index) : d.segnali.at(w.index));
    }
    section(t, "[codici]", d.codes);
    t.emplace_back("[fine]");
    t.emplace_back(marcatore_fine);
    return encode_rows(t);
  }
  if (!stazioni_after_segnali) section(t, "[stazioni]", d.stazioni);
  section(t, "[rallentamenti]", d.rallentamenti);
  section(t, "[segnali]", d.segnali);
  if (stazioni_after_segnali) section(t, "[stazioni]", d.stazioni);
  section(t, "[codici]", d.codes);
  t.emplace_back("[fine]");
  t.emplace_back(marcatore_fine);
  return encode_rows(t);
}

}  // namespace sc::decompile
