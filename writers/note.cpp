// Scenario notes: text about the line, line data, greeting and signature.
// Accented letters are single Windows-1252 bytes (0xE8, 0xE0).

#include "writers/content.h"
#include "writers/scenario.h"

namespace sc {

const std::vector<std::string>& note_table() {
  static const std::vector<std::string> table{
      "Questa linea AV \xE8"
      " la futura Corvale-Pravena attualmente in costruzione.",
      "La linea \xE8"
      " al 90% corrispondente alla realt\xE0"
      " e le informazioni sono state ricavate da molti depliants della TAV e ITALFERR che ho "
      "trovato su questa futura linea che sar\xE0"
      " pronta nel 2006.",
      "",
      "Ecco alcuni dati:",
      "",
      "",
      " Lunghezza Km. 83",
      " Km. gallerie 73 ",
      " Km allo scoperto 6 ",
      " Pendenza massima 15 per mille",
      " Velocit\xE0"
      " di progetto 300 Km/h",
      " Velocit\xE0"
      " di esercizio 250 Km/h",
      " Raggio di curvatura minimo 5.450 m.",
      " Alimentazione 25 kV c.a. 50 Hz",
      " Interconnessioni 1,5 Km",
      " Tempo di percorrenza attuale 52'",
      " Tempo di percorrenza futuro 30'",
      "",
      "",
      "Il treno simulato \xE8"
      " un EUROSTAR. L'unica stazione \xE8"
      " San Pellegrino (posto di comando) e non ci sono fermate.",
      "La stazione di Pravena sar\xE0"
      " sotterranea e articolata su tre piani.",
      "",
      "Spero che questo scenario sia di Vostro gradimento!",
      "",
      // Signature: an invented author and home town.
      "GIANLUCA VERDANI",
      "",
      "MONTEFIORE (RM)",
      "",
      marcatore_fine,
  };
  return table;
}

}  // namespace sc
