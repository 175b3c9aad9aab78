// The dialog service: scripted answers and records, default extensions, Qt filters.
#include "platform/user/DialogService.h"
#include "platform/user/QtDialogService.h"
#include "platform/user/ScriptedDialogService.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

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

namespace {

// Answers the next modal Qt dialog as a person would, once it is up.
void AnswerNextModal(std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer(QCoreApplication::instance());
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, tries, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

TEST(QtDialogServiceTest, MessageBoxAnswersWithTheButtonPressed)
{
    QtDialogService service;
    AnswerNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QStringLiteral("Save changes?"));
        EXPECT_EQ(box->buttons().size(), 3);
        EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::No));
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(service.MessageBox(nullptr, "Save changes?", "Quellon", MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);

    AnswerNextModal([](QWidget* modal) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(modal, &escape);
    });
    EXPECT_EQ(service.MessageBox(nullptr, "Stopped", "", MB_OK), IDOK) << "Escape on a lone OK is OK";
}

TEST(QtDialogServiceTest, SaveDialogOffersTheConvertedFiltersAndReturnsTheChoice)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtDialogService service;
    FileDialogOptions options;
    options.filter = "Movies|*.kql|All|*.*";
    options.filterIndex = 2;
    options.initialDir = dir.path().toStdString();
    AnswerNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->nameFilters(), (QStringList{QStringLiteral("Movies (*.kql)"), QStringLiteral("All (*)")}));
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("All (*)"));
        dialog->selectFile(QStringLiteral("clip"));
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<std::string> chosen = service.SaveFile(options);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, (dir.path() + QStringLiteral("/clip")).toStdString());

    AnswerNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(service.OpenFile(options), std::nullopt);
}

} // namespace
