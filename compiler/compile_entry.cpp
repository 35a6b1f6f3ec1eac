#include "compiler/compile_entry.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "compiler/fault_codes.h"
#include "compiler/field_reader.h"
#include "compiler/line_parser.h"
#include "compiler/sources.h"
#include "compiler/train_parser.h"

namespace sc {
namespace {

// The note N2.
constexpr int32_t train_without_line_cells = 2;

// The parsers' one catch-all failure handler: `parse` runs the reading of
// the descriptions, and any failure it throws (a read past the end, a
// value that does not fit, an index the rules did not foresee) comes back
// as a value. No other place of the compile turns a failure into fault 25.
template <typename F>
std::optional<RunFailure> trap(F&& parse) {
  try {
    return parse();
  } catch (const ParseFailure& e) {
    return RunFailure{e.where(), e.entry() + e.what(), e.what()};
  } catch (const std::exception& e) {
    return RunFailure{std::nullopt, std::string("internal limit: ") + e.what(), e.what()};
  } catch (...) {
    return RunFailure{std::nullopt, "internal failure", "internal failure"};
  }
}

// A description that could not be read: a run failure at its file.
RunFailure unreadable(const DescriptionText& d) {
  const std::string what =
      d.why == Unreadable::cannot_read ? "cannot read the file" : "cannot open the file";
  return RunFailure{SourceLocation{d.name, 0, 0, 0, ""}, what, what};
}

void set_identity(Percorso& p, const CompileInput& in) {
  p.nome_scenario = in.nome_scenario;
  p.numero_treno = in.numero_treno;
  p.modo = in.modo;
  p.elementi[record_sfondo_identita].nome = p.nome_scenario;
  p.elementi[record_ripetizione].nome = p.numero_treno;
}

// Both halves of the parse, the train half only when the line half went
// on to it. `train_started` tells whether it did.
std::optional<RunFailure> read_both(ReadState& status, const CompileInput& in, FaultLog& log,
                                    bool& train_started) {
  return trap([&]() -> std::optional<RunFailure> {
    FieldReader linea(*in.line.bytes, in.line.name);
    linea.report_in(&log);
    const bool line_read = read_line(status, linea) == LineOutcome::continua;
    if (status.recovery && !status.p.ha_celle()) {
      // Reading on, a line description that left no cells: the train
      // description is read on the cells of the longest line, so that its
      // own faults are found; only the checks against the line's end are
      // lost, which a note says.
      if (!in.train.bytes) return std::nullopt;
      create_cells(status.p, max_length);
      log.add_other(Fault{train_without_line_cells, std::nullopt,
                          SourceLocation{in.train.name, 0, 0, 0, ""},
                          "the line description gave no line length: the train description is "
                          "read on the cells of the longest line, " +
                              std::to_string(max_length) +
                              " m, so no position is checked against the end of this line",
                          Severity::note});
    } else if (!line_read) {
      return std::nullopt;
    }
    train_started = true;
    if (!in.train.bytes) return unreadable(in.train);
    FieldReader treno(*in.train.bytes, in.train.name);
    treno.report_in(&log);
    read_train(status, treno);
    return std::nullopt;
  });
}

// memorizza_dati: the parse that the compile reflects.
void memorizza_dati(const CompileInput& in, CompileResult& r) {
  Percorso& p = r.model;
  if (!in.line.bytes && in.line.why == Unreadable::no_file) {
    record(p, r.log,
           Fault{fault_code::no_line_description, std::nullopt,
                 SourceLocation{in.line.name, 0, 0, 0, ""}, "no line description file"});
    return;
  }
  r.line_consumed = true;
  bool train_started = false;
  ReadState status{p, r.log};
  std::optional<RunFailure> failure =
      in.line.bytes ? read_both(status, in, r.log, train_started) : unreadable(in.line);
  r.train_consumed = train_started;
  if (!failure) return;
  r.train_consumed = true;
  // `posizione_errore` stays as it was.
  record(p, r.log, Fault{fault_code::run_failure, std::nullopt, failure->where, failure->message});
  r.failure = std::move(failure);
}

// After a fault that ended the parse: both descriptions read again on a
// scratch model, skipping each faulty entry, and every diagnostic the first
// reading did not give added to the log, marked as found after the first
// fault. The model of the compile is not touched.
void read_on(const CompileInput& in, FaultLog& log) {
  Percorso q;
  set_identity(q, in);
  FaultLog other;
  ReadState status{q, other};
  status.recovery = true;
  bool train_started = false;
  // A failure that ends the reading on is not told: what was found up to
  // there is.
  (void)read_both(status, in, other, train_started);

  // What tells two diagnostics apart: the code, the severity, the message
  // and where they point. The first reading's diagnostics are keyed by a
  // hash of these, so the filter takes time in proportion to their number.
  const auto location = [](const Fault& f) {
    return f.where
               ? std::tuple(std::string_view(f.where->file), f.where->line, f.where->file_column())
               : std::tuple(std::string_view(), 0, 0);
  };
  const auto same = [&](const Fault& a, const Fault& b) {
    return a.codice == b.codice && a.severity == b.severity && a.message == b.message &&
           location(a) == location(b);
  };
  const auto key = [&](const Fault& f) {
    const auto [file, line, column] = location(f);
    size_t h = std::hash<std::string_view>{}(f.message);
    for (const size_t part : {std::hash<std::string_view>{}(file), static_cast<size_t>(line),
                              static_cast<size_t>(column), static_cast<size_t>(f.codice),
                              static_cast<size_t>(f.severity)}) {
      h ^= part + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    }
    return h;
  };
  // The new faults are gathered first: adding to the log may move the
  // faults that `seen` points to.
  std::vector<Fault> fresh;
  {
    std::unordered_multimap<size_t, const Fault*> seen;
    seen.reserve(log.all().size() + log.others().size());
    for (const Fault& f : log.all()) seen.emplace(key(f), &f);
    for (const Fault& f : log.others()) seen.emplace(key(f), &f);
    for (const Fault* f : other.in_order()) {
      const auto [first, last] = seen.equal_range(key(*f));
      if (std::any_of(first, last, [&](const auto& g) { return same(*f, *g.second); })) continue;
      fresh.push_back(*f);
      fresh.back().after_first = true;
    }
  }
  for (Fault& f : fresh) log.add_other(std::move(f));
}

}  // namespace

CompileResult compile_descriptions(const CompileInput& in, FaultLog earlier) {
  CompileResult r;
  r.log = std::move(earlier);
  // memorizza_percorso: the mode, no fault yet, an empty element table.
  set_identity(r.model, in);
  r.model.codice_errore = r.log.codice_errore();
  memorizza_dati(in, r);
  if (in.read_on && r.model.codice_errore != 0 && in.line.bytes) read_on(in, r.log);
  r.compilation = complete_compilation(r.model, r.log);
  return r;
}

}  // namespace sc
