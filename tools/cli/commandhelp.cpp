#include "tools/cli/commandhelp.h"

#include <cstdio>
#include <ostream>
#include <sstream>
#include <vector>

namespace {

// Decodes one UTF-8 sequence at text[i]; a broken one stands for itself so
// nothing is lost from the page.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto b = static_cast<unsigned char>(text[i++]);
    int nMore = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    char32_t c = nMore == 3 ? b & 0x07 : nMore == 2 ? b & 0x0F : nMore == 1 ? b & 0x1F : b;
    for (; nMore > 0 && i < text.size(); --nMore, ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            break;
        c = (c << 6) | (next & 0x3F);
    }
    return c;
}

std::vector<const CLI::App*> Commands(const CLI::App& app) {
    return app.get_subcommands([](const CLI::App*) { return true; });
}

// The options a user can give: not the help flag, not the hidden ones.
std::vector<const CLI::Option*> VisibleOptions(const CLI::App& command) {
    return command.get_options([&](const CLI::Option* pOption) {
        return pOption != command.get_help_ptr() && !pOption->get_group().empty();
    });
}

// As CLI11's own help decides: a flag shows no value name.
bool IsFlag(const CLI::Option& option) {
    return option.get_type_size() == 0 || option.get_type_name().empty();
}

// A name typed on the command line: every '-' is a minus sign, so the page
// can be copied from.
std::string RoffName(std::string_view name) {
    std::string strOut;
    for (const char ch : RoffText(name)) {
        if (ch == '-' && (strOut.empty() || strOut.back() != '\\'))
            strOut += '\\';
        strOut += ch;
    }
    return strOut;
}

// "POSITION" rather than "POSITION:INT in [1 - ...]": the description says
// what a value may be.
std::string ValueName(const CLI::Option& option) {
    const std::string strType = option.get_type_name();
    return strType.substr(0, strType.find(':'));
}

std::string OptionNames(const CLI::Option& option) {
    std::string strNames;
    for (const std::string& strName : option.get_snames())
        strNames += (strNames.empty() ? "\\fB\\-" : "\\fR, \\fB\\-") + strName;
    for (const std::string& strName : option.get_lnames())
        strNames += (strNames.empty() ? "\\fB\\-\\-" : "\\fR, \\fB\\-\\-") + RoffName(strName);
    strNames += "\\fR";
    if (!IsFlag(option))
        strNames += " \\fI" + RoffText(ValueName(option)) + "\\fR";
    return strNames;
}

// The synopsis shows the shortest name of each option.
std::string SynopsisWord(const CLI::Option& option) {
    if (option.get_positional())
        return "\\fI" + RoffText(option.get_name()) + "\\fR";
    std::string strWord = option.get_snames().empty()
                              ? "\\fB\\-\\-" + RoffName(option.get_lnames().front())
                              : "\\fB\\-" + option.get_snames().front();
    strWord += "\\fR";
    if (!IsFlag(option))
        strWord += " \\fI" + RoffText(ValueName(option)) + "\\fR";
    return option.get_required() ? strWord : "[" + strWord + "]";
}

std::string Words(const std::vector<std::string>& words) {
    std::string strLine;
    for (const std::string& strWord : words)
        strLine += (strLine.empty() ? "" : " ") + strWord;
    return strLine;
}

// A paragraph of text as roff lines of at most 79 bytes where the words
// allow, so the page passes lint; each word is escaped on its own, which
// also guards a word that ends up at the start of a line.
std::string RoffParagraph(const std::string& strText) {
    std::string strOut, strLine;
    std::istringstream words(strText);
    std::string strWord;
    while (words >> strWord) {
        const std::string strRoff = RoffText(strWord);
        if (!strLine.empty() && strLine.size() + 1 + strRoff.size() > 79) {
            strOut += strLine + "\n";
            strLine.clear();
        }
        strLine += (strLine.empty() ? "" : " ") + strRoff;
    }
    return strOut + strLine;
}

} // namespace

std::string RoffText(std::string_view text) {
    std::string strOut;
    bool bLineStart = true;
    for (std::size_t i = 0; i < text.size();) {
        const char ch = text[i];
        if (bLineStart && (ch == '.' || ch == '\''))
            strOut += "\\&";
        const bool bWordStart = bLineStart || strOut.empty() || strOut.back() == ' ' ||
                                strOut.back() == '(' || strOut.back() == '-';
        bLineStart = ch == '\n';
        if (static_cast<unsigned char>(ch) >= 0x80) {
            char szEscape[16];
            std::snprintf(szEscape, sizeof szEscape, "\\[u%04X]",
                          static_cast<unsigned>(NextCodePoint(text, i)));
            strOut += szEscape;
            continue;
        }
        ++i;
        if (ch == '\\')
            strOut += "\\e";
        else if (ch == '-' && bWordStart)
            strOut += "\\-";
        else
            strOut += ch;
    }
    return strOut;
}

void WriteManCommands(const CLI::App& app, std::ostream& out) {
    const std::string strProgram = RoffName(app.get_name());
    for (const CLI::App* pCommand : Commands(app)) {
        const std::vector<const CLI::Option*> options = VisibleOptions(*pCommand);
        std::vector<std::string> synopsis{"\\fB" + strProgram + " " +
                                          RoffName(pCommand->get_name()) + "\\fR"};
        for (const CLI::Option* pOption : options)
            synopsis.push_back(SynopsisWord(*pOption));
        out << ".SS " << RoffText(pCommand->get_name()) << "\n"
            << Words(synopsis) << "\n.PP\n"
            << RoffParagraph(pCommand->get_description() + ".") << "\n";
        for (const CLI::Option* pOption : options) {
            out << ".TP\n"
                << (pOption->get_positional() ? "\\fI" + RoffText(pOption->get_name()) + "\\fR"
                                              : OptionNames(*pOption))
                << "\n"
                << RoffParagraph(pOption->get_description() + ".") << "\n";
        }
    }
}

void WriteBashCompletion(const CLI::App& app, std::ostream& out) {
    std::vector<std::string> names;
    for (const CLI::App* pCommand : Commands(app))
        names.push_back(pCommand->get_name());
    std::string strIdentifier = "_" + app.get_name();
    for (char& ch : strIdentifier)
        if (ch == '-')
            ch = '_';

    out << "# bash completion for " << app.get_name() << ", written by " << app.get_name()
        << " --bash-completion\n"
        << strIdentifier << "() {\n"
        << "    local cur prev words cword\n"
        << "    _init_completion || return\n"
        << "    local command=\"\" i\n"
        << "    for ((i = 1; i < cword; i++)); do\n"
        << "        case \"${words[i]}\" in\n"
        << "        " <<
        [&] {
            std::string strAlternatives;
            for (const std::string& strName : names)
                strAlternatives += (strAlternatives.empty() ? "" : "|") + strName;
            return strAlternatives;
        }()
        << ")\n"
        << "            command=\"${words[i]}\"\n"
        << "            break\n"
        << "            ;;\n"
        << "        esac\n"
        << "    done\n"
        << "    if [[ -z $command ]]; then\n"
        << "        COMPREPLY=($(compgen -W \"" << Words(names)
        << " --help --version\" -- \"$cur\"))\n"
        << "        return\n"
        << "    fi\n"
        << "    local options=\"\" typed=\"\"\n"
        << "    case $command in\n";
    for (const CLI::App* pCommand : Commands(app)) {
        std::vector<std::string> options{"--help"}, typed;
        for (const CLI::Option* pOption : VisibleOptions(*pCommand)) {
            if (pOption->get_positional())
                continue;
            std::vector<std::string> spellings;
            for (const std::string& strName : pOption->get_snames())
                spellings.push_back("-" + strName);
            for (const std::string& strName : pOption->get_lnames())
                spellings.push_back("--" + strName);
            options.insert(options.end(), spellings.begin(), spellings.end());
            // Directories and files are completed as paths; positions, texts
            // and numbers are typed.
            const std::string strValue = ValueName(*pOption);
            if (!IsFlag(*pOption) && strValue.find("DIR") == std::string::npos &&
                strValue.find("FILE") == std::string::npos)
                typed.insert(typed.end(), spellings.begin(), spellings.end());
        }
        out << "    " << pCommand->get_name() << ")\n"
            << "        options=\"" << Words(options) << "\"\n"
            << "        typed=\"" << Words(typed) << "\"\n"
            << "        ;;\n";
    }
    out << "    esac\n"
        << "    if [[ -n $typed && \" $typed \" == *\" $prev \"* ]]; then\n"
        << "        return\n"
        << "    fi\n"
        << "    if [[ $cur == -* ]]; then\n"
        << "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
        << "        return\n"
        << "    fi\n"
        << "    _filedir\n"
        << "}\n"
        << "complete -F " << strIdentifier << " " << app.get_name() << "\n";
}
