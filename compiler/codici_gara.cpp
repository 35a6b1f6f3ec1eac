#include "compiler/codici_gara.h"

#include "compiler/text_1252.h"

namespace sc {
namespace {

int32_t codice_1252(std::string_view text, int posizione) {
  return static_cast<unsigned char>(text.at(static_cast<size_t>(posizione)));
}

void prepare_line(Percorso& p) {
  p.riga =
      contest_text(p.elementi[record_ripetizione].nome, p.elementi[record_sfondo_identita].nome);
}

}  // namespace

std::string contest_text(std::string_view numero_treno, std::string_view nome_scenario) {
  std::string joined;
  joined.reserve(numero_treno.size() + nome_scenario.size() + riempitivo_gara.size());
  joined.append(numero_treno).append(nome_scenario);
  std::string text = lowercase_1252(joined);
  text.append(riempitivo_gara);
  return text;
}

int16_t contest_sum(std::string_view text) {
  int32_t sum = 0;
  for (int i = 0; i < contest_chars; ++i) sum += codice_1252(text, i);
  return static_cast<int16_t>(sum);
}

int32_t weighted_contest_sum(std::string_view text) {
  int32_t sum = 0;
  for (int i = 0; i < contest_chars; ++i) sum += (i + 1) * codice_1252(text, i);
  return sum;
}

int16_t codice_gara_og(Percorso& p) {
  prepare_line(p);
  return contest_sum(p.riga);
}

int32_t codice_gara_st(Percorso& p) {
  prepare_line(p);
  return weighted_contest_sum(p.riga);
}

}  // namespace sc
