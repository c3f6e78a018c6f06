#pragma once
// printf into a std::string, for the job's one-line messages and listings.

#include <string>

namespace job {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace job
