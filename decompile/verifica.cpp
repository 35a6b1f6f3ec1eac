#include "decompile/verifica.h"

#include <bit>

#include "compiler/compile_entry.h"
#include "compiler/fault_codes.h"
#include "decompile/formato.h"
#include "decompile/ricostruzione.h"

namespace sc::decompila {
namespace {

constexpr size_t campi_mostrati = 20;

// Where byte `n` of a cells file lies.
std::string nel_file_celle(size_t n) {
  static const char* campi[] = {"tipo",     "valore_1", "valore_1", "valore_2", "valore_2",
                                "valore_3", "valore_3", "valore_4", "valore_4", "tempo",
                                "avviso",   "galleria", "velocita", "pendenza", "aderenza"};
  return cella_at(static_cast<int64_t>(n / byte_cella)) + ", " + campi[n % byte_cella];
}

std::string byte_hex(std::string_view s, size_t n) {
  if (n >= s.size()) return "end of file";
  return printf_string("0x%02x", static_cast<unsigned char>(s[n]));
}

void confronta_celle(const std::vector<Cella>& a, const std::vector<Cella>& b,
                     std::vector<std::string>& out) {
  if (a.size() != b.size()) {
    out.push_back("cells file: " + std::to_string(a.size()) + " cells in the input, " +
                  std::to_string(b.size()) + " compiled");
  }
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n && out.size() < campi_mostrati; ++i) {
    const Cella& x = a[i];
    const Cella& y = b[i];
    const struct {
      const char* nome;
      int vx, vy;
    } campi[] = {{"tipo", x.tipo, y.tipo},
                 {"valore_1", x.valore_1, y.valore_1},
                 {"valore_2", x.valore_2, y.valore_2},
                 {"valore_3", x.valore_3, y.valore_3},
                 {"valore_4", x.valore_4, y.valore_4},
                 {"tempo", x.tempo, y.tempo},
                 {"avviso", x.avviso, y.avviso},
                 {"galleria", x.galleria, y.galleria},
                 {"velocita", x.velocita, y.velocita},
                 {"pendenza", x.pendenza, y.pendenza},
                 {"aderenza", x.aderenza, y.aderenza}};
    for (const auto& c : campi) {
      if (c.vx == c.vy) continue;
      out.push_back(cella_at(static_cast<int64_t>(i)) + ": " + c.nome + " " + std::to_string(c.vx) +
                    " is explained by no entry (the descriptions give " + std::to_string(c.vy) +
                    ")");
      break;
    }
  }
}

void confronta_elementi(const std::array<Elemento, numero_elementi>& a,
                        const std::array<Elemento, numero_elementi>& b,
                        std::vector<std::string>& out) {
  for (size_t i = 0; i < a.size() && out.size() < campi_mostrati; ++i) {
    if (a[i] == b[i]) continue;
    out.push_back("record " + std::to_string(i) + ": explained by no entry" +
                  (a[i].nome != b[i].nome
                       ? " (its name differs from what the descriptions give)"
                       : " (its numbers differ from what the descriptions give)"));
  }
}

void confronta_tracciato(const Tracciato& a, const Tracciato& b, std::vector<std::string>& out) {
  if (a.righe() != b.righe()) {
    out.push_back("track plan: " + std::to_string(a.righe()) + " rows in the input, " +
                  std::to_string(b.righe()) + " compiled");
    return;
  }
  for (int c = 0; c < 2; ++c) {
    for (int32_t i = 0; i < a.righe(); ++i) {
      const Numero x = a.colonna(c)[static_cast<size_t>(i)],
                   y = b.colonna(c)[static_cast<size_t>(i)];
      if (x.tag == y.tag &&
          std::bit_cast<uint64_t>(double{x.valore}) == std::bit_cast<uint64_t>(double{y.valore}))
        continue;
      if (out.size() < campi_mostrati) {
        out.push_back("track plan row " + std::to_string(i) + ": " + (c == 0 ? "x" : "y") +
                      " is explained by no curve entry");
      }
      return;  // every row after the first difference differs too
    }
  }
}

}  // namespace

Compilati compila_in_memoria(const std::string& linea, const std::string& treno,
                             const std::string& nome_scenario, const std::string& numero_treno,
                             bool con_tracciato) {
  CompileInput in;
  in.line = DescriptionText{"line description", linea};
  in.train = DescriptionText{"train description", treno};
  in.nome_scenario = nome_scenario;
  in.numero_treno = numero_treno;
  in.modo = con_tracciato ? 1 : 0;
  const CompileResult r = compile_descriptions(in);
  const Compilazione& c = r.compilation;
  const FaultLog& log = r.log;
  Compilati out;
  for (const Fault& f : log.all()) {
    // A run failure is told without its entry.
    const bool fallimento = r.failure && f.codice == fault_code::run_failure && f.message == r.failure->message;
    out.faults.push_back(
        "fault " + std::to_string(f.codice) +
        (f.posizione ? " at " + std::to_string(*f.posizione) + " m" : std::string()) + ": " +
        (fallimento ? r.failure->what : f.message));
  }
  if (c.stato != Compilazione::Stato::pronto) return out;
  out.scritti = true;
  for (const CompiledFile& f : c.files) {
    std::string bytes = f.bytes.unito();
    switch (f.kind) {
      case FileCompilato::tracciato: out.tracciato = std::move(bytes); break;
      case FileCompilato::elementi: out.elementi = std::move(bytes); break;
      case FileCompilato::celle: out.celle = std::move(bytes); break;
    }
  }
  return out;
}

Verifica verifica(const std::string& linea, const std::string& treno,
                  const std::string& nome_scenario, const std::string& numero_treno,
                  const FileCompilati& originale) {
  Verifica v;
  Compilati c = compila_in_memoria(linea, treno, nome_scenario, numero_treno,
                                   originale.tracciato.has_value());
  v.faults = std::move(c.faults);
  if (!c.scritti) {
    v.primo_byte = "the descriptions compile to no files (the compile stopped before writing them)";
    return v;
  }
  const struct {
    FileCompilato kind;
    std::string_view prima, dopo;
  } coppie[] = {{FileCompilato::tracciato, originale.tracciato.value_or(std::string_view()),
                 c.tracciato ? std::string_view(*c.tracciato) : std::string_view()},
                {FileCompilato::elementi, originale.elementi, c.elementi},
                {FileCompilato::celle, originale.celle, c.celle}};
  for (const auto& [kind, prima, dopo] : coppie) {
    size_t n = 0;
    while (n < prima.size() && n < dopo.size() && prima[n] == dopo[n]) ++n;
    if (n == prima.size() && n == dopo.size()) continue;
    std::string dove = kind == FileCompilato::celle && n < std::min(prima.size(), dopo.size())
                           ? " (" + nel_file_celle(n) + ")"
                           : "";
    v.primo_byte = std::string(nome_file_compilato(kind)) + " file: byte " + std::to_string(n) +
                   dove + " is " + byte_hex(prima, n) + " in the input, " + byte_hex(dopo, n) +
                   " compiled from the descriptions";
    break;
  }
  if (!v.primo_byte) return v;

  confronta_celle(decodifica_celle(originale.celle), decodifica_celle(c.celle), v.campi_diversi);
  confronta_elementi(decodifica_elementi(originale.elementi), decodifica_elementi(c.elementi),
                     v.campi_diversi);
  if (originale.tracciato && c.tracciato) {
    confronta_tracciato(decodifica_tracciato(*originale.tracciato),
                        decodifica_tracciato(*c.tracciato), v.campi_diversi);
  }
  return v;
}

}  // namespace sc::decompila
