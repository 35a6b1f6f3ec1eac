// The entry of the scenario picture: finding and reading the three compiled
// files, the page (title, plan view with legend and station list beside
// it, profile below), and writing it as SVG or PNG.
#include "plot/plot.h"

#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "format/celle.h"
#include "format/compiled_decode.h"
#include "format/nomi_compilati.h"
#include "plot/plot_internal.h"
#include "compiler/codici_gara.h"
#include "output/file_output.h"
#include "compiler/testo.h"

namespace sc {
namespace {

namespace fs = std::filesystem;
using namespace plot_detail;

// ---------------------------------------------------------------- files

// ---------------------------------------------------------------- the page

std::string quanti(size_t n, const std::string& cosa) {
  return std::to_string(n) + " " + cosa + (n == 1 ? "" : "s");
}

// The title, a line of counts, and a warning when the compile stopped at a fault.
void intestazione(Tela& t, const ScenarioCompilato& sc, const Contenuto& c) {
  const double s = t.s();
  std::string titolo = c.nome_scenario.empty() ? "Compiled scenario" : c.nome_scenario;
  if (!c.numero_treno.empty()) titolo += "  \u2013  train " + c.numero_treno;
  t.carattere(20, true);
  t.colore(nero);
  t.testo(24 * s, 16 * s, titolo, 0, 0);
  const double fine_titolo = 24 * s + t.larghezza(titolo);
  char sotto[256];
  std::snprintf(sotto, sizeof sotto,
                "line %.1f km, %s, %s, %s, %s, %s, %s", c.lunghezza_linea / 1000,
                quanti(sc.celle.size(), "cell").c_str(), quanti(c.stazioni.size(), "station").c_str(),
                quanti(c.segnali.size(), "signal").c_str(), quanti(c.gallerie.size(), "tunnel").c_str(),
                quanti(c.rallentamenti.size(), "restriction").c_str(),
                quanti(c.codici.size(), "cab-code point").c_str());
  t.carattere(11.5);
  t.colore(grigio_testo);
  t.testo(24 * s, 44 * s, sotto, 0, 0);
  if (c.arresto) {
    t.carattere(12, true);
    t.colore(guasto);
    t.testo(fine_titolo + 30 * s, 20 * s, avviso_arresto(*c.arresto), 0, 0);
  }
}

void disegna(cairo_t* cr, const ScenarioCompilato& sc, double w, double h, const OpzioniPlot& o,
             std::vector<TestoSvg>* testi) {
  // Everything scales with the picture, but text never below 3/4 of its
  // size at 1600x1000.
  const double s = std::max(0.75, std::min(w / 1600, h / 1000));
  Tela t(cr, s, testi);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  Contenuto c = raccogli(sc);
  if (o.da) c.inizio_profilo = *o.da;
  if (o.a) c.fine_profilo = *o.a;
  intestazione(t, sc, c);

  // The plan takes the top area but a narrow column on the right, where
  // the legend and below it the station list and the train go; a plan
  // narrower than its room (same scale on both axes) is centred in it.
  const double alto0 = 76 * s, alto1 = h * 0.56;
  const double colonna = 330 * s, spazio = 30 * s;
  const double limite = std::max(w - 24 * s - colonna - spazio, 200 * s);
  const double piano = disegna_piano(t, sc, c, 24 * s, alto0, limite, alto1, true) - 24 * s;
  const double x0 = 24 * s + std::max(0.0, (limite - 24 * s - piano) / 2);
  disegna_piano(t, sc, c, x0, alto0, x0 + piano + 1, alto1);
  const double x = limite + spazio;
  const double fine = disegna_legenda(t, x, alto0, alto1 + 20 * s);
  disegna_info(t, c, x, fine + 12 * s, alto1 + 20 * s);
  cairo_set_source_rgb(cr, 0.8, 0.8, 0.82);
  t.linea(24 * s, alto1 + 22 * s, w - 24 * s, alto1 + 22 * s, 1);
  disegna_profilo(t, sc, c, 110 * s, alto1 + 32 * s, w - 30 * s, h - 48 * s);
}

// std::invalid_argument for a stretch of the profile outside the line.
void controlla_tratto(const ScenarioCompilato& scenario, const OpzioniPlot& o) {
  const size_t n = scenario.celle.size();
  const double fine_linea = std::max(1000.0, static_cast<double>(n > 3 ? n - 3 : n) * metri_cella);
  const double da = o.da.value_or(0), a = o.a.value_or(fine_linea);
  if (!(da >= 0) || !(a > da) || !(da < fine_linea) || !std::isfinite(a)) {
    throw std::invalid_argument("the stretch from " + numero_asse(da / 1000, 0.001) + " to " +
                                numero_asse(a / 1000, 0.001) + " km is not within the line (0 to " +
                                numero_asse(fine_linea / 1000, 0.001) + " km)");
  }
}

}  // namespace

std::string plot_detail::avviso_arresto(double metri) {
  char t[200];
  std::snprintf(t, sizeof t,
                "from a compile that stopped at a fault: no speed from %.1f km on, nothing placed after the fault",
                metri / 1000);
  return t;
}

std::optional<double> arresto_compilazione(const std::vector<Cella>& celle) {
  // The end fill reaches cell U - 3, the fourth cell from the end.
  if (celle.size() < 5) return std::nullopt;
  const size_t ultima = celle.size() - 4;
  if (celle[ultima].velocita != 0) return std::nullopt;
  size_t i = ultima;
  while (i > 0 && celle[i - 1].velocita == 0) --i;
  return static_cast<double>(i) * metri_cella;
}

std::string scenari_diversi(const FileCompilati& f, const ScenarioCompilato& sc) {
  const std::string base = f.celle.stem().string();
  if (f.elementi.stem().string() != base) {
    return f.celle.filename().string() + " and " + f.elementi.filename().string() +
           " are not of one scenario and train (NAME_NUMBER.dat and NAME_NUMBER.sim)";
  }
  const std::string piano = f.tracciato.filename().string();
  const std::string scenario = piano.substr(0, piano.size() - std::string("_linea.dat").size());
  if (!base.starts_with(scenario + "_")) {
    return f.tracciato.filename().string() + " is not the track plan of " + base + " (NAME_linea.dat)";
  }
  // The contents are compared only for cells that carry the compile's mark
  // in cell 1: other files (edited by hand, damaged) are drawn as they are.
  if (sc.celle.size() < 2 || sc.celle[1].valore_1 != marca_celle) return "";
  const Elemento& nome = sc.elementi.at(record_sfondo_identita);
  const Elemento& treno = sc.elementi.at(record_ripetizione);
  {
    const int16_t atteso = somma_gara(testo_gara(treno.nome, nome.nome));
    if (sc.celle[1].valore_2 != atteso) {
      return f.celle.filename().string() + " holds the contest code " + std::to_string(sc.celle[1].valore_2) +
             " in cell 1, where scenario \"" + utf8_da_1252(nome.nome) + "\" train \"" +
             utf8_da_1252(treno.nome) + "\" of " + f.elementi.filename().string() + " has " +
             std::to_string(atteso);
    }
  }
  const int32_t lunghezza = sc.elementi.at(record_treno_linea).fine;
  if (lunghezza >= 0 && lunghezza <= lunghezza_massima) {
    const size_t celle = static_cast<size_t>(ultima_cella_per(lunghezza)) + 1;
    if (sc.celle.size() != celle) {
      return f.celle.filename().string() + " holds " + std::to_string(sc.celle.size()) + " cells, where the " +
             std::to_string(lunghezza) + " m line of " + f.elementi.filename().string() + " has " +
             std::to_string(celle);
    }
    const int32_t righe = lunghezza + coda_linea + 1;
    if (sc.tracciato.presente() && sc.tracciato.righe() != righe) {
      return f.tracciato.filename().string() + " holds " + std::to_string(sc.tracciato.righe()) +
             " rows, where the " + std::to_string(lunghezza) + " m line of " + f.elementi.filename().string() +
             " has " + std::to_string(righe);
    }
  }
  return "";
}

FileCompilati trova_file_scenario(const std::vector<fs::path>& ingressi) {
  const ScenarioFiles f = find_scenario_files(ingressi, true);
  return {f.celle, f.elementi, *f.tracciato};
}

ScenarioCompilato leggi_scenario(const FileCompilati& file) {
  const auto con_nome = [](const fs::path& p, FileCompilato tipo, auto&& decodifica) {
    try {
      return decodifica(leggi_file_compilato(p, tipo));
    } catch (const DecodeError& e) {
      throw DecodeError(e.offset(), p.string() + ": " + e.what());
    }
  };
  ScenarioCompilato sc;
  sc.celle = con_nome(file.celle, FileCompilato::celle, [](const std::string& d) { return decodifica_celle(d); });
  sc.elementi = con_nome(file.elementi, FileCompilato::elementi, [](const std::string& d) { return decodifica_elementi(d); });
  sc.tracciato = con_nome(file.tracciato, FileCompilato::tracciato, [](const std::string& d) { return decodifica_tracciato(d); });
  return sc;
}

void disegna_scenario(const ScenarioCompilato& scenario, const fs::path& uscita, const OpzioniPlot& o) {
  if (o.larghezza < 400 || o.altezza < 300 || o.larghezza > 10000 || o.altezza > 10000) {
    throw std::invalid_argument("picture size " + std::to_string(o.larghezza) + "x" +
                                std::to_string(o.altezza) + " is outside 400x300 to 10000x10000");
  }
  const std::string estensione = minuscole_1252(uscita.extension().string());
  const bool svg = estensione == ".svg";
  if (!svg && estensione != ".png") {
    throw std::invalid_argument("output \"" + uscita.string() + "\" must end in .svg or .png");
  }
  // Cairo says only that the stream failed: the folder is named here.
  if (const fs::path cartella = uscita.parent_path(); !cartella.empty()) {
    std::error_code ec;
    if (!fs::is_directory(cartella, ec)) {
      throw std::runtime_error("cannot write " + uscita.string() + ": the folder " + cartella.string() +
                               (fs::exists(cartella, ec) ? " is not a folder" : " does not exist"));
    }
  }
  controlla_tratto(scenario, o);
  // The picture is made whole, then replaces the output through the one
  // replacement routine: a failed plot leaves the earlier picture.
  const std::string bytes = disegna_in_memoria(scenario, o, svg);
  if (auto motivo = sostituisci_file(uscita.string(), bytes)) throw std::runtime_error(*motivo);
}

std::string disegna_in_memoria(const ScenarioCompilato& scenario, const OpzioniPlot& o, bool svg) {
  if (o.larghezza < 400 || o.altezza < 300 || o.larghezza > 10000 || o.altezza > 10000) {
    throw std::invalid_argument("picture size " + std::to_string(o.larghezza) + "x" +
                                std::to_string(o.altezza) + " is outside 400x300 to 10000x10000");
  }
  std::string bytes;
  const auto aggiungi = [](void* chiusura, const unsigned char* dati, unsigned int n) {
    static_cast<std::string*>(chiusura)->append(reinterpret_cast<const char*>(dati), n);
    return CAIRO_STATUS_SUCCESS;
  };
  const auto distruggi = [](cairo_surface_t* s) { cairo_surface_destroy(s); };
  std::unique_ptr<cairo_surface_t, decltype(distruggi)> superficie(
      svg ? cairo_svg_surface_create_for_stream(aggiungi, &bytes, o.larghezza, o.altezza)
          : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, o.larghezza, o.altezza),
      distruggi);
  if (svg) cairo_svg_surface_set_document_unit(superficie.get(), CAIRO_SVG_UNIT_PX);
  controlla_tratto(scenario, o);
  cairo_t* cr = cairo_create(superficie.get());
  std::vector<TestoSvg> testi;
  disegna(cr, scenario, o.larghezza, o.altezza, o, svg ? &testi : nullptr);
  cairo_status_t stato = cairo_status(cr);
  cairo_destroy(cr);
  if (stato == CAIRO_STATUS_SUCCESS) {
    if (svg) {
      cairo_surface_finish(superficie.get());
      stato = cairo_surface_status(superficie.get());
      const size_t fine = bytes.rfind("</svg>");
      if (stato == CAIRO_STATUS_SUCCESS && fine != std::string::npos) bytes.insert(fine, elementi_svg(testi));
    } else {
      stato = cairo_surface_write_to_png_stream(superficie.get(), aggiungi, &bytes);
    }
  }
  if (stato != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(std::string("drawing failed: ") + cairo_status_to_string(stato));
  }
  return bytes;
}

void plot_scenario(const std::vector<fs::path>& ingressi, const fs::path& uscita, const OpzioniPlot& o) {
  disegna_scenario(leggi_scenario(trova_file_scenario(ingressi)), uscita, o);
}

}  // namespace sc

// Cairo's text drawing keeps a few fontconfig patterns for the life of the
// process, allocated inside fontconfig where LeakSanitizer cannot see the
// pointers that hold them (the embedded run's window says the same for
// FLTK; the two never share a program). Used only by sanitizer builds.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
