#include "run/error_report.h"

namespace sc {

int errore(const std::string& a, StatusWindow& ui) {
  ui.message(error_text(a));
  return status_reserved_error;
}

}  // namespace sc
