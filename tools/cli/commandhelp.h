#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <string>
#include <string_view>

// The help CLI11 holds for the commands, written out as the manual page's
// COMMANDS section and as the bash completion, so that --help, the manual
// and the completion are the same text and the same option lists.

// Text for a roff line: backslashes, a minus sign at the start of a word
// (an option, a negative number) and leading control characters are escaped, and every
// non-ASCII character becomes \[uXXXX] so the page needs no encoding.
std::string RoffText(std::string_view text);

// One ".SS" subsection per command: its synopsis, its description and a
// tagged paragraph per argument and option.
void WriteManCommands(const CLI::App& app, std::ostream& out);

// A bash completion function for the program's commands and options.
void WriteBashCompletion(const CLI::App& app, std::ostream& out);
