// A compiled file's content as a file to replace: a content held whole is
// written as it is, a produced one piece by piece at its offsets.
#pragma once

#include <string>

#include "compiler/file_content.h"
#include "output/file_output.h"

namespace sc {

// `content` must outlive the replacement.
FileToWrite to_write(std::string path, const FileContent& content);

// Writes every piece of `content` into `fd` at its offset; 0 or the errno
// of the failure.
int write_content(int fd, const FileContent& content);

}  // namespace sc
