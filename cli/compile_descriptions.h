// An author's two descriptions compiled, with what the compile tells
// beyond the parse: a --train that differs from the train file's name, a
// hint when the two files look given the wrong way round, and the
// reserved-slot report naming the entry behind it. compile, check and
// view use it alike.
#pragma once

#include <optional>
#include <string>

#include "compiler/compile_entry.h"
#include "compiler/fault.h"
#include "compiler/memorizza_percorso.h"
#include "model/percorso.h"

namespace sc {

struct Descriptions {
  std::string linea, treno;                 // the two files
  std::optional<std::string> nome, numero;  // --name, --train as given
};

// `p` holds the identity the files are compiled under and receives the
// route model; the faults and warnings go to `log`. The description files
// are only read, each once.
Compilation compile_descriptions(Percorso& p, int32_t modo, const Descriptions& d, FaultLog& log);

// The same from the two descriptions as the caller already holds them (an
// editor's buffers, or a file read by the caller); `d` names the files.
Compilation compile_descriptions(Percorso& p, int32_t modo, const Descriptions& d,
                                 const DescriptionText& linea, const DescriptionText& treno,
                                 FaultLog& log);

// The whole of the description file at `path`, or why it cannot be had;
// diagnostics name it by `path`. The file is opened once, checked on that
// descriptor (a regular file of at most description_limit bytes) and read
// from it. `reason`, when given, receives why it was not read in the words
// of unreadable() (cli/shared_inputs.h), or "".
DescriptionText read_description(const std::string& path, std::string* reason = nullptr);

}  // namespace sc
