#include "viewer/vista_dati.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/compila_descrizioni.h"
#include "cli/identita.h"
#include "output/scrivi_compilazione.h"
#include "compiler/description_keys.h"
#include "compiler/memorizza_percorso.h"
#include "compiler/testo.h"
#include "compiler/tracciato_piano.h"
#include "esamina/esamina.h"
#include "format/compiled_decode.h"
#include "format/posizioni.h"
#include "output/diagnostics.h"
#include "output/file_output.h"
#include "output/nomi_file.h"
#include "output/scrivi_contenuto.h"

namespace sc::vista {

namespace {

namespace fs = std::filesystem;

std::string spoglia(std::string s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  const size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

std::optional<std::string> leggi_testo(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string nome_breve(const std::string& path) { return fs::path(path).filename().string(); }

std::string testo_voce(const Voce& v) {
  std::string s;
  for (const std::string& c : v.campi) s += (s.empty() ? "" : ", ") + c;
  return nome_breve(v.file) + ":" + std::to_string(v.riga) + ": " + s;
}

// Where an entry's keys put their elements, by cell type.
bool chiave_per_tipo(const std::string& chiave, uint8_t tipo) {
  switch (tipo) {
    case tipo_cella::segnale: return chiave == "segnale";
    case tipo_cella::fine_rallentamento:
    case tipo_cella::inizio_rallentamento:
    case tipo_cella::avviso_rallentamento:
    case tipo_cella::approccio_rallentamento: return chiave == "rallentamento";
    case tipo_cella::indicatori_v_max: return chiave == "indicatori_vmax";
    case tipo_cella::cartello_indicatore: return chiave == "cartello_indicatore";
    case tipo_cella::codice:
    case tipo_cella::codice_senza_velocita: return chiave == "abbattimento";
    case tipo_cella::fermata: return chiave == "stazione";
    case tipo_cella::marca_galleria: return chiave == "montagna";
    default: return false;
  }
}

// The entry of a restriction whose warning, start or end stands at `metri`.
bool rallentamento_a(const Voce& v, int64_t metri, uint8_t tipo) {
  const auto x = v.numero(1), l = v.numero(3);
  if (!x) return false;
  switch (tipo) {
    case tipo_cella::inizio_rallentamento: return *x == metri;
    case tipo_cella::avviso_rallentamento: return *x - 1200 == metri;
    case tipo_cella::fine_rallentamento: return l && *x + *l == metri;
    case tipo_cella::approccio_rallentamento: return *x - 1200 > metri && *x - 1200 - 250 <= metri;
    default: return false;
  }
}

VocePannello voce_pannello(const Fault& f, const std::vector<Voce>& voci) {
  VocePannello v;
  v.gravita = f.gravita;
  v.testo = riga_fault(f);
  if (f.where) {
    v.file = f.where->file;
    v.riga = f.where->line;
  }
  v.posizione = f.posizione ? f.posizione : posizione_voce(voci, v.file, v.riga);
  return v;
}

}  // namespace

std::vector<std::string> Sorgente::file_osservati() const {
  if (!da_descrizioni()) {
    if (compilati.size() == 1) {
      try {
        const FileCompilati f = trova_file_scenario({compilati.front()});
        return {f.celle.string(), f.elementi.string(), f.tracciato.string()};
      } catch (const std::exception&) {
        return {compilati.front() + "/."};
      }
    }
    return compilati;
  }
  return {linea, treno};
}

std::optional<int64_t> Voce::numero(size_t i) const {
  if (i >= campi.size()) return std::nullopt;
  const std::string& s = campi[i];
  int64_t v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  return v;
}

std::vector<Voce> voci_descrizione(const std::string& testo, const std::string& file) {
  std::vector<Voce> out;
  std::istringstream in(testo);
  int riga = 0;
  for (std::string linea; std::getline(in, linea);) {
    ++riga;
    const std::string t = spoglia(linea);
    if (t.empty() || t[0] == '[') continue;
    Voce v{file, riga, {}};
    std::string campo;
    std::istringstream campi(t);
    while (std::getline(campi, campo, ',')) v.campi.push_back(spoglia(campo));
    if (v.campi.size() >= 2 && !v.campi.front().empty()) out.push_back(std::move(v));
  }
  return out;
}

Caricamento carica(const Sorgente& s) {
  Caricamento c;
  if (!s.da_descrizioni()) {
    try {
      std::vector<fs::path> ingressi(s.compilati.begin(), s.compilati.end());
      c.scenario = leggi_scenario(trova_file_scenario(ingressi));
      c.esito = "compiled files, read as they are";
    } catch (const std::exception& e) {
      c.errore = e.what();
    }
    return c;
  }
  for (const std::string& f : {s.linea, s.treno}) {
    const std::optional<std::string> testo = leggi_testo(f);
    if (!testo) {
      c.errore = "cannot read \"" + f + "\"";
      return c;
    }
    std::vector<Voce> v = voci_descrizione(*testo, f);
    c.voci.insert(c.voci.end(), std::make_move_iterator(v.begin()),
                  std::make_move_iterator(v.end()));
  }
  const EsitoIdentita id = identita_compilazione(s.linea, s.treno, s.nome, s.numero);
  if (!id.identita) {
    c.errore = id.errore;
    return c;
  }
  Percorso p;
  p.nome_scenario = id.identita->nome_scenario;
  p.numero_treno = id.identita->numero_treno;
  FaultLog log;
  const Compilazione esito = compila_descrizioni(p, 1, {s.linea, s.treno, s.nome, s.numero}, log);
  c.faults = log.all();
  for (const Fault* f : log.in_ordine()) c.pannello.push_back(voce_pannello(*f, c.voci));
  const size_t avvisi = log.numero(Gravita::avviso);
  switch (esito.stato) {
    case Compilazione::Stato::senza_celle:
      c.esito = "stopped before the line length was read: no cells";
      break;
    case Compilazione::Stato::errore_1250:
    case Compilazione::Stato::errore_1251:
      c.esito = "error report: cell 1 already holds an element";
      break;
    case Compilazione::Stato::pronto:
      c.esito = c.faults.empty() ? "compiled without fault" : conta(c.faults.size(), "fault");
      if (avvisi > 0) c.esito += ", " + conta(avvisi, "warning");
      break;
  }
  c.scenario.celle = std::move(p.celle);
  c.scenario.elementi = p.elementi;
  c.scenario.tracciato = tracciato_in_memoria(p.tracciato);
  return c;
}

std::string scrivi_compilati(const Sorgente& s) {
  if (!s.da_descrizioni()) return "these are compiled files already";
  const EsitoIdentita id = identita_compilazione(s.linea, s.treno, s.nome, s.numero);
  if (!id.identita) return id.errore;
  Percorso p;
  p.nome_scenario = id.identita->nome_scenario;
  p.numero_treno = id.identita->numero_treno;
  FaultLog log;
  const Compilazione c = compila_descrizioni(p, 1, {s.linea, s.treno, s.nome, s.numero}, log);
  if (c.stato != Compilazione::Stato::pronto) return "nothing written: the compile gave no files";
  std::string dir = fs::path(s.linea).parent_path().string();
  if (dir.empty()) dir = ".";
  const ScritturaCompilazione scritti = scrivi_compilazione(
      c, p, log, [&](FileCompilato k) { return percorso_file(dir, k, p.nome_scenario, p.numero_treno); });
  if (!scritti.motivo.empty()) return scritti.motivo;
  std::string out = "wrote";
  for (const std::string& f : scritti.scritti) out += " " + nome_breve(f);
  if (!log.empty()) out += " (with " + std::to_string(log.all().size()) + " faults)";
  return out;
}

std::vector<std::string> provenienza(const Caricamento& c, size_t i) {
  std::vector<std::string> out;
  if (i >= c.scenario.celle.size()) return out;
  const Cella& cella = c.scenario.celle[i];
  const int64_t inizio = static_cast<int64_t>(i) * 50;
  const int64_t metri = metri_cella(cella, i, &c.scenario.elementi);
  const Voce* velocita = nullptr;
  const Voce* pendenza = nullptr;
  const Voce* galleria = nullptr;
  for (const Voce& v : c.voci) {
    const std::string& k = v.chiave();
    const auto p = v.numero(1);
    if (!p) continue;
    if (cella.tipo != tipo_cella::vuota && chiave_per_tipo(k, cella.tipo)) {
      const bool qui = k == "rallentamento" ? rallentamento_a(v, metri, cella.tipo)
                       : k == "montagna"    ? false
                                            : *p == metri;
      if (qui) out.push_back(testo_voce(v));
    }
    // The entries in force at the cell: the last one at or before it.
    if (k == "velocita" && *p <= inizio) velocita = &v;
    if (k == "pendenza" && *p <= inizio) pendenza = &v;
    if (k == "montagna" && cella.galleria != 0) {
      const auto fine = v.numero(2);
      if (fine && *p <= inizio && inizio < *fine) galleria = &v;
    }
  }
  for (const Voce* v : {velocita, pendenza, galleria})
    if (v) out.push_back(testo_voce(*v));
  return out;
}

std::vector<std::string> descrivi_cella(const Caricamento& c, size_t i) {
  std::vector<std::string> out;
  if (i >= c.scenario.celle.size()) return out;
  const Cella& x = c.scenario.celle[i];
  const auto* el = &c.scenario.elementi;
  char riga[160];
  std::snprintf(riga, sizeof riga, "cell %zu: %lld to %lld m", i, static_cast<long long>(i) * 50,
                static_cast<long long>(i) * 50 + 50);
  out.push_back(riga);
  if (x.tipo != tipo_cella::vuota) {
    std::string e = nome_tipo_cella(x.tipo) + " at " + std::to_string(metri_cella(x, i, el)) + " m";
    const std::string d = dettaglio_cella(x, i, el);
    if (!d.empty()) e += ": " + d;
    out.push_back(e);
  }
  std::snprintf(riga, sizeof riga, "speed %d km/h, gradient %d per mille, adhesion %d%s",
                x.velocita * 5, x.pendenza - 100, x.aderenza, x.galleria != 0 ? "" : ", no tunnel");
  out.push_back(riga);
  if (x.galleria != 0) out.push_back("tunnel kind " + std::to_string(x.galleria));
  if (x.avviso != 0) out.push_back("avviso " + std::to_string(x.avviso));
  for (const std::string& p : provenienza(c, i)) out.push_back("  from " + p);
  return out;
}

std::string riga_fault(const Fault& f) {
  std::string s = formatta_fault(f);
  return s.substr(0, s.find('\n'));
}

std::optional<int32_t> posizione_voce(const std::vector<Voce>& voci, const std::string& file,
                                      int riga) {
  if (riga <= 0) return std::nullopt;
  for (const Voce& v : voci) {
    if (v.riga != riga || v.file != file) continue;
    const std::optional<int64_t> p = v.numero(1);
    if (!p || !key_with_position(v.chiave()) || *p < INT32_MIN || *p > INT32_MAX)
      return std::nullopt;
    return static_cast<int32_t>(*p);
  }
  return std::nullopt;
}

std::vector<EtichettaCartello> etichette_cartelli(const ScenarioCompilato& s, size_t da, size_t a) {
  std::vector<EtichettaCartello> out;
  a = std::min(a, s.celle.size());
  for (size_t i = da; i < a; ++i) {
    const Cella& c = s.celle[i];
    std::string testo;
    if (c.tipo == tipo_cella::indicatori_v_max) {
      testo = velocita_cartello(c);
    } else if (c.tipo == tipo_cella::cartello_indicatore) {
      testo = testo_su_una_riga(utf8_da_1252(testo_cartello(c, s.elementi)));
    }
    if (!testo.empty()) out.push_back({i, metri_descrizione(c, i), std::move(testo)});
  }
  return out;
}

}  // namespace sc::vista
