#include "ui/RunPreflight.h"

#include "notify/ProcedureStep.h"
#include "ui/FilePanel.h"
#include "ui/FileTexts.h"
#include "ui/OperatorDialogs.h"
#include "ui/PathParts.h"

#include <QString>

namespace orvex::ui {

namespace {

constexpr char kNoData[] = "Brak danych: plik pusty lub niewczytany";
constexpr char kSkippedLinesDeclined[] = "Przerwano: plik HEX z pominiętymi wierszami";
constexpr char kChangedQuestion[] = "Plik %1 zmienił się na dysku od wczytania.\nWczytać go ponownie?";
constexpr char kSkippedLinesQuestion[] = "W pliku HEX pominięto błędne wiersze.\n%1\nKontynuować mimo to?";

void offerReloadIfChanged(FilePanel& panel, OperatorDialogs& dialogs, QWidget& parent)
{
    if (!panel.loadedFileChanged())
        return;
    const QString name = QString::fromStdString(fileNameOf(panel.image().path()));
    if (dialogs.askYesNo(&parent, QString::fromUtf8(kChangedQuestion).arg(name)))
        panel.reloadCurrentFile();
}

bool skippedLinesAccepted(const FirmwareImage& image, OperatorDialogs& dialogs, QWidget& parent)
{
    const std::string skipped = skippedLinesText(image.loadReport());
    return skipped.empty()
        || dialogs.askYesNo(&parent, QString::fromUtf8(kSkippedLinesQuestion).arg(QString::fromStdString(skipped)));
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
        return kNoData;
    if (std::string oversize = oversizeText(image.dataSize()); !oversize.empty())
        return oversize;
    if (!skippedLinesAccepted(image, dialogs, parent))
        return kSkippedLinesDeclined;
    return std::nullopt;
}

} // namespace orvex::ui
