// The colours of the scenario's pictures, the plot's and the viewer's
// alike: what each kind of element, line and text is drawn in.
#pragma once

namespace sc::palette {

// Red, green, blue and opacity, each from 0 to 1.
struct Colore {
  double r, g, b, a = 1.0;
};

constexpr Colore nero{0.10, 0.10, 0.12};
constexpr Colore bianco{1, 1, 1};
constexpr Colore grigio_testo{0.35, 0.35, 0.38};
constexpr Colore griglia{0.88, 0.88, 0.90};
constexpr Colore binario{0.10, 0.22, 0.55};
constexpr Colore galleria{0.55, 0.55, 0.58, 0.30};
constexpr Colore galleria_piano{0.55, 0.55, 0.58};
constexpr Colore stazione{0.20, 0.62, 0.30};
constexpr Colore stazione_banda{0.20, 0.62, 0.30, 0.16};
constexpr Colore segnale{0.85, 0.12, 0.12};
constexpr Colore codice{0.55, 0.20, 0.70};
constexpr Colore rallentamento{0.95, 0.55, 0.05};
constexpr Colore velocita{0.10, 0.22, 0.55};
constexpr Colore pendenza{0.05, 0.55, 0.60};
constexpr Colore pendenza_area{0.05, 0.55, 0.60, 0.30};
constexpr Colore cartello{0.15, 0.45, 0.85};
constexpr Colore fine_linea{0.30, 0.30, 0.30};
constexpr Colore curva_destra{0.80, 0.30, 0.55};
constexpr Colore curva_sinistra{0.25, 0.55, 0.25};
constexpr Colore guasto{0.80, 0.00, 0.00};

// A component as a byte from 0 to 255, to the nearest with halves up.
constexpr unsigned char byte_of(double component) {
  return static_cast<unsigned char>(component * 255 + 0.5);
}

}  // namespace sc::palette
