// The one entry of a compile: the two descriptions' bytes and the identity
// in, the compilation (state and the bytes of the compiled files), the
// route model and the diagnostics out. It touches no file, keeps no state
// between calls and lets no exception out: reading the descriptions,
// deleting them (the embedded run) and writing the compiled files are the
// caller's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/fault.h"
#include "compiler/memorizza_percorso.h"
#include "model/percorso.h"

namespace sc {

// Why a description's bytes are missing.
enum class Unreadable {
  no_file,      // there is no file of that name
  cannot_open,  // the file is there but cannot be opened
  cannot_read,  // it was opened, but reading it failed
};

// One description as its caller read it.
struct DescriptionText {
  std::string name;                      // the file as diagnostics name it
  std::optional<std::string> bytes;      // absent: the file could not be read
  Unreadable why = Unreadable::no_file;  // when `bytes` is absent
};

struct CompileInput {
  DescriptionText line, train;
  std::string nome_scenario, numero_treno;
  int32_t modo = 1;  // the compile mode: nonzero also builds the track plan
  // After the fault that ended the parse, read both descriptions on (on a
  // scratch model, skipping each faulty entry) to tell every fault in one
  // compile: for an author's files.
  bool read_on = false;
};

// A run failure that ended the parse (recorded as fault 25).
struct RunFailure {
  std::optional<SourceLocation> where;
  std::string message;  // as the fault gives it: the entry and field, then `what`
  std::string what;     // the failure alone
};

struct CompileResult {
  Percorso model;
  FaultLog log;
  Compilation compilation;
  // Whether the parse was done with each description, for the embedded run,
  // which deletes its own copies once read: the line description whenever
  // there was one; the train description once its half started, or after a
  // run failure in either half.
  bool line_consumed = false;
  bool train_consumed = false;
  std::optional<RunFailure> failure;
};

// `earlier`: diagnostics the caller found before the compile (a warning
// about its command line); the compile's own follow them in the result's
// log.
CompileResult compile_descriptions(const CompileInput& in, FaultLog earlier = {});

}  // namespace sc
