// intonara-rescomp: compiles resource scripts (string tables, dialog
// templates, bitmaps, cursors, the version block) into a C++ source file
// that a program or the plug-in module links in.

#include "Encode.h"
#include "Output.h"
#include "Parser.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{
        "Compiles resource scripts into a C++ source file whose array the platform's resource loaders\n"
        "(FindResourceA, LoadStringA, GetFileVersionInfoA, ...) find at run time. Every problem is\n"
        "reported as one line \"file:line: message\"; when there is any, nothing is written and the\n"
        "exit status is 1.",
        "intonara-rescomp"};
    std::vector<std::string> scripts;
    std::string output;
    std::string depfile;
    std::vector<std::string> defines;
    app.add_option("scripts", scripts, "resource scripts to compile together; IDs must be unique across them")
        ->required()
        ->check(CLI::ExistingFile);
    app.add_option("-o,--output", output, "the C++ source file to write")->required();
    app.add_option("-D,--define", defines,
                   "NAME=VALUE: a variable the scripts use as ${NAME}, such as PROJECT_VERSION=1.2.0; may be repeated");
    app.add_option("--depfile", depfile,
                   "also write, in make's format, every file the scripts read (scripts, bitmaps, cursors), so the "
                   "build compiles again when one of them changes");
    CLI11_PARSE(app, argc, argv);

    rescomp::Variables variables;
    for (const std::string& define : defines) {
        const std::size_t equals = define.find('=');
        if (equals == std::string::npos || equals == 0) {
            std::cerr << "intonara-rescomp: -D " << define << ": expected NAME=VALUE\n";
            return 2;
        }
        variables[define.substr(0, equals)] = define.substr(equals + 1);
    }

    rescomp::Diagnostics diagnostics;
    rescomp::Script script;
    for (const std::string& path : scripts) {
        rescomp::ParseScriptFile(path, variables, diagnostics, script);
    }
    rescomp::CheckScript(script, diagnostics);
    const std::vector<rescomp::CompiledResource> resources = rescomp::CompileResources(script, diagnostics);
    if (!diagnostics.Empty()) {
        for (const std::string& line : diagnostics.Lines()) {
            std::cerr << line << '\n';
        }
        return 1;
    }

    const std::string source = rescomp::CppSource(resources, rescomp::BuildDirectory(resources), scripts);
    if (std::string error = rescomp::WriteFileAtomically(output, source); !error.empty()) {
        std::cerr << output << ": cannot write: " << error << '\n';
        return 1;
    }
    if (!depfile.empty()) {
        if (std::string error = rescomp::WriteFileAtomically(depfile, rescomp::DependencyList(output, script.m_inputs));
            !error.empty()) {
            std::cerr << depfile << ": cannot write: " << error << '\n';
            return 1;
        }
    }
    return 0;
}
