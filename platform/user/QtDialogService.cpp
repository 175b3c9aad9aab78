#include "platform/user/QtDialogService.h"

#include "platform/user/UserQt.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include <vector>

namespace {

struct ButtonChoice {
    QMessageBox::StandardButton button;
    int answer;
};

std::vector<ButtonChoice> ButtonsFor(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
        return {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
    case MB_YESNOCANCEL:
        return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO:
        return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case MB_RETRYCANCEL:
        return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_CANCELTRYCONTINUE:
        return {{QMessageBox::Cancel, IDCANCEL}, {QMessageBox::Retry, IDTRYAGAIN}, {QMessageBox::Ignore, IDCONTINUE}};
    default:
        return {{QMessageBox::Ok, IDOK}};
    }
}

QMessageBox::Icon IconFor(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

std::optional<std::string> RunFileDialog(const FileDialogOptions& options, bool save)
{
    QFileDialog dialog(WindowWidget(options.owner), QString::fromStdString(options.title),
                       QString::fromStdString(options.initialDir));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save && !options.overwritePrompt)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // The list of types shows the filter's own descriptions, as on Windows, not Qt's masks.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QString filters = QtNameFilters(options.filter);
    if (!filters.isEmpty()) {
        const QStringList list = filters.split(QStringLiteral(";;"));
        dialog.setNameFilters(list);
        const int index = options.filterIndex - 1;
        if (index >= 0 && index < list.size())
            dialog.selectNameFilter(list[index]);
    }
    if (!options.fileName.empty())
        dialog.selectFile(QString::fromStdString(options.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

} // namespace

QString QtNameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList masks = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& mask : masks) {
            mask = mask.trimmed();
            // Windows' "*.*" means every file; Qt's would want a dot in the name.
            if (mask == QStringLiteral("*.*"))
                mask = QStringLiteral("*");
        }
        if (masks.isEmpty())
            continue;
        result << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), masks.join(QLatin1Char(' ')));
    }
    return result.join(QStringLiteral(";;"));
}

int QtDialogService::MessageBox(HWND owner, std::string text, std::string caption, UINT type)
{
    QMessageBox box(IconFor(type), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, WindowWidget(owner));
    const std::vector<ButtonChoice> buttons = ButtonsFor(type);
    const int defaultAnswer = DefaultMessageBoxAnswer(type);
    QAbstractButton* escape = nullptr;
    for (const ButtonChoice& choice : buttons) {
        QPushButton* button = box.addButton(choice.button);
        if (choice.answer == defaultAnswer)
            box.setDefaultButton(button);
        if (choice.answer == IDCANCEL)
            escape = button;
    }
    // Without a Cancel button, Escape answers as a lone OK button does.
    if (escape == nullptr && buttons.size() == 1)
        escape = box.button(buttons.front().button);
    box.setEscapeButton(escape);
    box.exec();
    const QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
    for (const ButtonChoice& choice : buttons) {
        if (choice.button == clicked)
            return choice.answer;
    }
    // Closed without a button: as Escape.
    return buttons.size() == 1 ? buttons.front().answer : IDCANCEL;
}

std::optional<std::string> QtDialogService::OpenFile(const FileDialogOptions& options)
{
    return RunFileDialog(options, false);
}

std::optional<std::string> QtDialogService::SaveFile(const FileDialogOptions& options)
{
    return RunFileDialog(options, true);
}
