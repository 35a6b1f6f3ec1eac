// A compiled file's content as a file to replace: a content held whole is
// written as it is, a produced one piece by piece at its offsets.
#pragma once

#include <string>

#include "compiler/contenuto_file.h"
#include "output/file_output.h"

namespace sc {

// `contenuto` must outlive the replacement.
FileDaScrivere da_scrivere(std::string path, const ContenutoFile& contenuto);

// Writes every piece of `contenuto` into `fd` at its offset; 0 or the errno
// of the failure.
int scrivi_contenuto(int fd, const ContenutoFile& contenuto);

}  // namespace sc
