#pragma once

// What the compiler writes: the C++ source that carries the resources into
// a program or module, and the list of files it read for the build.

#include "Encode.h"

#include <string>
#include <vector>

namespace rescomp {

std::string CppSource(const std::vector<CompiledResource>& resources, const std::vector<std::uint8_t>& directory,
                      const std::vector<std::string>& scripts);

// "target: input input ..." as make and ninja read it.
std::string DependencyList(const std::string& target, const std::vector<std::string>& inputs);

// Writes through a temporary file in the same folder and renames it into
// place, so a reader never sees half a file. Empty on success, else why not.
std::string WriteFileAtomically(const std::string& path, const std::string& content);

}  // namespace rescomp
