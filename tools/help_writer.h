// Writes a help file in the engine's format, uncompressed: a header, the
// internal files (|SYSTEM, |TOPIC, |FONT, |CONTEXT, |CTXOMAP) and the
// directory of them, a one-page B+ tree.
#pragma once

#include <string>
#include <vector>

#include "help_file.h"

// The file's bytes.
std::string build_help_file(const HelpSettings& settings, const std::vector<HelpTopic>& topics);

// The contents file beside it, in the engine's plain-text form: the help
// file it belongs to, the title, one heading and a line per topic (title
// and context name), in the file's code page with CR LF line ends.
std::string build_contents_file(const std::string& help_file_name, const HelpSettings& settings,
                                const std::vector<HelpTopic>& topics);
