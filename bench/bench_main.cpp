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

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include <cstring>
#include <utility>
#include <vector>

#include "compiler/compile_entry.h"
#include "compiler/field_reader.h"
#include "compiler/line_parser.h"
#include "compiler/mark_and_encode.h"
#include "compiler/memorizza_percorso.h"
#include "compiler/tracciato_piano.h"
#include "compiler/train_parser.h"
#include "output/diagnostics.h"
#include "output/file_output.h"
#include "output/text_file_names.h"
#include "output/write_content.h"
#include "tests/support/large_scenario.h"
#include "writers/scenario.h"

namespace fs = std::filesystem;

namespace {

using sc::test::large_length;

// The compile of two descriptions held in memory: parse (both halves), cell
// pass, marks, contest codes and the bytes of the three files, through the
// compile's entry, without touching the disk.
sc::Compilation compile_in_memory(sc::Percorso& p, const std::string& linea,
                                  const std::string& treno, sc::FaultLog& log) {
  sc::CompileResult r = sc::compile_descriptions(
      {{"linea", linea}, {"treno", treno}, p.nome_scenario, p.numero_treno, 1, false});
  p = std::move(r.model);
  log = std::move(r.log);
  return std::move(r.compilation);
}

// A description file read whole, as the commands read it.
sc::DescriptionText read_description(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream buf;
  buf << in.rdbuf();
  return {path, std::move(buf).str()};
}

struct Large {
  sc::test::GeneratedScenario scenario;
  sc::Percorso p;
  sc::Compilation c;
};

// The generated scenario, compiled once in memory.
const Large& large() {
  static const std::unique_ptr<Large> g = [] {
    auto g = std::make_unique<Large>();
    g->scenario = sc::test::generate_scenario(large_length);
    g->p.nome_scenario = sc::test::large_name;
    g->p.numero_treno = sc::test::large_treno;
    sc::FaultLog log;
    g->c = compile_in_memory(g->p, g->scenario.linea, g->scenario.treno, log);
    if (!log.empty() || g->p.codice_errore != 0 || g->c.status != sc::Compilation::Result::pronto) {
      std::cerr << "the generated scenario does not compile cleanly:\n" << sc::formatta_faults(log);
      std::exit(1);
    }
    return g;
  }();
  return *g;
}

void BM_CompileEmbedded(benchmark::State& state) {
  const std::string linea = sc::dati_linea(), treno = sc::dati_treno();
  for (auto _ : state) {
    sc::Percorso p;
    p.nome_scenario = "Corvale_Pravena AV";
    p.numero_treno = "409";
    sc::FaultLog log;
    sc::Compilation c = compile_in_memory(p, linea, treno, log);
    benchmark::DoNotOptimize(c);
    if (!log.empty()) state.SkipWithError("the embedded scenario recorded faults");
  }
}
BENCHMARK(BM_CompileEmbedded)->Unit(benchmark::kMillisecond);

// The steps of the plan of a 1000000 m line as the parse records them, and
// every row computed from them: the arithmetic alone, its dependency chain
// (each row needs the two before).
void BM_RowsTracciato(benchmark::State& state) {
  const std::vector<sc::test::GeneratedCurva> curve = sc::test::curve_generate(large_length);
  for (auto _ : state) {
    sc::Percorso p;
    p.lunghezza_totale = large_length + sc::coda_linea;
    sc::create_plan(p);
    sc::PianoTracciato plan(p.tracciato);
    plan.seed();
    for (const auto& c : curve) {
      if (plan.add_curve(c.key, c.inizio, c.lunghezza) != sc::CurveOutcome::done) {
        state.SkipWithError("a curve was refused");
        break;
      }
    }
    plan.complete();
    double sum = 0;
    sc::per_computed_rows(p.tracciato, [&sum](double x, double y) { sum += x - y; });
    benchmark::DoNotOptimize(sum);
  }
  state.counters["rows"] = large_length + sc::coda_linea + 1;
}
BENCHMARK(BM_RowsTracciato)->Unit(benchmark::kMillisecond);

// The track plan file's bytes, computed and encoded through buffers of
// `range(0)` bytes a column, handed to a destination that keeps nothing.
void BM_EncodeTracciato(benchmark::State& state) {
  const sc::Percorso& p = large().p;
  uint64_t byte = 0;
  for (auto _ : state) {
    const sc::FileContent c = sc::plan_content(p.tracciato, static_cast<size_t>(state.range(0)));
    byte = c.size();
    c.write([](uint64_t, std::string_view chunk) {
      benchmark::DoNotOptimize(chunk.data());
      return true;
    });
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byte));
}
BENCHMARK(BM_EncodeTracciato)
    ->Arg(4 << 10)
    ->Arg(16 << 10)
    ->Arg(64 << 10)
    ->Arg(256 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond);

// --- writing the plan file: three ways, measured side by side ---------------------

// A fresh file in the benchmark's directory, removed after each round.
std::string test_file() {
  static const std::string f =
      (fs::temp_directory_path() / ("sc-bench-piano-" + std::to_string(::getpid()))).string();
  return f;
}

// Encodes plan entries the way the file holds them (little-endian machine).
char* put_int(char* p, int16_t v) {
  const uint16_t t = 2;
  std::memcpy(p, &t, 2);
  std::memcpy(p + 2, &v, 2);
  return p + 4;
}
char* put_real(char* p, double v) {
  const uint16_t t = 5;
  std::memcpy(p, &t, 2);
  std::memcpy(p + 2, &v, 8);
  return p + 10;
}

// One pass, both columns at their offsets (the compile's way): pwrite of
// each column's buffer at its place, `range(0)` bytes a column.
void BM_PlanOnFileOnePass(benchmark::State& state) {
  const sc::Percorso& p = large().p;
  const sc::FileContent c = sc::plan_content(p.tracciato, static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    const int fd = ::open(test_file().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool ok = c.write([fd](uint64_t o, std::string_view chunk) {
      return ::pwrite(fd, chunk.data(), chunk.size(), static_cast<off_t>(o)) ==
             static_cast<ssize_t>(chunk.size());
    });
    ::close(fd);
    ::unlink(test_file().c_str());
    if (!ok) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.size()));
}
BENCHMARK(BM_PlanOnFileOnePass)
    ->Arg(16 << 10)
    ->Arg(64 << 10)
    ->Arg(256 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond);

// Two passes: column 0 computed and written in order, then the rows
// computed again for column 1; plain sequential writes of 64 KiB.
void BM_PlanOnFileTwoPasses(benchmark::State& state) {
  const sc::PlanSteps& t = large().p.tracciato;
  const uint64_t rows = static_cast<uint64_t>(t.rows()),
                 computed = static_cast<uint64_t>(t.cursor()) - 2;
  std::vector<char> buf(64 << 10);
  for (auto _ : state) {
    const int fd = ::open(test_file().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = true;
    for (int c = 0; c < 2; ++c) {
      char* q = buf.data();
      auto clear = [&] {
        ok = ok && ::write(fd, buf.data(), static_cast<size_t>(q - buf.data())) == q - buf.data();
        q = buf.data();
      };
      q = put_int(q, c == 0 ? sc::seed_x[0] : sc::seed_y[0]);
      q = put_int(q, c == 0 ? sc::seed_x[1] : sc::seed_y[1]);
      sc::per_computed_rows(t, [&](double x, double y) {
        if (buf.data() + buf.size() - q < 10) clear();
        q = put_real(q, c == 0 ? x : y);
      });
      for (uint64_t i = 2 + computed; i < rows; ++i) {
        if (buf.data() + buf.size() - q < 2) clear();
        *q++ = 0, *q++ = 0;
      }
      clear();
    }
    ::close(fd);
    ::unlink(test_file().c_str());
    if (!ok) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 2 * sc::plan_column_bytes(t)));
}
BENCHMARK(BM_PlanOnFileTwoPasses)->Unit(benchmark::kMillisecond);

// A mapped file: sized first, the rows encoded straight into the mapping.
void BM_PlanOnFileMapped(benchmark::State& state) {
  const sc::PlanSteps& t = large().p.tracciato;
  const uint64_t column = sc::plan_column_bytes(t);
  for (auto _ : state) {
    const int fd = ::open(test_file().c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = ::ftruncate(fd, static_cast<off_t>(2 * column)) == 0;
    void* m = ok ? ::mmap(nullptr, 2 * column, PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    if (m != MAP_FAILED) {
      char* x = static_cast<char*>(m);
      char* y = x + column;
      x = put_int(put_int(x, sc::seed_x[0]), sc::seed_x[1]);
      y = put_int(put_int(y, sc::seed_y[0]), sc::seed_y[1]);
      sc::per_computed_rows(t, [&](double xv, double yv) {
        x = put_real(x, xv);
        y = put_real(y, yv);
      });
      std::memset(x, 0, static_cast<size_t>(static_cast<char*>(m) + column - x));
      std::memset(y, 0, static_cast<size_t>(static_cast<char*>(m) + 2 * column - y));
      ::munmap(m, 2 * column);
    } else {
      ok = false;
    }
    ::close(fd);
    ::unlink(test_file().c_str());
    if (!ok) state.SkipWithError("mapping failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 2 * column));
}
BENCHMARK(BM_PlanOnFileMapped)->Unit(benchmark::kMillisecond);

// The plan file's bytes joined into one string in memory (what the
// decompiler's read-back check asks for).
void BM_TracciatoInOneString(benchmark::State& state) {
  const sc::Percorso& p = large().p;
  size_t byte = 0;
  for (auto _ : state) {
    std::string s = sc::plan_content(p.tracciato).joined();
    byte = s.size();
    benchmark::DoNotOptimize(s);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byte));
}
BENCHMARK(BM_TracciatoInOneString)->Unit(benchmark::kMillisecond);

void BM_SerialiseElementi(benchmark::State& state) {
  const sc::Percorso& p = large().p;
  size_t byte = 0;
  for (auto _ : state) {
    std::string s = sc::serializza_elementi(p.elementi);
    byte = s.size();
    benchmark::DoNotOptimize(s);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byte));
}
BENCHMARK(BM_SerialiseElementi)->Unit(benchmark::kMicrosecond);

void BM_SerialiseCelle(benchmark::State& state) {
  const sc::Percorso& p = large().p;
  size_t byte = 0;
  for (auto _ : state) {
    std::string s = sc::serializza_celle(p.celle);
    byte = s.size();
    benchmark::DoNotOptimize(s);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byte));
}
BENCHMARK(BM_SerialiseCelle)->Unit(benchmark::kMicrosecond);

// The whole compile of the generated scenario: read both descriptions from
// disk, compile, and replace the three compiled files in a temporary
// directory (temporary file, rename), as the compile command does.
void BM_CompileLargeOnDisk(benchmark::State& state) {
  const Large& g = large();
  const fs::path dir = fs::temp_directory_path() / ("sc-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string nome = sc::test::large_name, treno = sc::test::large_treno;
  const std::string linea_txt =
      sc::percorso_file(dir.string(), sc::TextFileKind::linea_txt, nome, treno);
  const std::string treno_txt =
      sc::percorso_file(dir.string(), sc::TextFileKind::treno_txt, nome, treno);
  std::ofstream(linea_txt, std::ios::binary) << g.scenario.linea;
  std::ofstream(treno_txt, std::ios::binary) << g.scenario.treno;
  size_t byte = 0;
  for (auto _ : state) {
    sc::Percorso p;
    p.nome_scenario = nome;
    p.numero_treno = treno;
    sc::FaultLog log;
    const sc::Compilation c =
        compile_in_memory(p, read_description(linea_txt).bytes.value_or(""),
                          read_description(treno_txt).bytes.value_or(""), log);
    if (!log.empty()) {
      state.SkipWithError("the generated scenario recorded faults");
      break;
    }
    byte = 0;
    std::vector<sc::FileToWrite> files;
    for (const sc::CompiledFile& f : c.files) {
      byte += f.bytes.size();
      files.push_back(sc::to_write(sc::percorso_file(dir.string(), f.kind, nome, treno), f.bytes));
    }
    if (auto reason = sc::replace_files(files)) {
      state.SkipWithError(reason->c_str());
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byte));
  std::error_code ec;
  fs::remove_all(dir, ec);
}
BENCHMARK(BM_CompileLargeOnDisk)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const Large& g = large();  // stops here if the scenario has faults
  std::cout << "generated scenario: " << large_length << " m, " << g.scenario.curve << " curves, "
            << g.scenario.stazioni.size() << " stations, " << g.scenario.segnali.size()
            << " signals, " << g.scenario.rallentamenti.size()
            << " restrictions; compiled without fault\n";
  for (const sc::CompiledFile& f : g.c.files) {
    std::cout << "  " << sc::nome_file(f.kind, g.p.nome_scenario, g.p.numero_treno) << ": "
              << f.bytes.size() << " bytes\n";
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
