// Writes a help file in the engine's format, uncompressed: a header, the
// internal files (|SYSTEM, |TOPIC, |FONT, |CONTEXT, |CTXOMAP) and the
// directory of them, a one-page B+ tree.
#pragma once

#include <string>
#include <vector>

#include "help_file.h"

// The file's bytes.
std::string build_help_file(const HelpSettings& settings, const std::vector<HelpTopic>& topics);
