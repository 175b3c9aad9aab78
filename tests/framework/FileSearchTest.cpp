#include "framework/FileSearch.h"

#include "framework/Exceptions.h"
#include "tests/framework/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::vector<std::string> Names(const std::vector<TSearchRec>& found)
{
    std::vector<std::string> names;
    for (const TSearchRec& rec : found)
        names.push_back(rec.Name);
    return names;
}

TEST(FileSearch, MaskHasWindowsMeaning)
{
    EXPECT_TRUE(MatchesMask("am000041.bmp", "am*.bmp"));
    EXPECT_TRUE(MatchesMask("am.bmp", "am*.bmp"));
    EXPECT_FALSE(MatchesMask("am000041.bmp.old", "am*.bmp"));
    EXPECT_TRUE(MatchesMask("a.b.bmp", "*.bmp"));
    EXPECT_TRUE(MatchesMask("abc", "a?c"));
    EXPECT_FALSE(MatchesMask("ac", "a?c"));
    EXPECT_FALSE(MatchesMask("abbc", "a?c"));
    EXPECT_TRUE(MatchesMask("noext", "*.*"));
    EXPECT_TRUE(MatchesMask("noext", "*."));
    EXPECT_FALSE(MatchesMask("a.b", "*."));
    EXPECT_TRUE(MatchesMask("aXbXb", "*a*b"));
    EXPECT_FALSE(MatchesMask("AM1.bmp", "am*.bmp"));
    EXPECT_TRUE(MatchesMask("", "*"));
    EXPECT_FALSE(MatchesMask("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*c"));
}

TEST(FileSearch, FindsOrdinaryFilesOnly)
{
    TempFolder folder;
    for (const char* name : {"am000041.bmp", "am7.bmp", "amx12.bmp", "am.bmp", "am000001.jpg", "bm1.bmp"})
        folder.WriteFile(name, "12345");
    std::filesystem::create_directory(folder.Path("am000099.bmp"));
    folder.WriteFile(".am5.bmp", "");

    const auto found = FindFiles(folder.Path("am*.bmp"), 0);
    EXPECT_EQ(Names(found), (std::vector<std::string>{"am.bmp", "am000041.bmp", "am7.bmp", "amx12.bmp"}));
    EXPECT_EQ(found.front().Size, 5);
    EXPECT_EQ(found.front().Attr & faDirectory, 0);

    EXPECT_EQ(Names(FindFiles(folder.Path("am*.bmp"), faDirectory)),
              (std::vector<std::string>{"am.bmp", "am000041.bmp", "am000099.bmp", "am7.bmp", "amx12.bmp"}));
    EXPECT_EQ(Names(FindFiles(folder.Path("*am5*"), 0)), std::vector<std::string>{});
    EXPECT_EQ(Names(FindFiles(folder.Path("*am5*"), faHidden)), std::vector<std::string>{".am5.bmp"});
}

TEST(FileSearch, FindFirstNextCloseProtocol)
{
    TempFolder folder;
    folder.WriteFile("a1.jpg", "");
    folder.WriteFile("a2.jpg", "");
    TSearchRec rec;
    ASSERT_EQ(FindFirst(folder.Path("a?.jpg"), 0, rec), 0);
    EXPECT_EQ(rec.Name, "a1.jpg");
    ASSERT_EQ(FindNext(rec), 0);
    EXPECT_EQ(rec.Name, "a2.jpg");
    EXPECT_EQ(FindNext(rec), ERROR_NO_MORE_FILES);
    FindClose(rec);
    EXPECT_EQ(FindNext(rec), ERROR_NO_MORE_FILES);

    EXPECT_EQ(FindFirst(folder.Path("*.bmp"), 0, rec), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirst(folder.Path("nowhere/*.bmp"), 0, rec), ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(FindFiles(folder.Path("nowhere/*.bmp"), 0).empty());
}

} // namespace
