#include "compiler/codici_gara.h"

#include "compiler/testo.h"

namespace sc {
namespace {

int32_t codice_1252(std::string_view testo, int posizione) {
  return static_cast<unsigned char>(testo.at(static_cast<size_t>(posizione)));
}

void prepara_riga(Percorso& p) {
  p.riga = testo_gara(p.elementi[record_ripetizione].nome, p.elementi[record_sfondo_identita].nome);
}

}  // namespace

std::string testo_gara(std::string_view numero_treno, std::string_view nome_scenario) {
  std::string unito;
  unito.reserve(numero_treno.size() + nome_scenario.size() + riempitivo_gara.size());
  unito.append(numero_treno).append(nome_scenario);
  std::string testo = minuscole_1252(unito);
  testo.append(riempitivo_gara);
  return testo;
}

int16_t somma_gara(std::string_view testo) {
  int32_t somma = 0;
  for (int i = 0; i < caratteri_gara; ++i) somma += codice_1252(testo, i);
  return static_cast<int16_t>(somma);
}

int32_t somma_pesata_gara(std::string_view testo) {
  int32_t somma = 0;
  for (int i = 0; i < caratteri_gara; ++i) somma += (i + 1) * codice_1252(testo, i);
  return somma;
}

int16_t codice_gara_og(Percorso& p) {
  prepara_riga(p);
  return somma_gara(p.riga);
}

int32_t codice_gara_st(Percorso& p) {
  prepara_riga(p);
  return somma_pesata_gara(p.riga);
}

}  // namespace sc
