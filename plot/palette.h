// The colours of the scenario's pictures, the plot's and the viewer's
// alike: what each kind of element, line and text is drawn in.
#pragma once

namespace sc::palette {

// Red, green, blue and opacity, each from 0 to 1.
struct Color {
  double r, g, b, a = 1.0;
};

constexpr Color black{0.10, 0.10, 0.12};
constexpr Color white{1, 1, 1};
constexpr Color grey_text{0.35, 0.35, 0.38};
constexpr Color grid{0.88, 0.88, 0.90};
constexpr Color track{0.10, 0.22, 0.55};
constexpr Color galleria{0.55, 0.55, 0.58, 0.30};
constexpr Color plan_galleria{0.55, 0.55, 0.58};
constexpr Color stazione{0.20, 0.62, 0.30};
constexpr Color stazione_band{0.20, 0.62, 0.30, 0.16};
constexpr Color segnale{0.85, 0.12, 0.12};
constexpr Color codice{0.55, 0.20, 0.70};
constexpr Color rallentamento{0.95, 0.55, 0.05};
constexpr Color velocita{0.10, 0.22, 0.55};
constexpr Color pendenza{0.05, 0.55, 0.60};
constexpr Color pendenza_area{0.05, 0.55, 0.60, 0.30};
constexpr Color cartello{0.15, 0.45, 0.85};
constexpr Color linea_end_color{0.30, 0.30, 0.30};
constexpr Color right_curva{0.80, 0.30, 0.55};
constexpr Color left_curva{0.25, 0.55, 0.25};
constexpr Color damaged{0.80, 0.00, 0.00};

// A component as a byte from 0 to 255, to the nearest with halves up.
constexpr unsigned char byte_of(double component) {
  return static_cast<unsigned char>(component * 255 + 0.5);
}

}  // namespace sc::palette
