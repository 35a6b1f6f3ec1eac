// The entry of the scenario picture: finding and reading the three compiled
// files, the page (title, plan view with legend and station list beside
// it, profile below), and writing it as SVG or PNG.
#include "plot/plot.h"

#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "compiler/codici_gara.h"
#include "compiler/set_agreement.h"
#include "compiler/text_1252.h"
#include "format/celle.h"
#include "format/compiled_decode.h"
#include "format/compiled_names.h"
#include "output/compiled_read.h"
#include "output/file_output.h"
#include "plot/plot_internal.h"

namespace sc {
namespace {

namespace fs = std::filesystem;
using namespace plot_detail;

// ---------------------------------------------------------------- files

// ---------------------------------------------------------------- the page

std::string how_many(size_t n, const std::string& what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// The title, a line of counts, and a warning when the compile stopped at a fault.
void header(Canvas& t, const CompiledScenario& sc, const Content& c) {
  const double s = t.s();
  std::string title = c.nome_scenario.empty() ? "Compiled scenario" : c.nome_scenario;
  if (!c.numero_treno.empty()) title += "  \u2013  train " + c.numero_treno;
  t.ch(20, true);
  t.color(black);
  t.text(24 * s, 16 * s, title, 0, 0);
  const double title_end = 24 * s + t.width(title);
  char below[256];
  std::snprintf(
      below, sizeof below, "line %.1f km, %s, %s, %s, %s, %s, %s", c.linea_length / 1000,
      how_many(sc.celle.size(), "cell").c_str(), how_many(c.stazioni.size(), "station").c_str(),
      how_many(c.segnali.size(), "signal").c_str(), how_many(c.tunnels.size(), "tunnel").c_str(),
      how_many(c.rallentamenti.size(), "restriction").c_str(),
      how_many(c.codes.size(), "cab-code point").c_str());
  t.ch(11.5);
  t.color(grey_text);
  t.text(24 * s, 44 * s, below, 0, 0);
  if (c.stop) {
    t.ch(12, true);
    t.color(damaged);
    t.text(title_end + 30 * s, 20 * s, stop_warning(*c.stop), 0, 0);
  }
}

void draw(cairo_t* cr, const CompiledScenario& sc, double w, double h, const PlotOptions& o,
          std::vector<SvgText>* texts) {
  // Everything scales with the picture, but text never below 3/4 of its
  // size at 1600x1000.
  const double s = std::max(0.75, std::min(w / 1600, h / 1000));
  Canvas t(cr, s, texts);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  Content c = collect(sc);
  if (o.from) c.profile_start = *o.from;
  if (o.a) c.profile_end = *o.a;
  header(t, sc, c);

  // The plan takes the top area but a narrow column on the right, where
  // the legend and below it the station list and the train go; a plan
  // narrower than its room (same scale on both axes) is centred in it.
  const double top0 = 76 * s, top1 = h * 0.56;
  const double column = 330 * s, space = 30 * s;
  const double limit = std::max(w - 24 * s - column - space, 200 * s);
  const double plan = draw_plan(t, sc, c, 24 * s, top0, limit, top1, true) - 24 * s;
  const double x0 = 24 * s + std::max(0.0, (limit - 24 * s - plan) / 2);
  draw_plan(t, sc, c, x0, top0, x0 + plan + 1, top1);
  const double x = limit + space;
  const double fine = draw_legend(t, x, top0, top1 + 20 * s);
  draw_info(t, c, x, fine + 12 * s, top1 + 20 * s);
  cairo_set_source_rgb(cr, 0.8, 0.8, 0.82);
  t.linea(24 * s, top1 + 22 * s, w - 24 * s, top1 + 22 * s, 1);
  draw_profile(t, sc, c, 110 * s, top1 + 32 * s, w - 30 * s, h - 48 * s);
}

// std::invalid_argument for a stretch of the profile outside the line.
void check_stretch(const CompiledScenario& scenario, const PlotOptions& o) {
  const size_t n = scenario.celle.size();
  const double linea_end_color =
      std::max(1000.0, static_cast<double>(n > 3 ? n - 3 : n) * cella_metres);
  const double from = o.from.value_or(0), a = o.a.value_or(linea_end_color);
  if (!(from >= 0) || !(a > from) || !(from < linea_end_color) || !std::isfinite(a)) {
    throw std::invalid_argument("the stretch from " + axis_number(from / 1000, 0.001) + " to " +
                                axis_number(a / 1000, 0.001) + " km is not within the line (0 to " +
                                axis_number(linea_end_color / 1000, 0.001) + " km)");
  }
}

}  // namespace

std::string plot_detail::stop_warning(double metres) {
  char t[200];
  std::snprintf(t, sizeof t,
                "from a compile that stopped at a fault: no speed from %.1f km on, nothing placed "
                "after the fault",
                metres / 1000);
  return t;
}

std::optional<double> compile_stop(const std::vector<Cella>& celle) {
  const std::optional<size_t> cell = compile_stop_cell(celle);
  if (!cell) return std::nullopt;
  return static_cast<double>(*cell) * cella_metres;
}

std::string different_scenarios(const CompiledPaths& f, const CompiledScenario& sc) {
  const std::string base = f.celle.stem().string();
  if (f.elementi.stem().string() != base) {
    return f.celle.filename().string() + " and " + f.elementi.filename().string() +
           " are not of one scenario and train (NAME_NUMBER.dat and NAME_NUMBER.sim)";
  }
  const std::string plan = f.tracciato.filename().string();
  const std::string scenario = plan.substr(0, plan.size() - std::string("_linea.dat").size());
  if (!base.starts_with(scenario + "_")) {
    return f.tracciato.filename().string() + " is not the track plan of " + base +
           " (NAME_linea.dat)";
  }
  // The contents are compared only for cells that carry the compile's mark
  // in cell 1: other files (edited by hand, damaged) are drawn as they are.
  if (sc.celle.size() < 2 || sc.celle[1].valore_1 != marca_celle) return "";
  const Elemento& nome = sc.elementi.at(record_sfondo_identita);
  const Elemento& treno = sc.elementi.at(record_ripetizione);
  {
    const int16_t expected = contest_sum(contest_text(treno.nome, nome.nome));
    if (sc.celle[1].valore_2 != expected) {
      return f.celle.filename().string() + " holds the contest code " +
             std::to_string(sc.celle[1].valore_2) + " in cell 1, where scenario \"" +
             utf8_from_1252(nome.nome) + "\" train \"" + utf8_from_1252(treno.nome) + "\" of " +
             f.elementi.filename().string() + " has " + std::to_string(expected);
    }
  }
  const int32_t lunghezza = sc.elementi.at(record_treno_linea).fine;
  if (lunghezza >= 0 && lunghezza <= max_length) {
    const size_t celle = static_cast<size_t>(last_cell_for(lunghezza)) + 1;
    if (sc.celle.size() != celle) {
      return f.celle.filename().string() + " holds " + std::to_string(sc.celle.size()) +
             " cells, where the " + std::to_string(lunghezza) + " m line of " +
             f.elementi.filename().string() + " has " + std::to_string(celle);
    }
    const int32_t rows = lunghezza + coda_linea + 1;
    if (sc.tracciato.present() && sc.tracciato.rows() != rows) {
      return f.tracciato.filename().string() + " holds " + std::to_string(sc.tracciato.rows()) +
             " rows, where the " + std::to_string(lunghezza) + " m line of " +
             f.elementi.filename().string() + " has " + std::to_string(rows);
    }
  }
  return "";
}

std::vector<std::string> mixed_set_warnings(const CompiledPaths& f, const CompiledScenario& sc) {
  std::vector<std::string> out = set_disagreements(
      {sc.celle, sc.elementi,
       sc.tracciato.present() ? std::optional<int32_t>(sc.tracciato.rows()) : std::nullopt,
       f.celle.string(), f.elementi.string(), f.tracciato.string()});
  if (auto stale = stale_plan(f.tracciato, f.celle)) out.push_back(*stale);
  return out;
}

CompiledPaths find_scenario_files(const std::vector<fs::path>& inputs) {
  const ScenarioFiles f = find_scenario_files(inputs, true);
  return {f.celle, f.elementi, *f.tracciato};
}

CompiledScenario read_scenario(const CompiledPaths& file) {
  const auto with_name = [](const fs::path& p, CompiledKind tipo, auto&& decode) {
    try {
      return decode(read_compiled_file(p, tipo));
    } catch (const DecodeError& e) {
      throw DecodeError(e.offset(), p.string() + ": " + e.what());
    }
  };
  CompiledScenario sc;
  sc.celle = with_name(file.celle, CompiledKind::celle,
                       [](const std::string& d) { return decode_cells(d); });
  sc.elementi = with_name(file.elementi, CompiledKind::elementi,
                          [](const std::string& d) { return decode_elements(d); });
  try {
    // Read in pieces and held as its steps: neither the file nor its rows
    // are ever held whole.
    const OpenCompiled opened = open_compiled_file(file.tracciato, CompiledKind::tracciato);
    sc.tracciato = CompactPlan::read(PlanFile(opened.reader(file.tracciato), opened.size));
  } catch (const DecodeError& e) {
    throw DecodeError(e.offset(), file.tracciato.string() + ": " + e.what());
  }
  return sc;
}

void draw_scenario(const CompiledScenario& scenario, const fs::path& output, const PlotOptions& o) {
  if (o.width < 400 || o.height < 300 || o.width > 10000 || o.height > 10000) {
    throw std::invalid_argument("picture size " + std::to_string(o.width) + "x" +
                                std::to_string(o.height) + " is outside 400x300 to 10000x10000");
  }
  const std::string extension = lowercase_1252(output.extension().string());
  const bool svg = extension == ".svg";
  if (!svg && extension != ".png") {
    throw std::invalid_argument("output \"" + output.string() + "\" must end in .svg or .png");
  }
  // Cairo says only that the stream failed: the folder is named here.
  if (const fs::path dir = output.parent_path(); !dir.empty()) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
      throw std::runtime_error("cannot write " + output.string() + ": the folder " + dir.string() +
                               (fs::exists(dir, ec) ? " is not a folder" : " does not exist"));
    }
  }
  check_stretch(scenario, o);
  // The picture is made whole, then replaces the output through the one
  // replacement routine: a failed plot leaves the earlier picture.
  const std::string bytes = draw_in_memory(scenario, o, svg);
  if (auto reason = replace_file(output.string(), bytes)) throw std::runtime_error(*reason);
}

std::string draw_in_memory(const CompiledScenario& scenario, const PlotOptions& o, bool svg) {
  if (o.width < 400 || o.height < 300 || o.width > 10000 || o.height > 10000) {
    throw std::invalid_argument("picture size " + std::to_string(o.width) + "x" +
                                std::to_string(o.height) + " is outside 400x300 to 10000x10000");
  }
  std::string bytes;
  const auto append = [](void* close, const unsigned char* dati, unsigned int n) {
    static_cast<std::string*>(close)->append(reinterpret_cast<const char*>(dati), n);
    return CAIRO_STATUS_SUCCESS;
  };
  const auto destroy = [](cairo_surface_t* s) { cairo_surface_destroy(s); };
  std::unique_ptr<cairo_surface_t, decltype(destroy)> surface(
      svg ? cairo_svg_surface_create_for_stream(append, &bytes, o.width, o.height)
          : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, o.width, o.height),
      destroy);
  if (svg) cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PX);
  check_stretch(scenario, o);
  cairo_t* cr = cairo_create(surface.get());
  std::vector<SvgText> texts;
  draw(cr, scenario, o.width, o.height, o, svg ? &texts : nullptr);
  cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  if (status == CAIRO_STATUS_SUCCESS) {
    if (svg) {
      cairo_surface_finish(surface.get());
      status = cairo_surface_status(surface.get());
      const size_t fine = bytes.rfind("</svg>");
      if (status == CAIRO_STATUS_SUCCESS && fine != std::string::npos)
        bytes.insert(fine, elementi_svg(texts));
    } else {
      status = cairo_surface_write_to_png_stream(surface.get(), append, &bytes);
    }
  }
  if (status != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(std::string("drawing failed: ") + cairo_status_to_string(status));
  }
  return bytes;
}

void plot_scenario(const std::vector<fs::path>& inputs, const fs::path& output,
                   const PlotOptions& o) {
  draw_scenario(read_scenario(find_scenario_files(inputs)), output, o);
}

}  // namespace sc

// Cairo's text drawing keeps a few fontconfig patterns for the life of the
// process, allocated inside fontconfig where LeakSanitizer cannot see the
// pointers that hold them (the embedded run's window says the same for
// FLTK; the two never share a program). Used only by sanitizer builds.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
