#include "ui/QtOperatorDialogs.h"

#include "lang/UiText.h"
#include "ui/AboutDialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <span>

namespace orvex::ui {

namespace {

struct NameFilter {
    OperatorText description; // as the operator reads it
    const char* patterns;     // as Qt matches them
};

// clang-format off
constexpr NameFilter kFirmwareFilters[] = {
    {ORVEX_TEXT("QtOperatorDialogs", "Pliki HEX/BIN (*.bin, *.hex)"), "*.bin *.hex"},
    {ORVEX_TEXT("QtOperatorDialogs", "Pliki HEX (*.hex)"),            "*.hex"},
    {ORVEX_TEXT("QtOperatorDialogs", "Pliki BIN (*.bin)"),            "*.bin"},
    {ORVEX_TEXT("QtOperatorDialogs", "Wszystkie pliki (*.*)"),        "*"},
};
constexpr NameFilter kReadBackFilters[] = {
    {ORVEX_TEXT("QtOperatorDialogs", "Pliki BIN (*.bin)"),            "*.bin"},
    {ORVEX_TEXT("QtOperatorDialogs", "Wszystkie pliki (*.*)"),        "*"},
};
// clang-format on

// Qt reads a filter's patterns from its last parentheses and, with the
// details hidden, shows the text before them: so the operator sees each
// description exactly, while "*.*" still matches names without a dot.
QStringList nameFilters(std::span<const NameFilter> filters)
{
    QStringList list;
    for (const NameFilter& filter : filters)
        list << lang::uiText(filter.description) + QStringLiteral(" (") + QString::fromLatin1(filter.patterns)
                    + QLatin1Char(')');
    return list;
}

std::optional<std::string> runFileDialog(QFileDialog& dialog, std::span<const NameFilter> filters,
                                         const std::string& startDirectory)
{
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(nameFilters(filters));
    dialog.selectNameFilter(dialog.nameFilters().front());
    dialog.setDirectory(QString::fromStdString(startDirectory));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

} // namespace

std::optional<std::string> QtOperatorDialogs::chooseFirmwareFile(QWidget* parent, const std::string& startDirectory)
{
    QFileDialog dialog(parent, lang::uiText(ORVEX_TEXT("QtOperatorDialogs", "Otwórz")));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return runFileDialog(dialog, kFirmwareFilters, startDirectory);
}

std::optional<std::string> QtOperatorDialogs::chooseReadBackFile(QWidget* parent, const std::string& startDirectory)
{
    QFileDialog dialog(parent, lang::uiText(ORVEX_TEXT("QtOperatorDialogs", "Zapisz jako")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("bin"));
    return runFileDialog(dialog, kReadBackFilters, startDirectory);
}

void QtOperatorDialogs::showMessage(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, QCoreApplication::applicationName(), text);
}

bool QtOperatorDialogs::askYesNo(QWidget* parent, const QString& question)
{
    return QMessageBox::question(parent, QCoreApplication::applicationName(), question,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

void QtOperatorDialogs::showAbout(QWidget* parent)
{
    AboutDialog about(parent);
    about.exec();
}

} // namespace orvex::ui
