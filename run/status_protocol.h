// How the embedded run talks to the helper program that shows its status
// window and error box (scenario-compiler-run), over the helper's standard
// input and output. A request is a line "WORD LENGTH\n" followed by LENGTH
// bytes of text; an answer is one line.
//
//   the helper, once started:  "ready" (it has a display), or "headless"
//                              (no display can be opened; it then ends)
//   "show N\n" + label      -> "shown", once the window is painted
//   "message N\n" + text    -> "closed", once the user has closed the box
//
// The run closing its end ends the helper, which removes the window.
#pragma once

#include <string>

namespace sc::status_protocol {

// The helper's one argument: without it, it only says what it is for.
inline constexpr const char* serve_flag = "--serve-status-window";

inline constexpr const char* ready = "ready";
inline constexpr const char* headless = "headless";
inline constexpr const char* show = "show";
inline constexpr const char* shown = "shown";
inline constexpr const char* message = "message";
inline constexpr const char* closed = "closed";

inline std::string request(const char* word, const std::string& text) {
  return std::string(word) + " " + std::to_string(text.size()) + "\n" + text;
}

}  // namespace sc::status_protocol
