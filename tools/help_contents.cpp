#include "help_writer.h"

std::string build_contents_file(const std::string& help_file_name, const HelpSettings& settings,
                                const std::vector<HelpTopic>& topics) {
    const std::string end = "\r\n";
    std::string out = ":Base " + help_file_name + end + ":Title " + settings.title + end;
    out += "1 " + settings.title + end;
    for (const HelpTopic& topic : topics)
        out += "2 " + topic.title + "=" + topic.context + end;
    return out;
}
