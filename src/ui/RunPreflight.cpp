#include "ui/RunPreflight.h"

#include "lang/UiText.h"
#include "notify/ProcedureStep.h"
#include "ui/FilePanel.h"
#include "ui/FileTexts.h"
#include "ui/OperatorDialogs.h"
#include "ui/PathParts.h"

#include <QString>

namespace orvex::ui {

namespace {

constexpr OperatorText kNoData = ORVEX_TEXT("RunPreflight", "Brak danych: plik pusty lub niewczytany");
constexpr OperatorText kSkippedLinesDeclined =
    ORVEX_TEXT("RunPreflight", "Przerwano: plik HEX z pominiętymi wierszami");
constexpr OperatorText kChangedQuestion =
    ORVEX_TEXT("RunPreflight", "Plik %1 zmienił się na dysku od wczytania.\nWczytać go ponownie?");
constexpr OperatorText kSkippedLinesQuestion =
    ORVEX_TEXT("RunPreflight", "W pliku HEX pominięto błędne wiersze.\n%1\nKontynuować mimo to?");

void offerReloadIfChanged(FilePanel& panel, OperatorDialogs& dialogs, QWidget& parent)
{
    if (!panel.loadedFileChanged())
        return;
    const QString name = QString::fromStdString(fileNameOf(panel.image().path()));
    if (dialogs.askYesNo(&parent, lang::uiText(kChangedQuestion).arg(name)))
        panel.reloadCurrentFile();
}

bool skippedLinesAccepted(const FirmwareImage& image, OperatorDialogs& dialogs, QWidget& parent)
{
    const std::string skipped = skippedLinesText(image.loadReport());
    return skipped.empty()
           || dialogs.askYesNo(&parent, lang::uiText(kSkippedLinesQuestion).arg(QString::fromStdString(skipped)));
}

} // namespace

bool usesImage(std::uint16_t stepSet)
{
    return (stepSet & (StepBit::Program | StepBit::Verify)) != 0;
}

std::optional<std::string> checkImageBeforeRun(FilePanel& panel, OperatorDialogs& dialogs, QWidget& parent)
{
    offerReloadIfChanged(panel, dialogs, parent);
    const FirmwareImage& image = panel.image();
    if (image.dataSize() == 0)
        return translated(kNoData);
    if (std::string oversize = oversizeText(image.dataSize()); !oversize.empty())
        return oversize;
    if (!skippedLinesAccepted(image, dialogs, parent))
        return translated(kSkippedLinesDeclined);
    return std::nullopt;
}

} // namespace orvex::ui
