// One scenario's files and their compile for the editor: a line
// description NAME_linea.txt and the train descriptions NAME_NUMBER-.txt
// beside it, paired by the naming rule of compile and check, and the
// diagnostics of each compile as the protocol publishes them.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/fault.h"
#include "lsp/text.h"

namespace sc::lsp {

struct ScenarioFiles {
  std::optional<std::string> line;  // absent: none beside the train description
  std::vector<std::string> trains;  // by name
  std::string line_name;            // NAME_linea.txt expected, when `line` is absent
  bool described = true;            // false: the file follows neither name of the rule
};

// The scenario a description at `path` belongs to, from the files in its
// folder and the documents open in the editor (`open`, which may not be
// saved yet).
ScenarioFiles scenario_of(const std::string& path, const std::set<std::string>& open);

// A description as the compile reads it: the editor's buffer encoded as
// its file is on disk, or the file itself.
struct SourceBytes {
  std::optional<std::string> bytes;  // absent: no such file
  DiskEncoding encoding = DiskEncoding::utf8;
  std::string text;  // the same as the editor holds it (UTF-8)
};
using ReadSource = std::function<SourceBytes(const std::string& path)>;

// The diagnostics of each file of the scenario, as arrays of the protocol's
// Diagnostic: each train compiled with the line; the line's own from the
// compile with the first train. `format_doc`: the path of docs/format.md
// for the codes' links (empty: none).
std::map<std::string, nlohmann::json> scenario_diagnostics(const ScenarioFiles& s,
                                                           const ReadSource& read,
                                                           PositionEncoding e,
                                                           const std::string& format_doc);

// Which entry the compile put behind each cell, for the file at `path`:
// a train compiled with the line, a line with its first train; nothing
// when there is no line description to compile.
std::optional<CellOrigins> scenario_origins(const ScenarioFiles& s, const std::string& path,
                                            const ReadSource& read);

// The anchor of a heading of docs/format.md ("Text encoding" gives
// "text-encoding").
std::string heading_anchor(std::string_view heading);

}  // namespace sc::lsp
