// explain: what a fault, warning or note means, the rule behind it, how to
// fix it and an example, from the catalogue of codes.
#include <ostream>
#include <sstream>

#include "cli/commands.h"
#include "cli/shared_inputs.h"
#include "compiler/fault_catalogue.h"
#include "output/terminal_text.h"

namespace sc {
namespace {

constexpr size_t width = 78;
constexpr const char* indent = "  ";

// `text` in lines of at most `width` characters (a longer word stands
// alone), each indented.
std::string wrapped(std::string_view text) {
  std::istringstream parole{std::string(text)};
  std::string s, line, word;
  while (parole >> word) {
    if (!line.empty() && std::string(indent).size() + line.size() + 1 + word.size() > width) {
      s += indent + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty()) s += indent + line + "\n";
  return s;
}

std::string_view description_name(ExampleFile f) {
  return f == ExampleFile::linea ? "line" : "train";
}

std::string explanation(const CodeEntry& v) {
  std::string s = std::string(v.codice) + ": " + std::string(v.title) + " (" +
                  std::string(severity_name(v.severity)) + ")\n\nWhat it means\n" +
                  wrapped(v.meaning) + "\nThe rule\n" + wrapped(v.rule) + "\nHow to fix it\n" +
                  wrapped(v.remedy) + "\n";
  if (v.file == ExampleFile::none) {
    s += "Example\n";
  } else {
    s += "Example (" + std::string(description_name(v.file)) + " description)\n";
  }
  s += indent + std::string(v.example) + "\nFixed\n" + indent + std::string(v.fix) + "\n";
  if (v.file != ExampleFile::none) {
    s += "\nTry it\n";
    const std::string fixture =
        "Export the embedded scenario (scenario-compiler export) and, in its " +
        std::string(description_name(v.file)) + " description, ";
    if (v.replaces.empty()) {
      s += wrapped(fixture + "add the example line before \"[fine]\".");
    } else {
      s += wrapped(fixture + "put the example line in place of this one:") + indent +
           std::string(v.replaces) + "\n";
    }
  }
  s += "\nSee docs/format.md, section \"" + std::string(v.section) + "\".\n";
  return s;
}

}  // namespace

int cmd_explain(const std::optional<std::string>& codice, bool listing, std::ostream& out,
                std::ostream& err) {
  if (listing) {
    for (const CodeEntry& v : fault_catalogue()) {
      std::string c(v.codice), g(severity_name(v.severity));
      c.resize(7, ' ');
      g.resize(9, ' ');
      out << c << g << v.title << "\n";
    }
    return status_ok;
  }
  const CodeEntry* v = codice ? find_code(*codice) : nullptr;
  if (v == nullptr) {
    err << program_name << ": explain: unknown code \"" << terminal_text(codice.value_or(""))
        << "\"; codes are written E16 (or 16), W3, N1; "
        << "'" << program_name << " explain --list' lists them all" << std::endl;
    return status_usage;
  }
  out << explanation(*v);
  return status_ok;
}

}  // namespace sc
