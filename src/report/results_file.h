// Whole-or-nothing replacement of a file: a reader sees the old content or
// the new, never a part.
#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>

// The write call used for the content; tests put a failing one in its place.
using WriteCall = ssize_t (*)(int fd, const void* buffer, std::size_t size);

// Writes content to a temporary file created exclusively beside path, then
// renames it over path (a symbolic link at path is replaced, not followed).
// On any failure removes the temporary file, leaves path as it was and
// returns "Error: <path>: <what failed>: <the system's reason>"; otherwise "".
std::string replace_file(const std::string& path, const std::string& content,
                         WriteCall write_call = nullptr);
