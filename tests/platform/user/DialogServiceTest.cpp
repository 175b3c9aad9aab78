// The dialog service: scripted answers and records, default extensions, Qt filters.
#include "platform/user/DialogService.h"
#include "platform/user/QtDialogService.h"
#include "platform/user/ScriptedDialogService.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileSystemModel>
#include <QFileDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>
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

// Answers the next modal Qt dialog as a person would, once it is up. Whatever the answer
// does (an assertion that returns before pressing anything, a dialog that refuses the
// answer), the dialog is closed within a bound and the test fails with a message: a test
// that drives a modal dialog can never wait forever.
void AnswerNextModal(std::function<void(QWidget*)> answer)
{
    constexpr int PollMs = 10;
    constexpr qint64 BoundMs = 5000;
    auto* timer = new QTimer(QCoreApplication::instance());
    auto clock = std::make_shared<QElapsedTimer>();
    auto answered = std::make_shared<QPointer<QWidget>>();
    auto hasAnswered = std::make_shared<bool>(false);
    clock->start();
    const auto finish = [timer] {
        timer->stop();
        timer->deleteLater();
    };
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        if (!*hasAnswered) {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                *hasAnswered = true;
                *answered = modal;
                clock->restart();
                answer(modal);
            } else if (clock->elapsed() > BoundMs) {
                ADD_FAILURE() << "no modal dialog came up within " << BoundMs << " ms";
                finish();
            }
            return;
        }
        QWidget* modal = answered->data();
        if (!modal || !modal->isVisible()) {
            finish();
        } else if (clock->elapsed() > BoundMs) {
            ADD_FAILURE() << "the dialog was still open " << BoundMs << " ms after its answer; closed it";
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->done(QDialog::Rejected);
            else
                modal->close();
            finish();
        }
    });
    timer->start(PollMs);
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
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("All")) << "the type list shows descriptions only";
        // Typed into the name field, as a person would. QFileDialog::selectFile leaves the
        // field alone while it has the focus, which the window system may give it before or
        // after this runs; accept() then takes the folder as the answer and only changes into
        // it, leaving the dialog open.
        auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameField, nullptr);
        nameField->setText(QStringLiteral("clip"));
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<std::string> chosen = service.SaveFile(options);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, (dir.path() + QStringLiteral("/clip")).toStdString());

    AnswerNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(service.OpenFile(options), std::nullopt);
}

// The names the dialog lists as choosable in `folder`, once they equal `expected` or after a
// bound: the file system model fills in from a thread of its own.
QStringList ListedNames(const QFileSystemModel& model, const QString& folder, const QStringList& expected)
{
    QElapsedTimer clock;
    clock.start();
    QStringList names;
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        names.clear();
        const QModelIndex parent = model.index(folder);
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex item = model.index(row, 0, parent);
            if (model.flags(item) & Qt::ItemIsEnabled)
                names << model.fileName(item);
        }
        names.sort();
    } while (names != expected && clock.elapsed() < 3000);
    return names;
}

// What a person sees in the program's open dialog: the list of types shows the filter's own
// descriptions, and a video is listed whatever the case of its name, as on Windows.
TEST(QtDialogServiceTest, TheOpenDialogListsVideosWhateverTheCaseOfTheirNames)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"a.mpg", "B.MPG", "c.Avi", "d.txt"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const std::map<QString, QStringList> expected = {
        {QStringLiteral("*.mpg"), {QStringLiteral("B.MPG"), QStringLiteral("a.mpg")}},
        {QStringLiteral("*.avi"), {QStringLiteral("c.Avi")}},
        {QStringLiteral("*.*"), {QStringLiteral("B.MPG"), QStringLiteral("a.mpg"), QStringLiteral("c.Avi"), QStringLiteral("d.txt")}}};
    QtDialogService service;
    FileDialogOptions options;
    options.filter = "*.mpg|*.mpg|*.avi|*.avi|*.*|*.*";
    options.filterIndex = 1;
    options.initialDir = dir.path().toStdString();
    QStringList types;
    std::map<QString, QStringList> listed;
    AnswerNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        const auto closeDialog = qScopeGuard([dialog] { dialog->reject(); });
        auto* typeList = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        auto* model = dialog->findChild<QFileSystemModel*>();
        ASSERT_NE(typeList, nullptr);
        ASSERT_NE(model, nullptr);
        for (int i = 0; i < typeList->count(); ++i) {
            const QString type = typeList->itemText(i);
            types << type;
            dialog->selectNameFilter(dialog->nameFilters().value(i));
            const auto wanted = expected.find(type);
            listed[type] = ListedNames(*model, dir.path(), wanted != expected.end() ? wanted->second : QStringList{});
        }
    });
    EXPECT_EQ(service.OpenFile(options), std::nullopt);
    EXPECT_EQ(types, (QStringList{QStringLiteral("*.mpg"), QStringLiteral("*.avi"), QStringLiteral("*.*")}));
    EXPECT_EQ(listed, expected);
}

} // namespace
