// Train sheet of train 409: header boxes and the timetable grid.

#include "writers/content.h"
#include "writers/scenario.h"

namespace sc {

const std::vector<std::string>& sheet_table() {
  static const std::vector<std::string> table = [] {
    std::vector<std::string> t{
        "",
        "",
        "  ___________________                                               ______________",
        " |                   |                    SCHEDA                   |              |",
        " |   TRENO n.409     |                   da: PRAVENA               |    V200 C    |",
        " |___________________|                    a: CORVALE               |     120%     |",
        "                                                                   |______________|",
        "  ___________________                ___________________",
        " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
        " |    EUROSTAR       |              |      580T         |",
        " |___________________|              |___________________|",
        "",
        "  ________________________________________________________________________________",
        " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
        " | Lim.|Marc.|          |  Rs |                            |                |     |",
        " |_____|_____|__________|_____|____________________________|________________|_____|",
        " |     |     |          |     |                            |                |     |",
        " | 250 | 250 |  0.000   |     |    CORVALE                 |    11.20.00    |     |",
        " |     |     |          |     |                            |                |     |",
        " |     |     |          |     |    S.PELLEGRINO            |                |     |",
        " |     |     |          |     |                            |                |     |",
        " |     |     |  83.000  |     |    PRAVENA S.M.N.          |    12.00.00    |     |",
    };
    // The empty grid rows under the timetable, all alike.
    t.insert(t.end(), 25,
             " |     |     |          |     |                            |                |     |");
    t.insert(
        t.end(),
        {
            " |_____|_____|__________|_____|____________________________|________________|_____|",
            "",
            marcatore_fine,
        });
    return t;
  }();
  return table;
}

}  // namespace sc
