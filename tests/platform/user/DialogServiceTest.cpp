// The dialog service: scripted answers and records, default extensions, Qt filters.
#include "platform/user/DialogService.h"
#include "platform/user/QtDialogService.h"
#include "platform/user/ScriptedDialogService.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogServiceTest, ScriptedServiceAnswersFromItsQueueAndRecordsEveryBox)
{
    ScriptedDialogService script;
    ScopedDialogService installed(script);
    script.QueueMessageBoxAnswer(IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "Overwrite?", "Quellon", MB_YESNO | MB_ICONQUESTION), IDNO);
    // An empty queue presses the default button.
    EXPECT_EQ(MessageBoxA(nullptr, "Sure?", "", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "Done", nullptr, MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Again?", "", MB_RETRYCANCEL), IDRETRY);
    ASSERT_EQ(script.MessageBoxes().size(), 4u);
    EXPECT_EQ(script.MessageBoxes()[0].text, "Overwrite?");
    EXPECT_EQ(script.MessageBoxes()[0].caption, "Quellon");
    EXPECT_EQ(script.MessageBoxes()[0].type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(script.MessageBoxes()[2].caption, "Error") << "a missing caption reads Error, as on Windows";
    EXPECT_EQ(script.PendingAnswers(), 0u);
}

TEST(DialogServiceTest, FileDialogsAnswerInOrderAndAddTheDefaultExtensionOnlyWhenMissing)
{
    ScriptedDialogService script;
    ScopedDialogService installed(script);
    FileDialogOptions save;
    save.filter = "*.kql|*.kql";
    save.defaultExt = ".kql";
    script.QueueFileName("/tmp/out/movie");
    script.QueueFileName("/tmp/out/movie.kql");
    script.QueueFileName("/tmp/out.d/clip.avi");
    script.QueueFileCancel();
    EXPECT_EQ(ShowSaveDialog(save), "/tmp/out/movie.kql");
    EXPECT_EQ(ShowSaveDialog(save), "/tmp/out/movie.kql");
    EXPECT_EQ(ShowSaveDialog(save), "/tmp/out.d/clip.avi");
    EXPECT_EQ(ShowOpenDialog(save), std::nullopt);
    EXPECT_EQ(ShowOpenDialog(save), std::nullopt) << "an empty queue cancels";
    ASSERT_EQ(script.FileDialogs().size(), 5u);
    EXPECT_TRUE(script.FileDialogs()[0].save);
    EXPECT_FALSE(script.FileDialogs()[3].save);
    EXPECT_EQ(script.FileDialogs()[0].options.filter, "*.kql|*.kql");
    EXPECT_EQ(script.FileDialogs()[0].answer, "/tmp/out/movie") << "the service saw the bare choice";
}

TEST(DialogServiceTest, DefaultExtensionRules)
{
    EXPECT_EQ(ApplyDefaultExtension("/a/movie", "kql"), "/a/movie.kql");
    EXPECT_EQ(ApplyDefaultExtension("/a.b/movie", ".kql"), "/a.b/movie.kql");
    EXPECT_EQ(ApplyDefaultExtension("/a/.hidden", "kql"), "/a/.hidden.kql");
    EXPECT_EQ(ApplyDefaultExtension("/a/movie.", "kql"), "/a/movie.");
    EXPECT_EQ(ApplyDefaultExtension("/a/movie.KQL", "kql"), "/a/movie.KQL");
    EXPECT_EQ(ApplyDefaultExtension("/a/movie", ""), "/a/movie");
    EXPECT_EQ(ApplyDefaultExtension("/a/", "kql"), "/a/");
}

TEST(DialogServiceTest, WindowsFiltersBecomeQtNameFilters)
{
    EXPECT_EQ(QtNameFilters("*.mpg|*.mpg|*.avi|*.avi|*.*|*.*").toStdString(),
              "*.mpg (*.mpg);;*.avi (*.avi);;*.* (*)");
    EXPECT_EQ(QtNameFilters("Videos|*.mpg;*.avi|Dangling").toStdString(), "Videos (*.mpg *.avi)");
    EXPECT_EQ(QtNameFilters("").toStdString(), "");
}

TEST(DialogServiceTest, DefaultAnswersFollowTheDefaultButton)
{
    EXPECT_EQ(DefaultMessageBoxAnswer(MB_OKCANCEL), IDOK);
    EXPECT_EQ(DefaultMessageBoxAnswer(MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_EQ(DefaultMessageBoxAnswer(MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
    EXPECT_EQ(DefaultMessageBoxAnswer(MB_OK | MB_DEFBUTTON3), IDOK) << "no third button";
}

} // namespace
