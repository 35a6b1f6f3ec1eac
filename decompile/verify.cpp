#include "decompile/verify.h"

#include <algorithm>
#include <bit>

#include "compiler/compile_entry.h"
#include "compiler/fault_codes.h"
#include "decompile/decoders.h"
#include "decompile/reconstruction.h"

namespace sc::decompile {
namespace {

constexpr size_t shown_fields = 20;

// Where byte `n` of a cells file lies.
std::string in_file_celle(size_t n) {
  static const char* fields[] = {"tipo",     "valore_1", "valore_1", "valore_2", "valore_2",
                                 "valore_3", "valore_3", "valore_4", "valore_4", "tempo",
                                 "avviso",   "galleria", "velocita", "pendenza", "aderenza"};
  return cella_at(static_cast<int64_t>(n / byte_cella)) + ", " + fields[n % byte_cella];
}

std::string byte_hex(std::string_view s, size_t n) {
  if (n >= s.size()) return "end of file";
  return printf_string("0x%02x", static_cast<unsigned char>(s[n]));
}

void compare_celle(const std::vector<Cella>& a, const std::vector<Cella>& b,
                   std::vector<std::string>& out) {
  if (a.size() != b.size()) {
    out.push_back("cells file: " + std::to_string(a.size()) + " cells in the input, " +
                  std::to_string(b.size()) + " compiled");
  }
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n && out.size() < shown_fields; ++i) {
    const std::vector<CellFieldDifference> d = differing_fields(a[i], b[i]);
    if (!d.empty()) {
      out.push_back(cella_at(static_cast<int64_t>(i)) + ": " + d[0].nome + " " +
                    std::to_string(d[0].a) + " is explained by no entry (the descriptions give " +
                    std::to_string(d[0].b) + ")");
    }
  }
}

void compare_elementi(const std::array<Elemento, numero_elementi>& a,
                      const std::array<Elemento, numero_elementi>& b,
                      std::vector<std::string>& out) {
  for (size_t i = 0; i < a.size() && out.size() < shown_fields; ++i) {
    if (a[i] == b[i]) continue;
    out.push_back("record " + std::to_string(i) + ": explained by no entry" +
                  (a[i].nome != b[i].nome
                       ? " (its name differs from what the descriptions give)"
                       : " (its numbers differ from what the descriptions give)"));
  }
}

void compare_tracciato(const Tracciato& a, const Tracciato& b, std::vector<std::string>& out) {
  if (a.rows() != b.rows()) {
    out.push_back("track plan: " + std::to_string(a.rows()) + " rows in the input, " +
                  std::to_string(b.rows()) + " compiled");
    return;
  }
  for (int c = 0; c < 2; ++c) {
    for (int32_t i = 0; i < a.rows(); ++i) {
      const Numero x = a.column(c)[static_cast<size_t>(i)], y = b.column(c)[static_cast<size_t>(i)];
      if (x.tag == y.tag &&
          std::bit_cast<uint64_t>(double{x.valore}) == std::bit_cast<uint64_t>(double{y.valore}))
        continue;
      if (out.size() < shown_fields) {
        out.push_back("track plan row " + std::to_string(i) + ": " + (c == 0 ? "x" : "y") +
                      " is explained by no curve entry");
      }
      return;  // every row after the first difference differs too
    }
  }
}

}  // namespace

namespace {

CompileInput input_of(const std::string& linea, const std::string& treno,
                      const std::string& nome_scenario, const std::string& numero_treno,
                      bool with_tracciato) {
  CompileInput in;
  in.line = DescriptionText{"line description", linea};
  in.train = DescriptionText{"train description", treno};
  in.nome_scenario = nome_scenario;
  in.numero_treno = numero_treno;
  in.modo = with_tracciato ? 1 : 0;
  return in;
}

std::vector<std::string> faults_of(const CompileResult& r) {
  std::vector<std::string> out;
  for (const Fault& f : r.log.all()) {
    // A run failure is told without its entry.
    const bool failure =
        r.failure && f.codice == fault_code::run_failure && f.message == r.failure->message;
    out.push_back("fault " + std::to_string(f.codice) +
                  (f.posizione ? " at " + std::to_string(*f.posizione) + " m" : std::string()) +
                  ": " + (failure ? r.failure->what : f.message));
  }
  return out;
}

// Up to `n` bytes of the plan at `offset`: fewer only where it ends.
size_t read_plan(const PlanBytes& plan, size_t offset, char* out, size_t n) {
  size_t got = 0;
  while (got < n) {
    const size_t k = plan.read(offset + got, out + got, n - got);
    if (k == 0) break;
    got += k;
  }
  return got;
}

std::string hex_or_end(std::optional<unsigned char> b) {
  return b ? printf_string("0x%02x", *b) : std::string("end of file");
}

// Where the input's track plan and the compiled one first differ: the
// offset and each one's byte there (none past its end). The compiled plan
// is produced in pieces and the input read beside each piece, so neither
// is held whole.
struct Difference {
  size_t n = 0;
  std::optional<unsigned char> before, after;
};
std::optional<Difference> first_plan_difference(const std::optional<PlanBytes>& before,
                                                const FileContent* after) {
  const size_t size_before = before ? before->size : 0;
  const size_t size_after = after ? static_cast<size_t>(after->size()) : 0;
  const size_t common = std::min(size_before, size_after);
  size_t n = common;
  std::optional<unsigned char> after_at_n, after_at_common;
  if (after) {
    std::string buffer;
    after->write([&](uint64_t at, std::string_view piece) {
      const auto o = static_cast<size_t>(at);
      if (common >= o && common - o < piece.size())
        after_at_common = static_cast<unsigned char>(piece[common - o]);
      const size_t end = std::min(o + piece.size(), n);
      for (size_t from = o; before && from < end;) {
        const size_t want = std::min<size_t>(end - from, 64 * 1024);
        buffer.resize(want);
        const size_t got = read_plan(*before, from, buffer.data(), want);
        size_t k = 0;
        while (k < got && buffer[k] == piece[from - o + k]) ++k;
        if (k < want) {  // a differing byte, or the input ends sooner than measured
          n = from + k;
          after_at_n = static_cast<unsigned char>(piece[from - o + k]);
          break;
        }
        from += want;
      }
      return true;
    });
  }
  if (n == common && size_before == size_after) return std::nullopt;
  Difference d;
  d.n = n;
  d.after = n < common ? after_at_n : after_at_common;
  char b = 0;
  if (before && n < size_before && read_plan(*before, n, &b, 1) == 1)
    d.before = static_cast<unsigned char>(b);
  return d;
}

}  // namespace

std::string whole_plan(const PlanBytes& plan) {
  std::string out(plan.size, '\0');
  out.resize(read_plan(plan, 0, out.data(), plan.size));
  return out;
}

Compiled compile_in_memory(const std::string& linea, const std::string& treno,
                           const std::string& nome_scenario, const std::string& numero_treno,
                           bool with_tracciato) {
  const CompileInput in = input_of(linea, treno, nome_scenario, numero_treno, with_tracciato);
  const CompileResult r = compile_descriptions(in);
  const Compilation& c = r.compilation;
  Compiled out;
  out.faults = faults_of(r);
  if (c.status != Compilation::Result::pronto) return out;
  out.written = true;
  for (const CompiledFile& f : c.files) {
    std::string bytes = f.bytes.joined();
    switch (f.kind) {
      case CompiledKind::tracciato: out.tracciato = std::move(bytes); break;
      case CompiledKind::elementi: out.elementi = std::move(bytes); break;
      case CompiledKind::celle: out.celle = std::move(bytes); break;
    }
  }
  return out;
}

Verify verify(const std::string& linea, const std::string& treno, const std::string& nome_scenario,
              const std::string& numero_treno, const CompiledFiles& original) {
  Verify v;
  const CompileInput in =
      input_of(linea, treno, nome_scenario, numero_treno, original.tracciato.has_value());
  const CompileResult r = compile_descriptions(in);
  const Compilation& c = r.compilation;
  v.faults = faults_of(r);
  if (c.status != Compilation::Result::pronto) {
    v.first_byte = "the descriptions compile to no files (the compile stopped before writing them)";
    return v;
  }
  // The plan (the largest file) is compared piece by piece; the other two
  // are small.
  const FileContent* plan = nullptr;
  std::string celle, elementi;
  for (const CompiledFile& f : c.files) {
    switch (f.kind) {
      case CompiledKind::tracciato: plan = &f.bytes; break;
      case CompiledKind::elementi: elementi = f.bytes.joined(); break;
      case CompiledKind::celle: celle = f.bytes.joined(); break;
    }
  }
  if (const std::optional<Difference> d = first_plan_difference(original.tracciato, plan)) {
    v.first_byte = std::string(compiled_file_name(CompiledKind::tracciato)) + " file: byte " +
                   std::to_string(d->n) + " is " + hex_or_end(d->before) + " in the input, " +
                   hex_or_end(d->after) + " compiled from the descriptions";
  }
  const struct {
    CompiledKind kind;
    std::string_view before, after;
  } pairs[] = {{CompiledKind::elementi, original.elementi, elementi},
               {CompiledKind::celle, original.celle, celle}};
  for (const auto& [kind, before, after] : pairs) {
    if (v.first_byte) break;
    size_t n = 0;
    while (n < before.size() && n < after.size() && before[n] == after[n]) ++n;
    if (n == before.size() && n == after.size()) continue;
    std::string dove = kind == CompiledKind::celle && n < std::min(before.size(), after.size())
                           ? " (" + in_file_celle(n) + ")"
                           : "";
    v.first_byte = std::string(compiled_file_name(kind)) + " file: byte " + std::to_string(n) +
                   dove + " is " + byte_hex(before, n) + " in the input, " + byte_hex(after, n) +
                   " compiled from the descriptions";
  }
  if (!v.first_byte) return v;

  compare_celle(decode_cells(original.celle), decode_cells(celle), v.different_fields);
  compare_elementi(decode_elements(original.elementi), decode_elements(elementi),
                   v.different_fields);
  if (original.tracciato && plan) {
    compare_tracciato(decode_plan(whole_plan(*original.tracciato)), decode_plan(plan->joined()),
                      v.different_fields);
  }
  return v;
}

}  // namespace sc::decompile
