#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "base/WideText_windows.h"
#include "queue/ListFile.h"
#include "testing/FileBytes.h"

namespace vantrel {
namespace {

using Lines = std::vector<std::string>;

class ListFileWindowsTest : public ::testing::Test {
protected:
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("vantrel list " + std::to_string(GetCurrentProcessId()) + ".txt");
    ~ListFileWindowsTest() override { std::filesystem::remove(file); }

    Lines read(const std::string& bytes) {
        testing::WriteBytes(file, bytes);
        return ReadListFile(Utf8FromWide(file.wstring()));
    }
};

TEST_F(ListFileWindowsTest, AValidUtf8FileIsReadAsUtf8) {
    EXPECT_EQ(read("01-C:\\caf\xC3\xA9.txt\r\n02-C:\\\xE2\x82\xAC \xCE\xA9.txt"),
              (Lines{"01-C:\\caf\xC3\xA9.txt", "02-C:\\\xE2\x82\xAC \xCE\xA9.txt"}));
    EXPECT_EQ(read("01-C:\\plain.txt\n"), Lines{"01-C:\\plain.txt"});
}

// A list written by hand in Notepad's "ANSI": Windows-1252 on a Western system.
TEST_F(ListFileWindowsTest, AnyOtherFileIsReadInTheAnsiCodePageAsAWhole) {
    ASSERT_EQ(GetACP(), 1252u) << "the test prefix runs a Western locale";
    EXPECT_EQ(
        read("01-C:\\caf\xE9.txt\r\n02-C:\\\x80 \x93q\x94.txt\r\n"),
        (Lines{"01-C:\\caf\xC3\xA9.txt", "02-C:\\\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D.txt"}));
    // One byte that breaks UTF-8 makes the whole file ANSI, its UTF-8-looking pairs included.
    EXPECT_EQ(read("01-C:\\\xC3\xA9\r\n02-C:\\\xE9"),
              (Lines{"01-C:\\\xC3\x83\xC2\xA9", "02-C:\\\xC3\xA9"}));
}

TEST_F(ListFileWindowsTest, WhatTheProgramWritesReadsBackUnchanged) {
    const Lines lines{"01-C:\\caf\xC3\xA9.txt", "02-C:\\\xCE\xA9\xE6\x97\xA5.txt", ""};
    WriteListFile(Utf8FromWide(file.wstring()), lines);
    EXPECT_EQ(ReadListFile(Utf8FromWide(file.wstring())), lines);
}

}  // namespace
}  // namespace vantrel
