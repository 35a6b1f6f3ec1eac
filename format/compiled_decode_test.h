// Test fixtures for the compiled-file readers: a small scenario shaped like
// a compiled line, written with the program's own serialisers.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "compiler/mark_and_encode.h"
#include "model/percorso.h"

namespace sc::fixture {

// Offset of record r in an encoded element table.
inline size_t offset_record(const std::array<Elemento, numero_elementi>& elementi, int r) {
  size_t o = 0;
  for (int i = 0; i < r; ++i) o += 34 + elementi.at(static_cast<size_t>(i)).nome.size();
  return o;
}

struct Scenario {
  std::vector<Cella> celle;
  std::array<Elemento, numero_elementi> elementi{};
  Tracciato tracciato;
};

// A 92000 m line shaped like a compiled one: cells 0 to 1980, plan rows 0
// to 99000 filled through 98998, three stations, boards, tunnels, signals
// (one in cell 71), a restriction and cab codes.
inline Scenario scenario() {
  Scenario sc;
  sc.celle.resize(1981);
  auto& c = sc.celle;
  for (size_t i = 0; i + 3 < c.size(); ++i) {
    c[i].velocita = i < 30 ? 6 : 50;
    c[i].pendenza = static_cast<uint8_t>(i < 400 ? 100 : i < 800 ? 112 : i < 1200 ? 93 : 96);
    c[i].aderenza = 100;
  }
  for (size_t i = 90; i <= 303; ++i) {
    c[i].galleria = 1;
    if ((i - 89) % 4 == 0) c[i].tipo = tipo_cella::marca_galleria;
  }
  for (size_t i = 1271; i <= 1275; ++i) c[i].galleria = 2;
  c[1].valore_1 = 5121;
  c[1].valore_2 = 2100;
  c[13] = Cella{10, 1, 0, 0, 0, 0, 0, 0, 6, 100, 100};
  c[41].tipo = tipo_cella::indicatori_v_max;
  c[41].valore_1 = 1616;
  c[41].valore_2 = 1818;
  c[41].valore_3 = 2020;
  c[41].valore_4 = 22;
  c[71].tipo = tipo_cella::segnale;
  c[71].valore_1 = 42;
  c[71].valore_2 = 11;
  c[71].valore_3 = 11;
  c[71].valore_4 = 8;
  for (int j = 1; j <= 4; ++j)
    c[static_cast<size_t>(71 - 2 * j)].avviso = static_cast<uint8_t>(80 + j);
  c[89].tipo = tipo_cella::cartello_indicatore;
  c[89].valore_1 = 80;
  for (const size_t s : {400u, 700u, 1100u, 1500u}) {
    c[s].tipo = tipo_cella::segnale;
    c[s].valore_1 = 30;
    c[s].valore_4 = 8;
  }
  c[602].tipo = tipo_cella::fermata;
  c[602].valore_1 = 2;
  c[1876].tipo = tipo_cella::fermata;
  c[1876].valore_1 = 3;
  // A restriction at 50000 m, 60 km/h, 1000 m long.
  c[977].tipo = tipo_cella::avviso_rallentamento;
  c[977].valore_1 = 60;
  for (int i = 0; i < 4; ++i) {
    c[static_cast<size_t>(976 - i)].tipo = tipo_cella::approccio_rallentamento;
    c[static_cast<size_t>(976 - i)].valore_1 = static_cast<int16_t>(i + 1);
  }
  c[1001].tipo = tipo_cella::inizio_rallentamento;
  c[1021].tipo = tipo_cella::fine_rallentamento;
  for (const size_t i : {1001u, 1021u}) {
    c[i].valore_1 = 60;
    c[i].valore_3 = 1;
  }
  c[1668].tipo = tipo_cella::codice;
  c[1668].valore_1 = 280;
  c[1698].tipo = tipo_cella::codice;
  c[1698].valore_1 = 180;
  c[1700].tipo = tipo_cella::codice_senza_velocita;

  auto& e = sc.elementi;
  const auto stazione = [&](int k, std::string nome, uint8_t tipo, int32_t inizio, int32_t fine,
                            int32_t prog, int32_t orario) {
    Elemento& r = e.at(static_cast<size_t>(k));
    r.tipo = tipo;
    r.inizio = inizio;
    r.fine = fine;
    r.progressiva = prog;
    r.nome = std::move(nome);
    r.orario = orario;
    r.dato_7 = 1;
    r.dato_9 = 1;
  };
  stazione(1, "CORVALE", 8, -700, 700, 0, 40800);
  stazione(2, "SAN LAZZARO", 12, 29750, 30150, 29950, 41700);
  stazione(3, "PRAVENA S.M.N", 6, 92900, 93850, 93700, 42600);
  e[80].nome = "(GALLERIA PIANORO)( Km. 10.710     )";
  e[79].nome = "(BIVIO)";
  e[84].inizio = 130;
  e[84].fine = 92000;
  e[84].progressiva = 12;
  e[85].fine = 3000;
  e[85].progressiva = 1;
  e[85].nome = "Corvale_Pravena AV";
  e[85].dato_7 = 610;
  e[85].orario = 33000;
  e[86].inizio = 1000;
  e[86].fine = 80000;
  e[86].progressiva = 9;
  e[86].nome = "409";
  e[86].dato_7 = 300;
  e[86].dato_10 = 11;
  e[86].dato_11 = 20;

  // The plan: seeds, then one right curve of radius 10000 m from 2000 to
  // 11000 and one left curve from 40000 to 60000, straight elsewhere.
  const int32_t last = 99000;
  sc.tracciato = Tracciato(last);
  auto& x = sc.tracciato.column(0);
  auto& y = sc.tracciato.column(1);
  x[0] = Numero::integer(0);
  y[0] = Numero::integer(0);
  x[1] = Numero::integer(0);
  y[1] = Numero::integer(1);
  for (size_t i = 2; i <= static_cast<size_t>(last - 2); ++i) {
    const double dx = x[i - 1].valore - x[i - 2].valore, dy = y[i - 1].valore - y[i - 2].valore;
    const double k = (i > 2000 && i <= 11000) ? 0.0001 : (i > 40000 && i <= 60000) ? -0.0001 : 0.0;
    x[i] = Numero::real(x[i - 1].valore + dx + k * dy);
    y[i] = Numero::real(y[i - 1].valore + dy - k * dx);
  }
  return sc;
}

inline void write(const std::filesystem::path& p, const std::string& dati) {
  std::ofstream out(p, std::ios::binary);
  out << dati;
}

// A fresh, empty temporary directory for one test.
inline std::filesystem::path test_dir(const std::string& nome) {
  const auto p = std::filesystem::temp_directory_path() /
                 ("sc_app_" + nome + "_" + std::to_string(::getpid()));
  std::filesystem::remove_all(p);
  std::filesystem::create_directories(p);
  return p;
}

}  // namespace sc::fixture
