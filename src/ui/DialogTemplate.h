#pragma once

#include <QtGlobal>

#include <array>

namespace orvex::ui {

// A rectangle or size in dialog units: a quarter of the dialog font's average
// character width across, an eighth of its height down.
struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct DialogSize {
    int width = 0;
    int height = 0;
};

enum class ControlKind {
    PushButton,
    DefaultButton, // the button Enter presses
    GroupBox,
    Label,       // left-aligned caption
    SunkenText,  // centred text in a sunken frame
    CentredText, // centred text without a frame
    RecentCombo, // drop-down list with an edit field
    StepToggle,  // push-like check box with a third state
    RadioButton,
    ProgressBar,
    Icon, // a picture the dialog sets: a lamp or the program icon
};

// One control of a dialog: the objectName it is found by, its kind, its text
// as the operator sees it (UTF-8; translated in the context "DialogTemplate")
// and its place.
struct ControlRow {
    const char* name;
    ControlKind kind;
    const char* text;
    DialogRect rect;
};

// The main window's client area and its controls, in tab order.
inline constexpr DialogSize kMainDialogSize{282, 347};
inline constexpr char kMainDialogCaption[] =
    QT_TRANSLATE_NOOP("DialogTemplate", "Programator Orvex v1.1a dla ukladu SDA5555FL ");

// clang-format off
inline constexpr std::array kMainDialogControls{
    ControlRow{"closeButton",        ControlKind::PushButton,    QT_TRANSLATE_NOOP("DialogTemplate", "Zamknij"),            {5, 325, 270, 14}},
    ControlRow{"fileGroup",          ControlKind::GroupBox,      QT_TRANSLATE_NOOP("DialogTemplate", "Plik"),               {5, 0, 270, 85}},
    ControlRow{"nameCaption",        ControlKind::Label,         QT_TRANSLATE_NOOP("DialogTemplate", "Nazwa:"),             {10, 10, 25, 10}},
    ControlRow{"fileTimeCaption",    ControlKind::Label,         QT_TRANSLATE_NOOP("DialogTemplate", "Kompilacja:"),        {10, 25, 37, 15}},
    ControlRow{"fileSizeCaption",    ControlKind::Label,         QT_TRANSLATE_NOOP("DialogTemplate", "Rozmiar:"),           {10, 45, 28, 10}},
    ControlRow{"pathCaption",        ControlKind::Label,         QT_TRANSLATE_NOOP("DialogTemplate", "Sciezka:"),           {10, 55, 28, 8}},
    ControlRow{"openButton",         ControlKind::PushButton,    QT_TRANSLATE_NOOP("DialogTemplate", "Otwórz"),             {218, 7, 50, 15}},
    ControlRow{"reloadButton",       ControlKind::PushButton,    QT_TRANSLATE_NOOP("DialogTemplate", "Przeładuj"),          {218, 26, 50, 15}},
    ControlRow{"pathText",           ControlKind::SunkenText,    QT_TRANSLATE_NOOP("DialogTemplate", "Plik.bin"),           {10, 65, 258, 15}},
    ControlRow{"recentCombo",        ControlKind::RecentCombo,   "",                   {50, 10, 155, 120}},
    ControlRow{"statusGroup",        ControlKind::GroupBox,      "Status",             {5, 235, 270, 85}},
    ControlRow{"programGroup",       ControlKind::GroupBox,      "Program",            {5, 90, 270, 140}},
    ControlRow{"stepToggleReload",   ControlKind::StepToggle,    QT_TRANSLATE_NOOP("DialogTemplate", "Przeladuj Plik"),     {10, 100, 66, 15}},
    ControlRow{"stepToggleDetect",   ControlKind::StepToggle,    QT_TRANSLATE_NOOP("DialogTemplate", "Sprawdz Polaczenie"), {10, 115, 66, 15}},
    ControlRow{"stepToggleErase",    ControlKind::StepToggle,    QT_TRANSLATE_NOOP("DialogTemplate", "Skasuj Pamiec"),      {10, 130, 66, 15}},
    ControlRow{"stepToggleTestFF",   ControlKind::StepToggle,    QT_TRANSLATE_NOOP("DialogTemplate", "Testuj Czystosc"),    {10, 145, 66, 15}},
    ControlRow{"stepToggleProgram",  ControlKind::StepToggle,    QT_TRANSLATE_NOOP("DialogTemplate", "Programuj"),          {10, 160, 66, 15}},
    ControlRow{"stepToggleVerify",   ControlKind::StepToggle,    QT_TRANSLATE_NOOP("DialogTemplate", "Weryfikuj"),          {10, 175, 66, 15}},
    ControlRow{"stepToggleRead",     ControlKind::StepToggle,    QT_TRANSLATE_NOOP("DialogTemplate", "Odczytaj"),           {10, 190, 66, 15}},
    ControlRow{"comCaption",         ControlKind::Label,         "COM:",               {10, 295, 25, 15}},
    ControlRow{"progressCaption",    ControlKind::Label,         QT_TRANSLATE_NOOP("DialogTemplate", "Postep:"),            {10, 270, 23, 15}},
    ControlRow{"baudRateText",       ControlKind::CentredText,   "@ 115200 bps",       {185, 300, 50, 10}},
    ControlRow{"stepLineReload",     ControlKind::SunkenText,    QT_TRANSLATE_NOOP("DialogTemplate", "GOTOWY"),             {76, 100, 192, 15}},
    ControlRow{"stepLineDetect",     ControlKind::SunkenText,    QT_TRANSLATE_NOOP("DialogTemplate", "GOTOWY"),             {76, 115, 192, 15}},
    ControlRow{"stepLineErase",      ControlKind::SunkenText,    QT_TRANSLATE_NOOP("DialogTemplate", "GOTOWY"),             {76, 130, 192, 15}},
    ControlRow{"stepLineTestFF",     ControlKind::SunkenText,    QT_TRANSLATE_NOOP("DialogTemplate", "GOTOWY"),             {76, 145, 192, 15}},
    ControlRow{"stepLineProgram",    ControlKind::SunkenText,    QT_TRANSLATE_NOOP("DialogTemplate", "GOTOWY"),             {76, 160, 192, 15}},
    ControlRow{"stepLineVerify",     ControlKind::SunkenText,    QT_TRANSLATE_NOOP("DialogTemplate", "GOTOWY"),             {76, 175, 192, 15}},
    ControlRow{"stepLineRead",       ControlKind::SunkenText,    QT_TRANSLATE_NOOP("DialogTemplate", "GOTOWY"),             {76, 190, 192, 15}},
    ControlRow{"executeButton",      ControlKind::DefaultButton, QT_TRANSLATE_NOOP("DialogTemplate", "Wykonaj Program"),    {10, 210, 258, 14}},
    ControlRow{"mainStatusCaption",  ControlKind::Label,         "Program:",           {10, 245, 29, 15}},
    ControlRow{"mainStatusText",     ControlKind::SunkenText,    QT_TRANSLATE_NOOP("DialogTemplate", "Wykonywanie...."),    {40, 245, 200, 15}},
    ControlRow{"progressBar",        ControlKind::ProgressBar,   "",                   {40, 270, 200, 15}},
    ControlRow{"runLamp",            ControlKind::Icon,          "",                   {245, 245, 20, 20}},
    ControlRow{"portLamp",           ControlKind::Icon,          "",                   {245, 295, 20, 20}},
    ControlRow{"fileTimeText",       ControlKind::SunkenText,    "-----",              {50, 25, 155, 15}},
    ControlRow{"fileSizeText",       ControlKind::SunkenText,    "-----",              {50, 45, 218, 15}},
    ControlRow{"portGroup",          ControlKind::GroupBox,      QT_TRANSLATE_NOOP("DialogTemplate", "Port Szeregowy"),     {40, 290, 200, 25}},
    ControlRow{"comButton1",         ControlKind::RadioButton,   "COM1",               {45, 300, 30, 10}},
    ControlRow{"comButton2",         ControlKind::RadioButton,   "COM2",               {80, 300, 30, 10}},
    ControlRow{"comButton3",         ControlKind::RadioButton,   "COM3",               {115, 300, 30, 10}},
    ControlRow{"comButton4",         ControlKind::RadioButton,   "COM4",               {150, 300, 30, 10}},
};
// clang-format on

// The About box.
inline constexpr DialogSize kAboutDialogSize{235, 82};
inline constexpr char kAboutDialogCaption[] = "About Vantorix";

// clang-format off
inline constexpr std::array kAboutDialogControls{
    ControlRow{"aboutIcon",    ControlKind::Icon,          "",                       {7, 31, 20, 20}},
    ControlRow{"versionText",  ControlKind::Label,         "Vantorix Version 1.0.2", {40, 10, 119, 8}},
    ControlRow{"okButton",     ControlKind::DefaultButton, "OK",                     {178, 30, 50, 14}},
};
// clang-format on

} // namespace orvex::ui
