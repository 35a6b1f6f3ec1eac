// Benchmarks of the compile: the embedded scenario in memory, the rows of
// the track plan of a 1000000 m line, its file written three ways (one
// pass with both columns at their offsets, two passes, a mapped file), the
// other serialisers, and the whole compile of the generated 1000000 m
// scenario into a temporary directory.
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
#include <sstream>
#include <string>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <utility>
#include <vector>

#include "output/diagnostics.h"
#include "output/file_output.h"
#include "output/scrivi_contenuto.h"
#include "output/nomi_file.h"
#include "tests/support/scenario_grande.h"
#include "compiler/compile_entry.h"
#include "compiler/field_reader.h"
#include "compiler/line_parser.h"
#include "compiler/memorizza_percorso.h"
#include "compiler/output_files.h"
#include "compiler/tracciato_piano.h"
#include "compiler/train_parser.h"
#include "writers/scenario.h"

namespace fs = std::filesystem;

namespace {

using sc::test::lunghezza_grande;

// The compile of two descriptions held in memory: parse (both halves), cell
// pass, marks, contest codes and the bytes of the three files, through the
// compile's entry, without touching the disk.
sc::Compilazione compila_in_memoria(sc::Percorso& p, const std::string& linea, const std::string& treno,
                                    sc::FaultLog& log) {
  sc::CompileResult r =
      sc::compile_descriptions({{"linea", linea}, {"treno", treno}, p.nome_scenario, p.numero_treno, 1, false});
  p = std::move(r.model);
  log = std::move(r.log);
  return std::move(r.compilation);
}

// A description file read whole, as the commands read it.
sc::DescriptionText leggi_descrizione(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream buf;
  buf << in.rdbuf();
  return {path, std::move(buf).str()};
}

struct Grande {
  sc::test::ScenarioGenerato scenario;
  sc::Percorso p;
  sc::Compilazione c;
};

// The generated scenario, compiled once in memory.
const Grande& grande() {
  static const std::unique_ptr<Grande> g = [] {
    auto g = std::make_unique<Grande>();
    g->scenario = sc::test::genera_scenario(lunghezza_grande);
    g->p.nome_scenario = sc::test::nome_grande;
    g->p.numero_treno = sc::test::treno_grande;
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

// The steps of the plan of a 1000000 m line as the parse records them, and
// every row computed from them: the arithmetic alone, its dependency chain
// (each row needs the two before).
void BM_RigheTracciato(benchmark::State& state) {
  const std::vector<sc::test::CurvaGenerata> curve = sc::test::curve_generate(lunghezza_grande);
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
    double somma = 0;
    sc::per_righe_calcolate(p.tracciato, [&somma](double x, double y) { somma += x - y; });
    benchmark::DoNotOptimize(somma);
  }
  state.counters["rows"] = lunghezza_grande + sc::coda_linea + 1;
}
BENCHMARK(BM_RigheTracciato)->Unit(benchmark::kMillisecond);

// The track plan file's bytes, computed and encoded through buffers of
// `range(0)` bytes a column, handed to a destination that keeps nothing.
void BM_CodificaTracciato(benchmark::State& state) {
  const sc::Percorso& p = grande().p;
  uint64_t byte = 0;
  for (auto _ : state) {
    const sc::ContenutoFile c = sc::contenuto_tracciato(p.tracciato, static_cast<size_t>(state.range(0)));
    byte = c.size();
    c.scrivi([](uint64_t, std::string_view pezzo) {
      benchmark::DoNotOptimize(pezzo.data());
      return true;
    });
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byte));
}
BENCHMARK(BM_CodificaTracciato)->Arg(4 << 10)->Arg(16 << 10)->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond);

// --- writing the plan file: three ways, measured side by side ---------------------

// A fresh file in the benchmark's directory, removed after each round.
std::string file_prova() {
  static const std::string f = (fs::temp_directory_path() / ("sc-bench-piano-" + std::to_string(::getpid()))).string();
  return f;
}

// Encodes plan entries the way the file holds them (little-endian machine).
char* metti_intero(char* p, int16_t v) {
  const uint16_t t = 2;
  std::memcpy(p, &t, 2);
  std::memcpy(p + 2, &v, 2);
  return p + 4;
}
char* metti_reale(char* p, double v) {
  const uint16_t t = 5;
  std::memcpy(p, &t, 2);
  std::memcpy(p + 2, &v, 8);
  return p + 10;
}

// One pass, both columns at their offsets (the compile's way): pwrite of
// each column's buffer at its place, `range(0)` bytes a column.
void BM_PianoSuFileUnaPassata(benchmark::State& state) {
  const sc::Percorso& p = grande().p;
  const sc::ContenutoFile c = sc::contenuto_tracciato(p.tracciato, static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    const int fd = ::open(file_prova().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool ok = c.scrivi([fd](uint64_t o, std::string_view pezzo) {
      return ::pwrite(fd, pezzo.data(), pezzo.size(), static_cast<off_t>(o)) == static_cast<ssize_t>(pezzo.size());
    });
    ::close(fd);
    ::unlink(file_prova().c_str());
    if (!ok) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.size()));
}
BENCHMARK(BM_PianoSuFileUnaPassata)->Arg(16 << 10)->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond);

// Two passes: column 0 computed and written in order, then the rows
// computed again for column 1; plain sequential writes of 64 KiB.
void BM_PianoSuFileDuePassate(benchmark::State& state) {
  const sc::PassiTracciato& t = grande().p.tracciato;
  const uint64_t righe = static_cast<uint64_t>(t.righe()), calcolate = static_cast<uint64_t>(t.cursore()) - 2;
  std::vector<char> buf(64 << 10);
  for (auto _ : state) {
    const int fd = ::open(file_prova().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = true;
    for (int c = 0; c < 2; ++c) {
      char* q = buf.data();
      auto svuota = [&] {
        ok = ok && ::write(fd, buf.data(), static_cast<size_t>(q - buf.data())) == q - buf.data();
        q = buf.data();
      };
      q = metti_intero(q, c == 0 ? sc::seme_x[0] : sc::seme_y[0]);
      q = metti_intero(q, c == 0 ? sc::seme_x[1] : sc::seme_y[1]);
      sc::per_righe_calcolate(t, [&](double x, double y) {
        if (buf.data() + buf.size() - q < 10) svuota();
        q = metti_reale(q, c == 0 ? x : y);
      });
      for (uint64_t i = 2 + calcolate; i < righe; ++i) {
        if (buf.data() + buf.size() - q < 2) svuota();
        *q++ = 0, *q++ = 0;
      }
      svuota();
    }
    ::close(fd);
    ::unlink(file_prova().c_str());
    if (!ok) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 2 * sc::byte_colonna_tracciato(t)));
}
BENCHMARK(BM_PianoSuFileDuePassate)->Unit(benchmark::kMillisecond);

// A mapped file: sized first, the rows encoded straight into the mapping.
void BM_PianoSuFileMappato(benchmark::State& state) {
  const sc::PassiTracciato& t = grande().p.tracciato;
  const uint64_t colonna = sc::byte_colonna_tracciato(t);
  for (auto _ : state) {
    const int fd = ::open(file_prova().c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = ::ftruncate(fd, static_cast<off_t>(2 * colonna)) == 0;
    void* m = ok ? ::mmap(nullptr, 2 * colonna, PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    if (m != MAP_FAILED) {
      char* x = static_cast<char*>(m);
      char* y = x + colonna;
      x = metti_intero(metti_intero(x, sc::seme_x[0]), sc::seme_x[1]);
      y = metti_intero(metti_intero(y, sc::seme_y[0]), sc::seme_y[1]);
      sc::per_righe_calcolate(t, [&](double xv, double yv) {
        x = metti_reale(x, xv);
        y = metti_reale(y, yv);
      });
      std::memset(x, 0, static_cast<size_t>(static_cast<char*>(m) + colonna - x));
      std::memset(y, 0, static_cast<size_t>(static_cast<char*>(m) + 2 * colonna - y));
      ::munmap(m, 2 * colonna);
    } else {
      ok = false;
    }
    ::close(fd);
    ::unlink(file_prova().c_str());
    if (!ok) state.SkipWithError("mapping failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 2 * colonna));
}
BENCHMARK(BM_PianoSuFileMappato)->Unit(benchmark::kMillisecond);

// The plan file's bytes joined into one string in memory (what the
// decompiler's read-back check asks for).
void BM_TracciatoInUnaStringa(benchmark::State& state) {
  const sc::Percorso& p = grande().p;
  size_t byte = 0;
  for (auto _ : state) {
    std::string s = sc::contenuto_tracciato(p.tracciato).unito();
    byte = s.size();
    benchmark::DoNotOptimize(s);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byte));
}
BENCHMARK(BM_TracciatoInUnaStringa)->Unit(benchmark::kMillisecond);

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
// directory (temporary file, rename), as the compile command does.
void BM_CompilaGrandeSuDisco(benchmark::State& state) {
  const Grande& g = grande();
  const fs::path dir = fs::temp_directory_path() / ("sc-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string nome = sc::test::nome_grande, treno = sc::test::treno_grande;
  const std::string linea_txt = sc::percorso_file(dir.string(), sc::FileTesto::linea_txt, nome, treno);
  const std::string treno_txt = sc::percorso_file(dir.string(), sc::FileTesto::treno_txt, nome, treno);
  std::ofstream(linea_txt, std::ios::binary) << g.scenario.linea;
  std::ofstream(treno_txt, std::ios::binary) << g.scenario.treno;
  size_t byte = 0;
  for (auto _ : state) {
    sc::Percorso p;
    p.nome_scenario = nome;
    p.numero_treno = treno;
    sc::FaultLog log;
    const sc::Compilazione c = compila_in_memoria(p, leggi_descrizione(linea_txt).bytes.value_or(""),
                                                  leggi_descrizione(treno_txt).bytes.value_or(""), log);
    if (!log.empty()) {
      state.SkipWithError("the generated scenario recorded faults");
      break;
    }
    byte = 0;
    std::vector<sc::FileDaScrivere> files;
    for (const sc::CompiledFile& f : c.files) {
      byte += f.bytes.size();
      files.push_back(sc::da_scrivere(sc::percorso_file(dir.string(), f.kind, nome, treno), f.bytes));
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
            << g.scenario.stazioni.size() << " stations, " << g.scenario.segnali.size() << " signals, "
            << g.scenario.rallentamenti.size() << " restrictions; compiled without fault\n";
  for (const sc::CompiledFile& f : g.c.files) {
    std::cout << "  " << sc::nome_file(f.kind, g.p.nome_scenario, g.p.numero_treno) << ": "
              << f.bytes.size() << " bytes\n";
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
