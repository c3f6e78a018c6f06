#pragma once
// printf into a std::string, for the job's one-line messages and listings.

#include <string>

namespace job {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ASCII letters only: names and extensions are ASCII, and a byte-wise
// lower-casing leaves UTF-8 sequences alone.
std::string Lowered(std::string text);

} // namespace job
