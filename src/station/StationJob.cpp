#include "station/StationJob.h"

#include "device/ProgrammerDevice.h"
#include "engine/ImageSnapshot.h"
#include "engine/Sha256.h"
#include "image/FileReading.h"
#include "image/FirmwareImage.h"
#include "notify/ProcedureStep.h"
#include "records/SerialNumber.h"
#include "station/StationText.h"
#include "ui/ControlBuilder.h"
#include "ui/FileTexts.h"
#include "ui/RunPreflight.h"

#include <array>
#include <new>

namespace orvex::station {

namespace {

struct StepLabel {
    std::uint16_t bit;
    const char* label; // the programmer window's toggle for the step, translated as there
};

constexpr std::array kStepLabels{
    StepLabel{StepBit::Detect, QT_TRANSLATE_NOOP("DialogTemplate", "Sprawdz Polaczenie")},
    StepLabel{StepBit::Erase, QT_TRANSLATE_NOOP("DialogTemplate", "Skasuj Pamiec")},
    StepLabel{StepBit::TestFF, QT_TRANSLATE_NOOP("DialogTemplate", "Testuj Czystosc")},
    StepLabel{StepBit::Program, QT_TRANSLATE_NOOP("DialogTemplate", "Programuj")},
    StepLabel{StepBit::Verify, QT_TRANSLATE_NOOP("DialogTemplate", "Weryfikuj")},
    StepLabel{StepBit::Read, QT_TRANSLATE_NOOP("DialogTemplate", "Odczytaj")},
};

// What is wrong with the job itself, before its firmware is looked at.
std::optional<std::string> checkProcedure(const Job& job, bool recordsEnabled)
{
    if (job.ports.empty())
        return fillText(ORVEX_TEXT("StationJob", "Zadanie %1 nie podaje portów stanowiska (PORTS)."), job.name);
    if ((job.stepSet & StepBit::Read) != 0) {
        if (!job.readBackPattern || *job.readBackPattern == "-")
            return fillText(
                ORVEX_TEXT("StationJob", "Zadanie %1 odczytuje układ, ale nie podaje pliku na odczyt (READBACK)."),
                job.name);
        const std::string& pattern = *job.readBackPattern;
        // As on the command line: {port} alone is sure to differ between
        // channels ({serial} is empty in a job that does not number units).
        if (job.ports.size() > 1 && pattern.find("{port}") == std::string::npos)
            return fillText(
                ORVEX_TEXT(
                    "StationJob",
                    "Zadanie %1 zapisuje odczyt każdego kanału do jednego pliku %2; READBACK potrzebuje {port}."),
                job.name, pattern);
    }
    if (!job.serial)
        return std::nullopt;
    if (!recordsEnabled)
        return fillText(
            ORVEX_TEXT("StationJob",
                       "Zadanie %1 numeruje układy, a to wymaga bazy zapisów, które są wyłączone (RECORDS=off)."),
            job.name);
    if (const auto problem = checkSerialNumbering(*job.serial, ProgrammerDevice::kFlashSize))
        return fillText(ORVEX_TEXT("StationJob", "Zadanie %1: %2"), job.name, *problem);
    return std::nullopt;
}

std::string fileSha256(const std::string& path)
{
    try {
        ReadableFile file(path);
        const ByteBuffer bytes = file.readAll();
        if (file.outcome().readStatus != FileReadStatus::Read)
            return {};
        return sha256Hex(bytes);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::variant<std::shared_ptr<const RunImage>, std::string> loadFirmware(const Job& job)
{
    FirmwareImage image;
    image.load(job.firmwarePath);
    const LoadReport& report = image.loadReport();
    if (report.readStatus != FileReadStatus::Read)
        return fillText(ORVEX_TEXT("StationJob", "Nie można wczytać pliku firmware %1: %2"), job.firmwarePath,
                        describeReading(report));
    std::shared_ptr<const RunImage> snapshot = snapshotOf(image);
    if (!snapshot)
        return fillText(ORVEX_TEXT("StationJob", "Plik firmware %1 nie zawiera danych."), job.firmwarePath);
    if (snapshot->file.sha256 != job.sha256)
        return fillText(
            ORVEX_TEXT("StationJob", "Plik firmware %1 zmienił się od zapisania zadania %2 (SHA-256 %3, zadanie: %4)."),
            job.firmwarePath, job.name, snapshot->file.sha256.substr(0, 12), job.sha256.substr(0, 12));
    if (std::string oversize = ui::oversizeText(image.dataSize()); !oversize.empty())
        return oversize;
    if (!job.lenient && (!report.rejectedLines.empty() || (report.isHex && !report.endRecordSeen)))
        return fillText(ORVEX_TEXT("StationJob", "Plik firmware %1 nie jest poprawnym plikiem HEX. %2"),
                        job.firmwarePath,
                        report.rejectedLines.empty() ? translated(ORVEX_TEXT("StationJob", "Brak rekordu końca pliku."))
                                                     : ui::skippedLinesText(report));
    return snapshot;
}

} // namespace

std::variant<StationJob, std::string> loadStationJob(const std::string& path, bool recordsEnabled)
{
    auto read = readJobFile(path);
    if (const auto* reason = std::get_if<std::string>(&read))
        return fillText(ORVEX_TEXT("StationJob", "Nie można użyć zadania %1: %2"), path, *reason);
    StationJob loaded{path, std::get<Job>(read), nullptr};
    if (auto problem = checkProcedure(loaded.job, recordsEnabled))
        return *problem;
    if (!ui::usesImage(loaded.job.stepSet))
        return loaded;
    auto firmware = loadFirmware(loaded.job);
    if (auto* problem = std::get_if<std::string>(&firmware))
        return *problem;
    loaded.image = std::get<std::shared_ptr<const RunImage>>(firmware);
    return loaded;
}

std::optional<std::string> firmwareChangedOnDisk(const StationJob& loaded)
{
    if (!loaded.image)
        return std::nullopt;
    const std::string now = fileSha256(loaded.job.firmwarePath);
    if (now == loaded.image->file.sha256)
        return std::nullopt;
    return fillText(
        ORVEX_TEXT("StationJob",
                   "Plik firmware %1 zmienił się na dysku od otwarcia zadania. Żaden kanał nie ruszył; otwórz zadanie "
                   "ponownie."),
        loaded.job.firmwarePath);
}

std::string stepsText(std::uint16_t stepSet)
{
    std::string text;
    for (const StepLabel& step : kStepLabels)
        if ((stepSet & step.bit) != 0)
            text += (text.empty() ? "" : " · ") + ui::templateText(step.label).toStdString();
    return text;
}

} // namespace orvex::station
