#include "compiler/fault_catalogue.h"

#include <array>
#include <cctype>

namespace sc {
namespace {

using enum Severity;
using enum ExampleFile;

constexpr std::string_view remove_line = "(delete the line)";

// The exported lines the examples replace.
constexpr std::string_view exported_length = "lunghezza percorso,    92000";
constexpr std::string_view exported_ripetizione = "ripetizione segnali 9 codici,    1000,    80000";
constexpr std::string_view segnale_3500 = "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0";
constexpr std::string_view stazione_29950 =
    "stazione,   29950, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, SAN PELLEGRINO";
constexpr std::string_view free_restriction = "rallentamento,  5000,  60,  500,  1,  0,  0";
constexpr std::string_view cartello_4400 =
    "cartello_indicatore,  4400,   (GALLERIA PIANORO)( Km. 10.710     )";

constexpr std::array entries{
    // --- faults of the line description ---------------------------------
    CodeEntry{"E1", errore, "line length out of range",
              "The \"lunghezza percorso\" entry gives a line length above 1000000 m (or below 0). "
              "The line "
              "description is read no further and the train description is not read.",
              "The line is at most 1000000 m long; the cells and the track plan are sized from it.",
              "Give the length of the line in metres, from 0 to 1000000.", linea, exported_length,
              "lunghezza percorso,    1000001", exported_length, "lunghezza percorso"},
    CodeEntry{
        "E2", errore, "kilometre reference not on the 50 m grid",
        "After both descriptions were read, the first or second value of one of the three "
        "\"progressiva "
        "chilometrica\" entries is not a multiple of 50. The fault is found at the end of the "
        "train "
        "description and is reported at the entry of the line description that gave the value.",
        "The first two values of each kilometre reference must be multiples of 50, after the three "
        "references have been put in order (the one with the largest first value first).",
        "Write the first two values of every \"progressiva chilometrica\" entry as multiples of "
        "50.",
        linea, "progressiva chilometrica uno,    0,    0,    0",
        "progressiva chilometrica uno,    1025,    0,    0",
        "progressiva chilometrica uno,    1000,    0,    0", "progressiva chilometrica"},
    CodeEntry{
        "E3", errore, "first ripetizione value not a multiple of 50",
        "The first value of the \"ripetizione segnali\" entry is not a multiple of 50. The line "
        "description is read no further.",
        "Both values of \"ripetizione segnali\" are distances in metres on the 50 m grid.",
        "Round the first value to a multiple of 50.", linea, exported_ripetizione,
        "ripetizione segnali 9 codici,    1025,    80000", exported_ripetizione,
        "ripetizione segnali"},
    CodeEntry{
        "E4", errore, "second ripetizione value not a multiple of 50",
        "The second value of the \"ripetizione segnali\" entry is not a multiple of 50. The line "
        "description is read no further.",
        "Both values of \"ripetizione segnali\" are distances in metres on the 50 m grid.",
        "Round the second value to a multiple of 50.", linea, exported_ripetizione,
        "ripetizione segnali 9 codici,    1000,    80025", exported_ripetizione,
        "ripetizione segnali"},
    CodeEntry{"E5", errore, "ripetizione key names no code count",
              "The key of the \"ripetizione segnali\" entry holds neither the digit 4 nor the "
              "digit 9, so the number "
              "of signal-repetition codes is unknown. The line description is read no further.",
              "The key itself says how many codes the cab signalling has: \"ripetizione segnali 4 "
              "codici\" or "
              "\"ripetizione segnali 9 codici\".",
              "Write 4 or 9 in the key.", linea, exported_ripetizione,
              "ripetizione segnali codici,    1000,    80000", exported_ripetizione,
              "ripetizione segnali"},
    CodeEntry{"E6", errore, "indication board on a taken cell",
              "An indication board (\"cartello_indicatore\") falls in a cell that already holds an "
              "element, such as "
              "another board. The line description is read no further.",
              "A board takes the cell after the 50 m cell of its position (position / 50 + 1, "
              "halves rounded to "
              "even); that cell must be empty or a tunnel marker.",
              "Move the board to a position whose cell is free: at least 50 m from any other "
              "element of the line.",
              linea, "", "cartello_indicatore,  4400,   (GALLERIA PIANORO)",
              "cartello_indicatore,  4500,   (GALLERIA PIANORO)", "cartello_indicatore"},
    CodeEntry{"E7", errore, "cab-code point on a taken cell",
              "An \"abbattimento\" entry falls in a cell that already holds an element (a signal, "
              "a station stop, "
              "another cab-code point ...). The train description is read no further.",
              "A cab-code point takes the 50 m cell of its own position (position / 50, halves "
              "rounded to even), "
              "where signals and restrictions take the cell after it; that cell must be empty or a "
              "tunnel marker.",
              "Move the cab-code point by 50 m or more, off the element that holds the cell.",
              treno, "", "abbattimento,   3550,   280", "abbattimento,   3650,   280",
              "abbattimento"},
    CodeEntry{
        "E8", errore, "station position not a multiple of 50",
        "The position of a \"stazione\" entry is not a multiple of 50. The train description is "
        "read no "
        "further.",
        "Stations stand on the 50 m grid.",
        "Round the station's position (its first value) to a multiple of 50.", treno,
        stazione_29950,
        "stazione,   29975, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, SAN PELLEGRINO",
        stazione_29950, "stazione"},
    CodeEntry{
        "E9", errore, "station length not a multiple of 100",
        "The length of a \"stazione\" entry (its third value) is not a multiple of 100. The train "
        "description "
        "is read no further.",
        "A station's extent is worked out from its length in whole 50 m cells, half of it on "
        "either side for "
        "centred stations.",
        "Round the length to a multiple of 100.", treno, stazione_29950,
        "stazione,   29950, 12,  450,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, SAN PELLEGRINO",
        stazione_29950, "stazione"},
    CodeEntry{"E10", errore, "element table full",
              "The element table has no record left: the stations and the indication-board texts "
              "share records 1 "
              "to 80, stations counting up from 1 and board texts down from 80. Either a station "
              "would take a "
              "record of a board text, or an 81st indication board has no record at all. The "
              "description is read "
              "no further.",
              "With b indication boards, at most 78 - b stations fit (at most 80 boards with no "
              "station).",
              "Use fewer stations or fewer indication boards.", none, "",
              "stazione,   ...  (the 67th station of a line that has 12 indication boards)",
              "(one station or one indication board less)", "stazione"},
    CodeEntry{"E11", errore, "no room for a cab-code cell before a signal",
              "A signal stands within 1000 m (20 cells) before the warning board of a speed "
              "restriction, and "
              "neither of the two cells just before the signal is free or already a cab-code cell. "
              "The compiled "
              "files are still written; the fault is found on the cells and is reported at the "
              "signal's entry, with "
              "notes at the restriction and at the entries that took the two cells.",
              "Every signal in the 1000 m before a restriction's warning board gets a cab-code "
              "cell of at most "
              "180 km/h in one of the two cells just before it (the cell of the signal is its "
              "position / 50 + 1).",
              "Move the restriction, the signal, or the elements in the 100 m before the signal.",
              none, "",
              "rallentamento,  5000,  60,  1000,  1,  0,  0  (with the two cells before the signal "
              "at 3500 m taken)",
              "rallentamento,  5000,  60,  1000,  1,  0,  0  (with one of those cells free)",
              "Cab-code cells added by the compiler"},
    CodeEntry{
        "E12", errore, "no room for an approach cab-code cell before a restriction",
        "Before the start of a speed restriction one of the three groups of cells that must take a "
        "cab-code "
        "cell (250 to 350 m, 550 to 650 m and 900 to 1000 m before the start cell) has no free "
        "cell. The "
        "compiled files are still written; the fault is reported at the restriction's entry, with "
        "notes at "
        "the entries that took the cells of the group.",
        "Each group needs one free cell (empty or tunnel marker); an existing cab-code cell counts "
        "as taken.",
        "Move the restriction, or the elements that fill that stretch before its start.", none, "",
        "rallentamento,  20000,  60,  1000,  1,  0,  0  (with signals in the cells 250, 300 and "
        "350 m before its start)",
        "rallentamento,  20100,  60,  1000,  1,  0,  0", "Cab-code cells added by the compiler"},
    CodeEntry{"E13", errore, "no room for a cab-code cell inside or after a restriction",
              "Inside a restriction slower than 110 km/h a cab-code cell is due every 400 m and "
              "none of the three "
              "cells around the due one is free; or the first signal within 600 m after the "
              "restriction's end has "
              "neither of the two cells before it free. The compiled files are still written; the "
              "fault is "
              "reported at the entry behind the cells concerned, with notes at the others.",
              "A slow restriction carries a cab-code cell every 8 cells, and the first signal "
              "after its end gets "
              "one just before it.",
              "Move the elements that stand inside the restriction or just before the signal after "
              "it, or move the "
              "restriction.",
              none, "",
              "rallentamento,  20000,  60,  1000,  1,  0,  0  (with elements in the cells 400 m "
              "after its start)",
              "rallentamento,  20000,  60,  1000,  1,  0,  0  (with those cells free)",
              "Cab-code cells added by the compiler"},
    CodeEntry{"E15", errore, "position beyond the line",
              "An entry's position lies beyond the last cell of the line, or the entry would mark "
              "a cell before "
              "cell 0 (a tunnel from -40 m, a board at -80 m). The entries after "
              "it are not read, but the train description is still read when the fault is in the "
              "line description, "
              "and the compiled files are written.",
              "The cells end 7000 m after the line length L; an entry at position p is accepted "
              "when (p + 100) / 50 "
              "is at most (L + 7000) / 50, with 800 in place of 100 for stations. Tunnels, "
              "restrictions and curves "
              "must also end within the cells, and at most 80 tunnels fit.",
              "Move the entry inside the line, or lengthen the line with \"lunghezza percorso\".",
              linea, "", "pendenza,  98950,   0", "pendenza,  98900,   0", "Positions and cells"},
    CodeEntry{"E16", errore, "signal on a taken cell",
              "A \"segnale\" entry falls in a cell that already holds an element: another signal, "
              "a station stop, a "
              "board, a restriction cell. The train description is read no further.",
              "A signal takes the cell after the 50 m cell of its position (position / 50 + 1, "
              "halves rounded to "
              "even); that cell must be empty or a tunnel marker.",
              "Move the signal by 50 m or more, off the element that holds the cell.", treno, "",
              segnale_3500, "segnale,    4000,   2, 4, 1,  1, 0,    2,  2,1,1, 0", "segnale"},
    CodeEntry{"E17", errore, "restriction warning cell taken",
              "The warning board of a speed restriction, 1200 m before its start, falls in a cell "
              "that already "
              "holds an element. The train description is read no further.",
              "A restriction that starts beyond 1500 m has a warning cell at (start - 1200) / 50 + "
              "1; it must be "
              "empty or a tunnel marker.",
              "Move the restriction so that the cell 1200 m before its start is free.", treno, "",
              "rallentamento,  4700,  60,  500,  1,  0,  0", free_restriction, "rallentamento"},
    CodeEntry{
        "E18", errore, "restriction start cell taken",
        "The start of a speed restriction falls in a cell that already holds an element. The train "
        "description is read no further.",
        "The start cell is start / 50 + 1; it must be empty or a tunnel marker.",
        "Move the restriction's start off the element.", treno, "",
        "rallentamento,  3500,  60,  500,  1,  0,  0", free_restriction, "rallentamento"},
    CodeEntry{"E19", errore, "restriction end cell taken",
              "The end of a speed restriction (start plus length) falls in a cell that already "
              "holds an element. "
              "The train description is read no further.",
              "The end cell is (start + length) / 50 + 1; it must be empty or a tunnel marker.",
              "Change the restriction's length or start so that its end misses the element.", treno,
              "", "rallentamento,  3000,  60,  500,  1,  0,  0", free_restriction, "rallentamento"},
    CodeEntry{"E20", errore, "restriction approach cells taken",
              "One of the four approach cells just before a restriction's warning cell already "
              "holds an element. "
              "The warning, start and end cells have been written; the train description is read "
              "no further.",
              "With its fifth value (f_ta) not 0, a restriction that starts beyond 1500 m marks "
              "the four cells "
              "before its warning cell; all four must be empty or tunnel markers.",
              "Move the restriction, or set its fifth value to 0 if it needs no approach cells.",
              treno, "", "rallentamento,  4800,  60,  500,  1,  1,  0",
              "rallentamento,  5000,  60,  500,  1,  1,  0", "rallentamento"},
    CodeEntry{"E21", errore, "speed-indicator board on a taken cell",
              "An \"indicatori_vmax\" entry falls in a cell that already holds an element, such as "
              "another "
              "speed-indicator board. The line description is read no further.",
              "A speed-indicator board takes the cell position / 50 + 1; it must be empty or a "
              "tunnel marker.",
              "Move the board to a free cell, 50 m or more from the other element.", linea, "",
              "indicatori_vmax,  2000,  80,  90,  100,  2,  80,  90,  100,  2",
              "indicatori_vmax,  2500,  80,  90,  100,  2,  80,  90,  100,  2", "indicatori_vmax"},
    CodeEntry{
        "E22", errore, "stations too close",
        "A station begins less than 350 m after the end of the station before it in the file. Its "
        "cells have "
        "been written; the train description is read no further.",
        "Stations follow each other in the file in order along the line, each starting at least "
        "350 m after "
        "the end of the one before.",
        "Move the station further along, or put the stations in order of position.", treno,
        stazione_29950,
        "stazione,    1000, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, SAN PELLEGRINO",
        "stazione,    1500, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, SAN PELLEGRINO",
        "stazione"},
    CodeEntry{
        "E24", errore, "station ends too near the start of the line",
        "A station ends 100 m or less from the start of the line, so its stop cell would be cell 1 "
        "or lower. "
        "The train description is read no further.",
        "The stop cell is the cell before the one holding the station's end (end / 50 - 1) and "
        "must be above "
        "cell 1, which the compiler reserves.",
        "Move the station further along or make it longer, so that it ends beyond 100 m.", treno,
        "stazione,       0,  8,  700,  0, 0, 0,  1,1,0,  4,1,1,    1,   0, 0, 0, CORVALE CENTRALE",
        "stazione,       0,  8,  100,  0, 0, 0,  1,1,0,  4,1,1,    1,   0, 0, 0, CORVALE CENTRALE",
        "stazione,       0,  8,  700,  0, 0, 0,  1,1,0,  4,1,1,    1,   0, 0, 0, CORVALE CENTRALE",
        "stazione"},
    CodeEntry{"E25", errore, "value cannot be read",
              "A value of an entry cannot be read or stored: text where a whole number is "
              "expected, a number too "
              "large for its field, an entry cut short by the end of the file, or a value that the "
              "compiler cannot "
              "store (a speed above 1275 km/h, a gradient outside -100 to 155, a cell outside the "
              "line, a station "
              "name or board text longer than 65535 bytes). Nothing after it is read.",
              "Every value is a whole number that fits its field: 0 to 255 for byte fields, -32768 "
              "to 32767 for "
              "16-bit fields, 32-bit otherwise; a text holds at most 65535 bytes. The message "
              "names the field (the "
              "key is field 1).",
              "Correct the value the message points at.", treno, segnale_3500,
              "segnale,    3500,   x, 4, 1,  1, 0,    2,  2,1,1, 0", segnale_3500, "Numbers"},
    CodeEntry{
        "E26", errore, "character with no Windows-1252 code",
        "A description read as UTF-8 holds, in a text that is stored (a board text, a station "
        "name), a "
        "character that Windows-1252 has no code for, such as a check mark or a Greek letter. It "
        "is stored as "
        "\"?\"; the compiled files are still written and the rest of the compile is unchanged.",
        "The simulator shows names one byte per character in Windows-1252, which holds the letters "
        "of the "
        "Western European languages and a few signs (the euro sign, curly quotes, dashes).",
        "Replace the character with one Windows-1252 holds, or with plain letters.", treno,
        stazione_29950,
        "stazione,   29950, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, SAN PELLEGRINO "
        "\xE2\x9C\x93",
        "stazione,   29950, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, SAN PELLEGRINO",
        "Text encoding"},
    CodeEntry{
        "E101", errore, "no line description file",
        "The line description file is not there when the compile starts. Nothing is compiled.",
        "The compile needs both description files.",
        "Give the path of an existing line description.", none, "",
        "scenario-compiler, run after its line description was removed before it was read",
        "(let the run read the files it writes)", "Files"},
    CodeEntry{"E102", errore, "no [generale] section",
              "No field of the line description contains \"[generale]\" before its last field, so "
              "nothing of it "
              "can be read. Nothing is compiled.",
              "Everything before the first field that contains \"[generale]\" is skipped; the line "
              "description "
              "must have one, with entries after it.",
              "Start the general section with a line \"[generale]\".", linea, "[generale]",
              "[general]", "[generale]", "Sections"},
    CodeEntry{"E103", errore, "curve without a class, or track plan too long",
              "A curve key has no digit 1 to 6 to give its curvature, or the track plan would pass "
              "1000000 m or "
              "the end of the line's plan: the plan is drawn up to there. The line description is "
              "read no "
              "further.",
              "A curve key is \"curva\", the side (d right, s left) and a class digit 1 to 6; the "
              "curve must end "
              "within the line length plus 7000 m.",
              "Write a class digit 1 to 6 in the key, or shorten the curve.", linea, "",
              "curvad7,  93000,  500", "curvad3,  93000,  500", "curva"},
    CodeEntry{"E104", errore, "no line length",
              "The general section of the line description has no \"lunghezza percorso\" entry, so "
              "there are no "
              "cells. Nothing is compiled.",
              "The key must contain both \"lunghezza\" and \"percorso\" and stand in the general "
              "section.",
              "Add \"lunghezza percorso\" with the line length to the general section.", linea,
              exported_length, "lunghezza,    92000", exported_length, "lunghezza percorso"},
    CodeEntry{"E1250", errore, "reserved mark slot already used (Errore n. 1250)",
              "Cell 1, at the very start of the line, holds a value that an element put there: the "
              "compiler keeps "
              "that slot for a mark of its own. No compiled file is written (exit status 3).",
              "Cell 1 is reserved: no element may take it (a signal, restriction or board at a "
              "position below "
              "25 m, a cab-code point at 26 to 74 m).",
              "Move the element that lands in cell 1 further along the line.", treno, "",
              "segnale,       0,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
              "segnale,     500,   2, 4, 1,  1, 0,    2,  2,1,1, 0", "Reserved cell 1"},
    CodeEntry{"E1251", errore, "reserved contest-code slot already used (Errore n. 1251)",
              "Cell 1 holds a second value that an element put there: the compiler keeps that slot "
              "for the "
              "scenario's contest code. No compiled file is written (exit status 3).",
              "Cell 1 is reserved: no element may take it.",
              "Move the element that lands in cell 1 further along the line.", treno, "",
              "segnale,       0,   2, 0, 1,  1, 0,    2,  0,1,1, 0",
              "segnale,     500,   2, 0, 1,  1, 0,    2,  0,1,1, 0", "Reserved cell 1"},

    // --- warnings ---------------------------------------------------------
    CodeEntry{"W1", avviso, "unknown key",
              "A field that stands where a key is expected matches no key of its section, so the "
              "entry and its "
              "values are skipped (each value is then tried as a key, too). The message suggests "
              "the nearest key.",
              "Keys are recognised by the words they contain; a misspelt key is not an error but "
              "is silently "
              "skipped.",
              "Spell the key as the format gives it.", treno, "velocita,    1500,   250",
              "velocia,    1500,   250", "velocita,    1500,   250", "Fields and entries"},
    CodeEntry{"W2", avviso, "values left over after an entry",
              "An entry has more values than its key reads; the extra values are read as keys of "
              "the next entry.",
              "Each key reads a fixed number of values; an entry stands on one line.",
              "Remove the extra values.", treno, "sabbia,    300", "sabbia,    300,   20",
              "sabbia,    300", "Fields and entries"},
    CodeEntry{"W3", avviso, "comment in another convention",
              "A line starts with \"#\", \"//\" or \";\", which are not comments here: its fields "
              "are read as usual, "
              "and a key inside takes effect.",
              "Only a field that contains a hyphen is passed over; the descriptions have no way of "
              "disabling a "
              "whole entry but deleting it.",
              "Delete the line, or write the remark as a single field with a hyphen and no comma.",
              treno, "velocita,    1500,   250", "# velocita,    1500,   120",
              "velocita,    1500,   250", "Comments"},
    CodeEntry{"W4", avviso, "entry disabled by a hyphen",
              "A field holding a key word also holds a hyphen, so it is taken as a comment and "
              "passed over; its "
              "values are then tried as keys.",
              "A key field that contains \"-\" is a comment and gives way to the next field.",
              "Remove the hyphen from the key, or delete the line if it is meant to be disabled.",
              treno, "velocita,    1500,   250", "velocita-limite,    1500,   250",
              "velocita,    1500,   250", "Comments"},
    CodeEntry{"W5", avviso, "curve starts behind the track plan",
              "A curve begins before the point the track plan has already reached, so only its "
              "part beyond that "
              "point is drawn, or none of it.",
              "The track plan is drawn forward metre by metre in file order and never goes back.",
              "Start the curve after the end of the curve before it.", linea, "",
              "curvad1,  92000,  1000", "curvad1,  92600,  1000", "curva"},
    CodeEntry{"W6", avviso, "curve starts before the previous curve",
              "A curve entry begins before the curve entry above it; curves after a later one have "
              "no effect on "
              "the track plan.",
              "Curves must be listed in order of position.",
              "Put the curve entries in order of their start.", linea, "", "curvad1,  50000,  1000",
              "curvad1,  92600,  1000", "curva"},
    CodeEntry{"W7", avviso, "tunnel ends before it starts",
              "A \"montagna\" entry's first cell lies beyond its last, so it marks no cell.",
              "A tunnel covers the cells from start / 50 to end / 50 - 1.",
              "Give the start before the end.", linea, "", "montagna,   92000,  91500,  2",
              "montagna,   91500,  92000,  2", "montagna"},
    CodeEntry{
        "W8", avviso, "placement replaces an element",
        "An element is written over another one already in its cell: a station's stop cell "
        "replaces a signal "
        "or a board placed before it.",
        "Station stop cells are written without a check; other placements refuse a taken cell.",
        "Move the station so that its stop cell misses the element.", treno, stazione_29950,
        "stazione,    1900, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, SAN PELLEGRINO",
        stazione_29950, "Positions and cells"},
    CodeEntry{"W9", avviso, "text cut at a comma",
              "A board text or station name holds a comma, so it ends there; the rest is read as "
              "further fields.",
              "A field ends at a comma; texts cannot hold one.", "Remove the comma from the text.",
              linea, cartello_4400, "cartello_indicatore,  4400,   (GALLERIA PIANORO, Km. 10.710)",
              "cartello_indicatore,  4400,   (GALLERIA PIANORO)( Km. 10.710)", "Texts"},
    CodeEntry{
        "W10", avviso, "value stored in fewer bits",
        "A value is larger than the field that stores it, so only part of it is kept, or it "
        "spills into the value packed beside it: an adhesion, tunnel kind or signal TEMPO outside "
        "0 to 255, signal values outside their digits, speed-board speeds and stripe counts the "
        "board cannot show back, restriction and cut-off speeds outside 16 bits.",
        "Adhesion, tunnel kind and TEMPO are stored in one byte (their low 8 bits); signal values "
        "pack into decimal digits; a board's left and right speed share one 16-bit value (left / "
        "5 in the hundreds, right / 5 below); restriction and cut-off speeds are 16-bit.",
        "Keep the value within the range the format gives for it.", treno, "aderenza,   0,    100",
        "aderenza,   0,    300", "aderenza,   0,    100", "Numbers"},
    CodeEntry{"W11", avviso, "train description with no entry",
              "No field of the train description was recognised as a key, so the train has no "
              "stations, signals or "
              "profiles.",
              "Everything before the first field containing \"[generale]\" is skipped.",
              "Start the train description with \"[generale]\" and check the keys.", treno,
              "[generale]", "[general]", "[generale]", "Sections"},
    CodeEntry{
        "W12", avviso, "train number differs from the file name",
        "The number given with --train differs from the one in the train description's file name.",
        "The compiled files are named after --train; the file name's number is not used then.",
        "Drop --train, or rename the train description.", none, "",
        "scenario-compiler check 'Corvale_Pravena AV_linea.txt' 'Corvale_Pravena AV_409-.txt' "
        "--train 410",
        "scenario-compiler check 'Corvale_Pravena AV_linea.txt' 'Corvale_Pravena AV_409-.txt'",
        "Files"},

    CodeEntry{"W13", avviso, "profile entry behind the filled cells",
              "An entry of a stepwise profile (\"pendenza\", \"velocita\", \"aderenza\") lies "
              "at or before the cell up to which the entries above it have already filled the "
              "profile, so it cannot start where it is written: the value in force keeps the cell "
              "at the fill point (none for a position of 0 or below), and this entry takes effect "
              "only after it. The entry in force may then last one cell, or never be written.",
              "A profile is filled forward, cell by cell, in the order of its entries: each entry "
              "fills the cells from the fill point up to the one before its own cell with the "
              "value in force, always at least one.",
              "Put the profile's entries in order of position, each at its own 50 m cell.", linea,
              "", "pendenza,  3000,   2", "(move the line between the entries at 1000 and 4500 m)",
              "Values stored otherwise than written"},
    CodeEntry{
        "W14", avviso, "text missing or empty",
        "A station name or board text is missing from its entry's line, so the reader takes "
        "the next field, on a later line, as the text (a section label, a word of the next "
        "entry, even a whole station) and reads the rest of that line as further fields; or "
        "the text is empty.",
        "A text is the next field, wherever it stands; an empty field is an empty text.",
        "Write the text at the end of the entry's line.", treno,
        "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,50, 0, PRAVENA S.M.N",
        "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,50, 0",
        "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,50, 0, PRAVENA S.M.N",
        "Values stored otherwise than written"},
    CodeEntry{"W15", avviso, "entry after [fine]",
              "An entry stands after a field holding \"[fine]\". Section labels do nothing, so it "
              "is compiled like any other, and so is every entry after it.",
              "A description ends at the end of its file; labels only make it readable.",
              "Delete the entries after \"[fine]\", or move the label after them.", treno,
              "[codici]", "[fine]", "[codici]", "Values stored otherwise than written"},
    CodeEntry{"W16", avviso, "value rounded, clamped or dropped",
              "A value is stored otherwise than written by a rule of its field: a speed that is no "
              "multiple of 5 km/h, a station time whose minutes or seconds lie outside 0 to 59, a "
              "cut-off speed below 0.",
              "Speeds are stored in steps of 5 km/h (halves to even); a station time as seconds "
              "from midnight; a cut-off speed of 0 or below as a code without speed.",
              "Give the value as the field stores it.", treno, "velocita,    1500,   250",
              "velocita,    1500,   248", "velocita,    1500,   250",
              "Values stored otherwise than written"},
    CodeEntry{"W17", avviso, "entry replaced by a later one",
              "A later entry replaces this one's values: a general value given twice (the later "
              "one is kept), or a tunnel whose cells a later tunnel takes (the later kind is kept "
              "there).",
              "Each general key sets one record; a tunnel writes its kind into every cell it "
              "covers.",
              "Give each general value once, and tunnels that do not overlap.", treno, "",
              "sabbia,    200", remove_line, "Values stored otherwise than written"},

    // --- notes ------------------------------------------------------------
    CodeEntry{
        "N1", note, "UTF-8 description converted",
        "The description is valid UTF-8 and holds characters beyond ASCII; its texts are stored in "
        "Windows-1252, as the simulator reads them.",
        "The simulator reads names one byte per character in Windows-1252.",
        "Nothing to do; or save the file in Windows-1252.", linea, cartello_4400,
        "cartello_indicatore,  4400,   (GALLERIA CITT\xC3\x80)( Km. 10.710     )",
        "(nothing to change)", "Text encoding"},
    CodeEntry{"N2", note, "train description read without the line's cells",
              "A fault of the line description left no cells (the line length is out of range or "
              "cannot be read, or there is no [generale] section). Reading on to find every fault, "
              "the train description is read on the cells of the longest line, 1000000 m: its "
              "faults are all found, except positions beyond the end of this line.",
              "The cells come from the line length; without them no element can be placed.",
              "Correct the line description's fault; the train's positions are then checked too.",
              none, "", "lunghezza percorso,    30.000", "lunghezza percorso,    30000",
              "Sections"},
};

bool equal_ic(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

std::span<const CodeEntry> fault_catalogue() { return entries; }

const CodeEntry* find_code(std::string_view text) {
  // A bare number is a fault number.
  const bool digits_only =
      !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
  for (const CodeEntry& v : entries) {
    if (equal_ic(v.codice, text) ||
        (digits_only && v.severity == errore && v.codice.substr(1) == text))
      return &v;
  }
  return nullptr;
}

WarningEffect warning_effect(std::string_view codice) {
  // W3: the line is read as written; W12: the files are named as asked;
  // W15: the entries are compiled as written.
  for (std::string_view c : {"W3", "W12", "W15"})
    if (codice == c) return WarningEffect::as_written;
  for (std::string_view c : {"W1", "W2", "W4", "W7", "W11"})
    if (codice == c) return WarningEffect::skipped;
  return WarningEffect::changed;
}

std::string codice_fault(int32_t numero) { return "E" + std::to_string(numero); }

std::string_view severity_name(Severity g) {
  switch (g) {
    case errore: return "error";
    case avviso: return "warning";
    case note: return "note";
  }
  return "error";
}

}  // namespace sc
