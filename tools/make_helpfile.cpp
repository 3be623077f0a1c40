// Writes the help file the tool opens with F1 from the readable texts in
// resources/help. It runs on the build machine, so it uses the host's C
// library (iconv) for the code page and nothing of the target's.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "help_source.h"
#include "help_writer.h"

namespace {

const char usage_text[] = R"(Writes a help file from readable UTF-8 sources.

usage: make_helpfile OUT.HLP SETTINGS.txt TOPIC.txt...

SETTINGS.txt holds "key: value" lines: title, copyright (optional), locale,
charset (0 or 128), font and heading-font ("face, points" or "face, points,
bold"); numbers are decimal, or hexadecimal after 0x. Each TOPIC.txt starts
with "context:", "map:" and "title:" lines; after them, paragraphs are
separated by blank lines, the lines of a paragraph are joined as they stand,
and a paragraph whose first line starts with "* " is a heading. Lines
starting with "#" are comments. Text is stored in the code page of the
charset (932 for 128, 1252 for 0). Topics come in the order of their paths.

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

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs(usage_text, stderr);
        return 1;
    }
    try {
        HelpSources sources = read_help_sources(argv[2], {argv + 3, argv + argc});
        write_file(argv[1], build_help_file(sources.settings, sources.topics));
    } catch (const Failure& failure) {
        std::fprintf(stderr, "make_helpfile: %s\n", failure.message.c_str());
        return 1;
    }
    return 0;
}
