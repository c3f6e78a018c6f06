// Writes the tool's manual page from its own --help texts, so that the page
// never says anything the program does not.
//
//   intonara-manpage TOOL OUT.1
//
// It runs TOOL --version, TOOL --help and TOOL SUBCOMMAND --help for every
// subcommand the help lists, and turns the help layout (a description, a
// "Usage:" line, headed groups of two-column entries, closing paragraphs)
// into roff.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Entry
{
    std::string sName;         // "-o,--output OUT REQUIRED"
    std::string sDescription;
};

struct Group
{
    std::string sHeading;      // "Options", "Tuning", ...
    std::vector<Entry> entries;
};

struct HelpText
{
    std::string sDescription;
    std::string sUsage;
    std::vector<Group> groups;
    std::vector<std::string> closing;
};

bool RunCapture(const std::string& command, std::string& out)
{
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return false;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    return ::pclose(pipe) == 0;
}

std::string ShellQuoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Joins wrapped text with one blank.
void Append(std::string& to, const std::string& text)
{
    if (!to.empty())
        to.push_back(' ');
    to += text;
}

HelpText Parse(const std::string& text)
{
    HelpText help;
    std::istringstream lines(text);
    std::string line;
    bool inGroups = false;
    while (std::getline(lines, line)) {
        if (line.empty())
            continue;
        if (line.rfind("Usage: ", 0) == 0) {
            help.sUsage = line.substr(7);
            inGroups = true;
        } else if (!inGroups) {
            Append(help.sDescription, line);
        } else if (line[0] != ' ' && line.back() == ':') {
            help.groups.push_back({line.substr(0, line.size() - 1), {}});
        } else if (line.rfind("  ", 0) == 0 && line.size() > 2 && line[2] != ' ' && !help.groups.empty()) {
            // The name, then two or more blanks, then the description (on
            // the next line when the name is too long).
            const auto gap = line.find("  ", 2);
            Entry entry{Trimmed(line.substr(0, gap)), gap == std::string::npos ? "" : Trimmed(line.substr(gap))};
            help.groups.back().entries.push_back(entry);
        } else if (line.rfind("   ", 0) == 0 && !help.groups.empty() && !help.groups.back().entries.empty()) {
            Append(help.groups.back().entries.back().sDescription, Trimmed(line));
        } else {
            help.closing.push_back(line);
        }
    }
    return help;
}

// Text for roff: backslashes and hyphens escaped (so options copy as
// typed), other characters than ASCII as named glyphs, and no line that
// begins with a control character.
std::string Roff(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else if (c >= 0x80) {
            // A UTF-8 sequence to its code point.
            const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            unsigned code = c & (0x7F >> length);
            for (int k = 1; k < length && i + 1 < text.size(); ++k)
                code = (code << 6) | (static_cast<unsigned char>(text[++i]) & 0x3F);
            char name[16];
            std::snprintf(name, sizeof name, "\\[u%04X]", code);
            out += name;
        } else {
            out += static_cast<char>(c);
        }
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

// The option spellings in bold, the rest as it stands.
std::string EntryName(const std::string& name)
{
    const auto space = name.find(' ');
    const std::string spellings = name.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : name.substr(space);
    return "\\fB" + Roff(spellings) + "\\fR" + Roff(rest);
}

void WriteGroups(std::ostream& out, const HelpText& help)
{
    for (const Group& group : help.groups) {
        out << ".PP\n\\fI" << Roff(group.sHeading) << "\\fR\n";
        for (const Entry& entry : group.entries)
            out << ".TP\n" << EntryName(entry.sName) << "\n" << Roff(entry.sDescription) << "\n";
    }
    for (const std::string& paragraph : help.closing)
        out << ".PP\n" << Roff(paragraph) << "\n";
}

// Every subcommand a help lists, and theirs in turn ("graph", then
// "graph track", ...), each with its help. A nested subcommand's closing
// paragraphs that repeat its parent's are left to the parent.
bool CollectSubcommands(const std::string& tool, const std::string& prefix, const HelpText& parent,
                        std::vector<std::pair<std::string, HelpText>>& out)
{
    for (const Group& group : parent.groups) {
        if (group.sHeading != "Subcommands")
            continue;
        for (const Entry& entry : group.entries) {
            std::string name = prefix;
            if (!name.empty())
                name += ' ';
            name += entry.sName;
            std::string command = tool, text;
            std::istringstream words(name);
            for (std::string word; words >> word;)
                command.append(1, ' ').append(ShellQuoted(word));
            if (!RunCapture(command + " --help", text)) {
                std::fprintf(stderr, "intonara-manpage: %s --help failed\n", command.c_str());
                return false;
            }
            HelpText help = Parse(text);
            if (!prefix.empty())
                std::erase_if(help.closing, [&](const std::string& paragraph) {
                    return std::find(parent.closing.begin(), parent.closing.end(), paragraph) != parent.closing.end();
                });
            out.emplace_back(name, help);
            if (!CollectSubcommands(tool, name, help, out))
                return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: intonara-manpage TOOL OUT.1\n");
        return 2;
    }
    const std::string tool = ShellQuoted(argv[1]);
    std::string version, top;
    if (!RunCapture(tool + " --version", version) || !RunCapture(tool + " --help", top)) {
        std::fprintf(stderr, "intonara-manpage: cannot run %s\n", argv[1]);
        return 1;
    }
    const HelpText main = Parse(top);

    std::ostringstream page;
    // No date: the same program gives the same page.
    page << ".TH INTONARA 1 \"\" \"" << Roff(Trimmed(version.substr(0, version.find('\n'))))
         << "\" \"User Commands\"\n";
    // The first clause of the description names what the tool does.
    std::string summary = main.sDescription.substr(0, main.sDescription.find(':'));
    if (!summary.empty() && summary[0] >= 'A' && summary[0] <= 'Z')
        summary[0] = static_cast<char>(summary[0] - 'A' + 'a');
    page << ".SH NAME\nintonara \\- " << Roff(summary) << "\n";
    page << ".SH SYNOPSIS\n";
    std::vector<std::pair<std::string, HelpText>> subcommands;
    if (!CollectSubcommands(tool, "", main, subcommands))
        return 1;
    for (const auto& [name, help] : subcommands) {
        // "intonara graph track" in bold, its options and operands plain.
        const std::string words = "intonara " + name;
        const size_t bold = help.sUsage.rfind(words, 0) == 0 ? words.size() : help.sUsage.find(' ', 9);
        page << ".br\n\\fB" << Roff(help.sUsage.substr(0, bold)) << "\\fR"
             << Roff(help.sUsage.substr(std::min(help.sUsage.size(), bold))) << "\n";
    }
    page << ".br\n\\fBintonara\\fR \\-\\-help | \\-\\-help\\-all | \\-\\-version\n";
    page << ".SH DESCRIPTION\n" << Roff(main.sDescription) << "\n";
    page << ".SH OPTIONS\n";
    HelpText options = main;
    std::erase_if(options.groups, [](const Group& g) { return g.sHeading == "Subcommands"; });
    WriteGroups(page, options);
    page << ".SH SUBCOMMANDS\n";
    for (const auto& [name, help] : subcommands) {
        page << ".SS \"intonara " << Roff(name) << "\"\n" << Roff(help.sDescription) << "\n";
        WriteGroups(page, help);
    }

    const std::string temporary = std::string(argv[2]) + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << page.str();
        if (!file.flush()) {
            std::fprintf(stderr, "intonara-manpage: cannot write %s\n", temporary.c_str());
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), argv[2]) != 0) {
        std::fprintf(stderr, "intonara-manpage: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
