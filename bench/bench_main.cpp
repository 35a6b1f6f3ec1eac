// Benchmarks of the compile: the embedded scenario in memory, the track
// plan of a 1000000 m line, the three serialisers, and the whole compile of
// the generated 1000000 m scenario into a temporary directory.
//
// Before any benchmark runs, the generated scenario is compiled once and its
// fault log checked: a scenario that does not compile cleanly would measure
// the wrong work, so the program stops with the faults printed.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>

#include "output/diagnostics.h"
#include "output/file_output.h"
#include "output/nomi_file.h"
#include "bench/scenario_grande.h"
#include "compiler/field_reader.h"
#include "compiler/line_parser.h"
#include "compiler/memorizza_percorso.h"
#include "compiler/output_files.h"
#include "compiler/tracciato_piano.h"
#include "compiler/train_parser.h"
#include "writers/scenario.h"

namespace fs = std::filesystem;

namespace {

using sc::bench::lunghezza_grande;

// The compile of two descriptions held in memory: parse (both halves), cell
// pass, marks, contest codes and the bytes of the three files, as the
// compiler entry does it, without touching the disk.
sc::Compilazione compila_in_memoria(sc::Percorso& p, const std::string& linea, const std::string& treno,
                                    sc::FaultLog& log) {
  p.modo = 1;
  p.codice_errore = 0;
  for (sc::Elemento& e : p.elementi) e = sc::Elemento{};
  p.elementi[sc::record_sfondo_identita].nome = p.nome_scenario;
  p.elementi[sc::record_ripetizione].nome = p.numero_treno;
  sc::StatoLettura stato{p, log};
  sc::FieldReader rl(linea, "linea");
  if (sc::leggi_linea(stato, rl) == sc::EsitoLinea::continua) {
    sc::FieldReader rt(treno, "treno");
    sc::leggi_treno(stato, rt);
  }
  return sc::completa_compilazione(p, log);
}

struct Grande {
  sc::bench::ScenarioGenerato scenario;
  sc::Percorso p;
  sc::Compilazione c;
};

// The generated scenario, compiled once in memory.
const Grande& grande() {
  static const std::unique_ptr<Grande> g = [] {
    auto g = std::make_unique<Grande>();
    g->scenario = sc::bench::genera_scenario(lunghezza_grande);
    g->p.nome_scenario = sc::bench::nome_grande;
    g->p.numero_treno = sc::bench::treno_grande;
    sc::FaultLog log;
    g->c = compila_in_memoria(g->p, g->scenario.linea, g->scenario.treno, log);
    if (!log.empty() || g->p.codice_errore != 0 || g->c.stato != sc::Compilazione::Stato::pronto) {
      std::cerr << "the generated scenario does not compile cleanly:\n" << sc::formatta_faults(log);
      std::exit(1);
    }
    return g;
  }();
  return *g;
}

void BM_CompilaIncorporato(benchmark::State& state) {
  const std::string linea = sc::dati_linea(), treno = sc::dati_treno();
  for (auto _ : state) {
    sc::Percorso p;
    p.nome_scenario = "Corvale_Pravena AV";
    p.numero_treno = "409";
    sc::FaultLog log;
    sc::Compilazione c = compila_in_memoria(p, linea, treno, log);
    benchmark::DoNotOptimize(c);
    if (!log.empty()) state.SkipWithError("the embedded scenario recorded faults");
  }
}
BENCHMARK(BM_CompilaIncorporato)->Unit(benchmark::kMillisecond);

void BM_TracciatoGrande(benchmark::State& state) {
  const std::vector<sc::bench::CurvaGenerata> curve = sc::bench::curve_generate(lunghezza_grande);
  for (auto _ : state) {
    sc::Percorso p;
    p.lunghezza_totale = lunghezza_grande + sc::coda_linea;
    sc::crea_tracciato(p);
    sc::PianoTracciato piano(p.tracciato);
    piano.semina();
    for (const auto& c : curve) {
      if (piano.aggiungi_curva(c.chiave, c.inizio, c.lunghezza) != sc::EsitoCurva::fatta) {
        state.SkipWithError("a curve was refused");
        break;
      }
    }
    piano.completa();
    benchmark::DoNotOptimize(p.tracciato);
  }
  state.counters["rows"] = lunghezza_grande + sc::coda_linea + 1;
}
BENCHMARK(BM_TracciatoGrande)->Unit(benchmark::kMillisecond);

// The pieces of the track plan file as the compile hands them to the
// writer: the runs of doubles are the plan's own memory, not copied.
void BM_PezziTracciato(benchmark::State& state) {
  const sc::Percorso& p = grande().p;
  size_t byte = 0;
  for (auto _ : state) {
    sc::ContenutoFile s = sc::pezzi_tracciato(p.tracciato);
    byte = s.size();
    benchmark::DoNotOptimize(s);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byte));
}
BENCHMARK(BM_PezziTracciato)->Unit(benchmark::kMicrosecond);

// The same bytes joined into one string.
void BM_SerializzaTracciato(benchmark::State& state) {
  const sc::Percorso& p = grande().p;
  size_t byte = 0;
  for (auto _ : state) {
    std::string s = sc::serializza_tracciato(p.tracciato);
    byte = s.size();
    benchmark::DoNotOptimize(s);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byte));
}
BENCHMARK(BM_SerializzaTracciato)->Unit(benchmark::kMillisecond);

void BM_SerializzaElementi(benchmark::State& state) {
  const sc::Percorso& p = grande().p;
  size_t byte = 0;
  for (auto _ : state) {
    std::string s = sc::serializza_elementi(p.elementi);
    byte = s.size();
    benchmark::DoNotOptimize(s);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byte));
}
BENCHMARK(BM_SerializzaElementi)->Unit(benchmark::kMicrosecond);

void BM_SerializzaCelle(benchmark::State& state) {
  const sc::Percorso& p = grande().p;
  size_t byte = 0;
  for (auto _ : state) {
    std::string s = sc::serializza_celle(p.celle);
    byte = s.size();
    benchmark::DoNotOptimize(s);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byte));
}
BENCHMARK(BM_SerializzaCelle)->Unit(benchmark::kMicrosecond);

// The whole compile of the generated scenario: read both descriptions from
// disk, compile, and replace the three compiled files in a temporary
// directory (temporary file, flush to disk, rename), as the compile command
// does.
void BM_CompilaGrandeSuDisco(benchmark::State& state) {
  const Grande& g = grande();
  const fs::path dir = fs::temp_directory_path() / ("sc-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string nome = sc::bench::nome_grande, treno = sc::bench::treno_grande;
  const std::string linea_txt = sc::percorso_file(dir.string(), sc::FileScenario::linea_txt, nome, treno);
  const std::string treno_txt = sc::percorso_file(dir.string(), sc::FileScenario::treno_txt, nome, treno);
  std::ofstream(linea_txt, std::ios::binary) << g.scenario.linea;
  std::ofstream(treno_txt, std::ios::binary) << g.scenario.treno;
  size_t byte = 0;
  for (auto _ : state) {
    sc::Percorso p;
    p.nome_scenario = nome;
    p.numero_treno = treno;
    sc::FaultLog log;
    const sc::Compilazione c = sc::memorizza_percorso(p, 1, sc::Sorgenti{linea_txt, treno_txt, false}, log);
    if (!log.empty()) {
      state.SkipWithError("the generated scenario recorded faults");
      break;
    }
    byte = 0;
    std::vector<sc::FileDaScrivere> files;
    for (const sc::CompiledFile& f : c.files) {
      files.push_back({sc::percorso_file(dir.string(), sc::file_compilato(f.kind), nome, treno), f.bytes.pezzi()});
      byte += f.bytes.size();
    }
    if (auto motivo = sc::sostituisci_files(files)) {
      state.SkipWithError(motivo->c_str());
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byte));
  std::error_code ec;
  fs::remove_all(dir, ec);
}
BENCHMARK(BM_CompilaGrandeSuDisco)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const Grande& g = grande();  // stops here if the scenario has faults
  std::cout << "generated scenario: " << lunghezza_grande << " m, " << g.scenario.curve << " curves, "
            << g.scenario.stazioni << " stations, " << g.scenario.segnali << " signals, "
            << g.scenario.rallentamenti << " restrictions; compiled without fault\n";
  for (const sc::CompiledFile& f : g.c.files) {
    std::cout << "  " << sc::nome_file(sc::file_compilato(f.kind), g.p.nome_scenario, g.p.numero_treno) << ": "
              << f.bytes.size() << " bytes\n";
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
