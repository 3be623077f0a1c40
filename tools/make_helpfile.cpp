// Writes the help file the tool opens with F1 from the readable texts in
// resources/help. It runs on the build machine, so it uses the host's C
// library (iconv) for the code page and nothing of the target's.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "help_source.h"
#include "help_writer.h"

namespace {

const char usage_text[] = R"(Writes a help file and its contents file from readable UTF-8 sources.

usage: make_helpfile --date SECONDS [--contents OUT.CNT] OUT.HLP SETTINGS.txt TOPIC.txt...
       make_helpfile --date-file FILE ... (SECONDS as the text of FILE)

SECONDS is the generation date, seconds since 1970 (UTC): the help engine
rebuilds what it keeps about the file when it changes.

SETTINGS.txt holds "key: value" lines: title, copyright (optional), locale,
charset (0 or 128), font and heading-font ("face, points" or "face, points,
bold"); numbers are decimal, or hexadecimal after 0x. Each TOPIC.txt starts
with "context:", "map:" and "title:" lines and may have a "keywords:" line
(separated by ';'); after them, paragraphs are separated by blank lines, the
lines of a paragraph are joined with a space in charset 0 and as they stand
in charset 128, and a paragraph whose first line starts with "* " is a
heading. Lines starting with "#" are comments. Text is stored in the code
page of the charset (932 for 128, 1252 for 0). Topics come in the order of
their paths.

The file is uncompressed. Each topic gets a topic block of its own, so that
its topic offset is the block number alone and no character count of the
text before it has to agree between writer and reader.
)";

void write_file(const std::string& path, const std::string& data) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!f)
        fail(path + ": cannot write: " + std::strerror(errno));
    bool written = std::fwrite(data.data(), 1, data.size(), f.get()) == data.size();
    if (!written || std::fclose(f.release()) != 0)
        fail(path + ": cannot write: " + std::strerror(errno));
}

struct Arguments {
    uint32_t date = 0;
    std::string contents;
    std::vector<std::string> rest;
};

// False when the arguments do not make a run.
bool parse_arguments(int argc, char** argv, Arguments& args) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if ((arg == "--date" || arg == "--date-file" || arg == "--contents") && i + 1 < argc) {
            std::string value = argv[++i];
            if (arg == "--contents") {
                args.contents = value;
                continue;
            }
            if (arg == "--date-file") {
                value = read_source_file(value);
                value.erase(value.find_last_not_of(" \r\n") + 1);
            }
            char* end = nullptr;
            unsigned long long date = std::strtoull(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || date == 0 || date > 0xFFFFFFFFull)
                fail("--date: expected seconds since 1970 from 1 to 4294967295, got '" + value +
                     "'");
            args.date = uint32_t(date);
        } else {
            args.rest.push_back(arg);
        }
    }
    return args.date != 0 && args.rest.size() >= 3;
}

std::string base_name(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int main(int argc, char** argv) {
    try {
        Arguments args;
        if (!parse_arguments(argc, argv, args)) {
            std::fputs(usage_text, stderr);
            return 1;
        }
        HelpSources sources =
            read_help_sources(args.rest[1], {args.rest.begin() + 2, args.rest.end()});
        sources.settings.date = args.date;
        write_file(args.rest[0], build_help_file(sources.settings, sources.topics));
        if (!args.contents.empty())
            write_file(args.contents, build_contents_file(base_name(args.rest[0]), sources.settings,
                                                          sources.topics));
    } catch (const Failure& failure) {
        std::fprintf(stderr, "make_helpfile: %s\n", failure.message.c_str());
        return 1;
    }
    return 0;
}
