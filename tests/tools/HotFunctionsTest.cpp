// The lists of functions a correction runs, checked against the tool and
// the module as the build linked them with the lists: the names must still
// be theirs, and those functions must sit in one stretch of the code. Other
// builds (the sanitizers', whose inlining and units differ) do not use the
// lists and skip this.

#ifdef INTONARA_HOT_LAYOUT

#include "cli/ProgramRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

struct CFunction {
    unsigned long long nAddress = 0;
    unsigned long long nSize = 0;
};

std::set<std::string> ReadList(const std::string& path)
{
    std::ifstream in(path);
    std::set<std::string> names;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#')
            names.insert(line);
    }
    return names;
}

// Every defined code symbol with a size, local ones too: the module keeps
// all but its entry points local.
std::multimap<std::string, CFunction> CodeSymbols(const std::string& binary)
{
    const std::string nm = clitest::FindProgram("nm");
    if (nm.empty())
        return {};
    const clitest::ProgramResult r = clitest::RunProgram(nm, {"-S", "--defined-only", binary});
    std::multimap<std::string, CFunction> symbols;
    std::istringstream lines(r.sOut);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string address, size, type, name;
        if (!(fields >> address >> size >> type >> name) || (type != "t" && type != "T" && type != "W" && type != "w"))
            continue;
        symbols.emplace(name, CFunction{std::stoull(address, nullptr, 16), std::stoull(size, nullptr, 16)});
    }
    return symbols;
}

struct CProgram {
    const char* pszBinary;
    const char* pszList;
};

const CProgram kPrograms[] = {{INTONARA_TOOL_EXE, INTONARA_TOOL_HOT_LIST},
                              {INTONARA_MODULE_FILE, INTONARA_MODULE_HOT_LIST}};

TEST(HotFunctions, ListsNameFunctionsTheProgramsStillHave)
{
    for (const CProgram& program : kPrograms) {
        const std::set<std::string> listed = ReadList(program.pszList);
        // A correction starts up, parses, loads, reads, corrects and writes:
        // hundreds of functions, not a handful.
        EXPECT_GE(listed.size(), 100u) << program.pszList;
        const auto symbols = CodeSymbols(program.pszBinary);
        ASSERT_FALSE(symbols.empty()) << "no symbols read from " << program.pszBinary;
        std::vector<std::string> missing;
        for (const std::string& name : listed) {
            if (symbols.find(name) == symbols.end())
                missing.push_back(name);
        }
        // A few names come and go with the compiler's inlining; more than
        // that means the list is stale: run tools/hot-functions/update.
        EXPECT_LE(missing.size() * 20, listed.size())
            << program.pszList << " names " << missing.size() << " functions " << program.pszBinary
            << " does not have, the first: " << (missing.empty() ? "" : missing.front());
    }
}

TEST(HotFunctions, ListedFunctionsSitTogetherInOneStretch)
{
    for (const CProgram& program : kPrograms) {
        const std::set<std::string> listed = ReadList(program.pszList);
        const auto symbols = CodeSymbols(program.pszBinary);
        unsigned long long first = ~0ull, end = 0, bytes = 0, codeStart = ~0ull, codeEnd = 0;
        std::size_t count = 0;
        for (const auto& [name, function] : symbols) {
            codeStart = std::min(codeStart, function.nAddress);
            codeEnd = std::max(codeEnd, function.nAddress + function.nSize);
            if (!listed.count(name) || function.nSize == 0)
                continue;
            first = std::min(first, function.nAddress);
            end = std::max(end, function.nAddress + function.nSize);
            bytes += function.nSize;
            ++count;
        }
        ASSERT_GT(count, 0u) << program.pszBinary;
        // Alignment pads each function by less than 64 bytes; anything else
        // between them is code a correction does not run.
        EXPECT_LE(end - first, bytes + 64 * count) << program.pszBinary;
        // And the stretch is a small part of the program's code.
        EXPECT_LT((end - first) * 2, codeEnd - codeStart) << program.pszBinary;
    }
}

} // namespace

#endif
