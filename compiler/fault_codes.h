// The numbers of the faults the compile records, by what they mean. Each
// has its entry in the catalogue of codes (fault_catalogue), which a test
// checks.
#pragma once

#include <array>
#include <cstdint>

namespace sc::fault_code {

inline constexpr int32_t line_length_out_of_range = 1;
inline constexpr int32_t km_reference_off_grid = 2;
inline constexpr int32_t first_repetition_off_grid = 3;
inline constexpr int32_t second_repetition_off_grid = 4;
inline constexpr int32_t repetition_without_count = 5;
inline constexpr int32_t indication_board_cell_taken = 6;
inline constexpr int32_t cab_code_cell_taken = 7;
inline constexpr int32_t station_position_off_grid = 8;
inline constexpr int32_t station_length_off_grid = 9;
inline constexpr int32_t element_table_full = 10;
inline constexpr int32_t no_room_before_signal = 11;
inline constexpr int32_t no_room_before_restriction = 12;
inline constexpr int32_t no_room_in_restriction = 13;
inline constexpr int32_t position_beyond_line = 15;
inline constexpr int32_t signal_cell_taken = 16;
inline constexpr int32_t restriction_warning_cell_taken = 17;
inline constexpr int32_t restriction_start_cell_taken = 18;
inline constexpr int32_t restriction_end_cell_taken = 19;
inline constexpr int32_t restriction_approach_cells_taken = 20;
inline constexpr int32_t speed_board_cell_taken = 21;
inline constexpr int32_t stations_too_close = 22;
inline constexpr int32_t station_end_too_near_start = 24;
// A read or run failure: a value that cannot be read or does not fit, a
// description that cannot be read.
inline constexpr int32_t run_failure = 25;
inline constexpr int32_t no_windows_1252_code = 26;
inline constexpr int32_t no_line_description = 101;
inline constexpr int32_t no_general_section = 102;
inline constexpr int32_t curve_or_plan_out_of_range = 103;
inline constexpr int32_t no_line_length = 104;
inline constexpr int32_t reserved_mark_slot = 1250;
inline constexpr int32_t reserved_code_slot = 1251;

inline constexpr std::array all = {
    line_length_out_of_range,
    km_reference_off_grid,
    first_repetition_off_grid,
    second_repetition_off_grid,
    repetition_without_count,
    indication_board_cell_taken,
    cab_code_cell_taken,
    station_position_off_grid,
    station_length_off_grid,
    element_table_full,
    no_room_before_signal,
    no_room_before_restriction,
    no_room_in_restriction,
    position_beyond_line,
    signal_cell_taken,
    restriction_warning_cell_taken,
    restriction_start_cell_taken,
    restriction_end_cell_taken,
    restriction_approach_cells_taken,
    speed_board_cell_taken,
    stations_too_close,
    station_end_too_near_start,
    run_failure,
    no_windows_1252_code,
    no_line_description,
    no_general_section,
    curve_or_plan_out_of_range,
    no_line_length,
    reserved_mark_slot,
    reserved_code_slot,
};

}  // namespace sc::fault_code

// The numbers of the warnings the compile records by name (W10 is 10).
namespace sc::warning_code {

inline constexpr int32_t fewer_bits = 10;
// An entry of a stepwise profile at or before the cells already filled.
inline constexpr int32_t profile_overridden = 13;
// A text the reader takes from the next line, or an empty one.
inline constexpr int32_t text_missing = 14;
inline constexpr int32_t after_fine = 15;
// A value the compile rounds, clamps or drops.
inline constexpr int32_t value_rounded = 16;
// An entry whose values a later entry replaces.
inline constexpr int32_t entry_overridden = 17;

}  // namespace sc::warning_code
