// Reads the help file's readable sources: a settings file and one file per
// topic, UTF-8 text with "key: value" header lines. See usage_text in
// make_helpfile.cpp for their form.
#pragma once

#include <string>
#include <vector>

#include "help_file.h"

struct HelpSources {
    HelpSettings settings;
    std::vector<HelpTopic> topics; // in the order of their paths
};

HelpSources read_help_sources(const std::string& settings_path,
                              std::vector<std::string> topic_paths);

// A file's bytes; a file that cannot be read stops the run.
std::string read_source_file(const std::string& path);
