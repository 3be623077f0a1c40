// One message recorder and one sequence check for every test that compares
// the messages a window saw with an expected table.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace lumtest {

// How a message reached the recorder, and what a table row allows.
enum MessageFlags : unsigned {
    kSent = 0x1,       // delivered by SendMessage (or the system's own call)
    kPosted = 0x2,     // retrieved from the queue
    kDefProc = 0x4,    // seen by default processing, not by a handler
    kOptional = 0x8,   // in a table: may be missing
    kAnyParams = 0x10, // in a table: wParam and lParam are not compared
};

struct Seen {
    UINT message;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    unsigned flags = 0; // kSent, kPosted, kDefProc; 0 when the test does not say
    bool operator==(const Seen&) const = default;
};

using MessageLog = std::vector<Seen>;

inline std::string Describe(const Seen& s) {
    std::ostringstream out;
    out << "0x" << std::hex << s.message << "(" << s.wParam << ", " << s.lParam << ")";
    if (s.flags & kSent)
        out << " sent";
    if (s.flags & kPosted)
        out << " posted";
    if (s.flags & kDefProc)
        out << " defproc";
    return out.str();
}

inline bool RowMatches(const Seen& row, const Seen& seen) {
    const unsigned how = kSent | kPosted | kDefProc;
    return row.message == seen.message &&
           ((row.flags & how) == 0 || (row.flags & how) == (seen.flags & how)) &&
           ((row.flags & kAnyParams) != 0 ||
            (row.wParam == seen.wParam && row.lParam == seen.lParam));
}

// Whether the log holds the message at all, wherever it came.
inline bool Contains(const MessageLog& seen, UINT message) {
    for (const Seen& s : seen) {
        if (s.message == message) {
            return true;
        }
    }
    return false;
}

// The recorded messages against the table, in order: a kOptional row may be
// missing, every other row must be there, and nothing else may come between.
// The failure names the first difference and its position.
inline ::testing::AssertionResult MatchesSequence(const MessageLog& seen,
                                                  const MessageLog& expected) {
    size_t i = 0;
    for (size_t row = 0; row < expected.size(); ++row) {
        const Seen& want = expected[row];
        if (i < seen.size() && RowMatches(want, seen[i])) {
            ++i;
        } else if ((want.flags & kOptional) == 0) {
            return ::testing::AssertionFailure()
                   << "row " << row << ": expected " << Describe(want) << ", saw "
                   << (i < seen.size() ? Describe(seen[i]) : std::string("nothing more"));
        }
    }
    if (i < seen.size()) {
        return ::testing::AssertionFailure() << "after the table: " << Describe(seen[i]);
    }
    return ::testing::AssertionSuccess();
}

} // namespace lumtest

// Checks a recorded log against a table of rows (lumtest::Seen with flags).
#define ExpectSequence(seen, ...) EXPECT_TRUE(::lumtest::MatchesSequence(seen, __VA_ARGS__))
