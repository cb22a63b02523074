// The list-file reader on what users and other programs may hand it: special
// files, odd line ends and encodings, and more than any list can hold.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>

#include "queue/ListFile.h"
#include "queue/QueueEntry.h"
#include "testing/FileBytes.h"
#include "testing/TempConfigHome.h"

namespace vantrel::testing {
namespace {

using Texts = std::vector<std::string>;

class ListFileTest : public ::testing::Test {
protected:
    TempConfigHome home;
    std::string file = (home.path() / "list.txt").string();

    Texts read(const std::string& bytes) {
        WriteBytes(file, bytes);
        return ReadListFile(file);
    }
    /// Why reading the file is refused; a read that is still waiting after a
    /// generous bound counts as blocked, and is set free by a writer.
    std::string refusal(const std::string& path) {
        auto reading = std::async(std::launch::async, [&] { return ReadListFile(path); });
        if (reading.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
            ::close(::open(path.c_str(), O_RDWR | O_NONBLOCK));
            reading.wait();
            return "blocked";
        }
        try {
            reading.get();
        } catch (const ListFileError& error) {
            return error.what();
        }
        return "read";
    }
};

TEST_F(ListFileTest, EveryLineEndEndsALineAndAByteOrderMarkIsNoPartOfTheFirst) {
    EXPECT_EQ(read("\xEF\xBB\xBF"
                   "01-/s/a\r\n02-/s/b"),
              (Texts{"01-/s/a", "02-/s/b"}));
    EXPECT_EQ(read("01-/s/a\r02-/s/b\r\r03-/s/c\r"), (Texts{"01-/s/a", "02-/s/b", "", "03-/s/c"}));
    EXPECT_EQ(read("a\r\nb\nc\rd\n\r\n"), (Texts{"a", "b", "c", "d", ""}));
    EXPECT_EQ(read("\xEF\xBB\xBF"), Texts{});
    // Only a mark at the very start is one.
    EXPECT_EQ(read("a\n\xEF\xBB\xBF"
                   "b"),
              (Texts{"a",
                     "\xEF\xBB\xBF"
                     "b"}));
}

TEST_F(ListFileTest, TextThatIsNotUtf8AndOverlongLinesAreRefused) {
    for (const std::string& bytes :
         {std::string("01-/s/caf\xE9.txt\n"), std::string("01-/s/\xC0\xAF\n"), std::string("01-/s/\xED\xA0\x80\n"),
          std::string("01-/s/\xF4\x90\x80\x80\n")}) {
        WriteBytes(file, bytes);
        EXPECT_THROW(ReadListFile(file), ListFileError);
    }
    EXPECT_EQ(refusal((WriteBytes(file, "a\n\xE9\n"), file)), "it is not UTF-8 text");

    const std::string longest(PATH_MAX, 'p');
    EXPECT_EQ(read("a\n" + longest + "\n"), (Texts{"a", longest}));
    WriteBytes(file, "a\n" + longest + "p\nb\n");
    EXPECT_EQ(refusal(file),
              "line 2 is longer than the longest path the system allows (4096 bytes)");
}

/// The text in UTF-16 after its byte-order mark, as Notepad saves "Unicode".
std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes;
    for (const char16_t unit : std::u16string(u"\uFEFF") + std::u16string(text)) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

TEST_F(ListFileTest, AFileStartingWithAUtf16MarkIsReadAsUtf16AndABinaryFileIsToldAsSuch) {
    for (const bool bigEndian : {false, true}) {
        EXPECT_EQ(read(Utf16(u"01-/s/caf\u00E9.txt\r\n/s/\U0001F600 x\n\n", bigEndian)),
                  (Texts{"01-/s/caf\xC3\xA9.txt", "/s/\xF0\x9F\x98\x80 x", ""}))
            << bigEndian;
        EXPECT_EQ(refusal((WriteBytes(file, Utf16(u"/s/\xD800x", bigEndian)), file)),
                  "it is not UTF-16 text: it holds a lone surrogate");
    }
    const std::string binary =
        "it is a binary file, not a list of scripts: it holds NUL bytes (a list in UTF-16 must "
        "start with a byte-order mark)";
    const std::pair<std::string, std::string> refused[] = {
        {Utf16(u"/s/a", false) + "x", "it is not UTF-16 text: it ends in half a character"},
        {Utf16(std::u16string(u"/s/a\0b", 6), false), binary},
        {std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10), binary},
        {std::string("/\0s\0/\0a\0", 8), binary}};
    for (const auto& [bytes, reason] : refused)
        EXPECT_EQ(refusal((WriteBytes(file, bytes), file)), reason);
}

TEST_F(ListFileTest, OnlyRegularFilesOfAListsSizeAreRead) {
    const std::string fifo = (home.path() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(refusal(fifo), "it is not a regular file");
    EXPECT_EQ(refusal("/dev/zero"), "it is not a regular file");
    EXPECT_EQ(refusal(home.path().string()), "it is not a regular file");
    EXPECT_EQ(refusal((home.path() / "missing.txt").string()), "No such file or directory");

    // The longest list: 99 lines each as long as a path may be, with CR LF.
    const std::string line = std::string(PATH_MAX, 'p') + "\r\n";
    std::string largest;
    for (int i = 0; i < kMaxEntries; ++i) largest += line;
    EXPECT_EQ(read(largest).size(), 99u);
    WriteBytes(file, largest + std::string(3 * kMaxEntries + 1, '\n'));
    EXPECT_EQ(refusal(file),
              "it holds more than 405999 bytes, more than a list of the most scripts the queue "
              "holds");
}

}  // namespace
}  // namespace vantrel::testing
