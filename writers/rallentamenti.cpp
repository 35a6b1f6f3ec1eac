// Speed-restriction order (form M. 3): an empty grid and the key of the
// specific prescriptions (kept in the order A, B, D, C). "trenO" and
// "Rallentamneto" are the form's own spellings.

#include "writers/content.h"
#include "writers/scenario.h"

namespace sc {

const std::vector<std::string>& restriction_table() {
  static const std::vector<std::string> table = [] {
    std::vector<std::string> t{
        "",
        "                               Modulo M. 3",
        "                           ORDINE DI RALLENTAMENTO",
        " ________________________________________________________________________________",
        "  Linea CORVALE PRAVENA",
        "",
        "  Si ordina al macchinista del trenO 409 di effettuare i seguenti rallentamenti",
        "  _______________________________________________________________________________",
        " |   |                            |Inizio dopo |          |         |            |",
        " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
        " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
        " |___|____________________________|____________|__________|_________|____________|",
    };
    // The empty grid rows of the order, all alike.
    t.insert(t.end(), 26,
             " |   |                            |            |          |         |            |");
    t.insert(
        t.end(),
        {
            " |___|____________________________|____________|__________|_________|____________|",
            "",
            "              Prescrizioni specifiche",
            " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
            " B - Interessa anche la stazione di.......",
            " D - Rallentamneto N. ... e N. ...  sono contigui",
            " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
            "     i giorni esclusi i seguenti:.........",
            marcatore_fine,
        });
    return t;
  }();
  return table;
}

}  // namespace sc
