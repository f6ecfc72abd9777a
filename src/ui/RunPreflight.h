#pragma once

#include <cstdint>
#include <optional>
#include <string>

class QWidget;

namespace orvex::ui {

class FilePanel;
class OperatorDialogs;

// Whether a run of these steps sends the image to the unit: it programs or
// verifies.
bool usesImage(std::uint16_t stepSet);

// What the window makes sure of before it hands over a run that programs or
// verifies, so that the unit never gets other data than the operator sees:
// a file changed on disk since its load is offered for reloading; an image
// without data or larger than the flash is refused; skipped HEX lines need
// the operator's yes. Why the run is refused, in the window's words; no value
// when it may start.
std::optional<std::string> checkImageBeforeRun(FilePanel& panel, OperatorDialogs& dialogs, QWidget& parent);

} // namespace orvex::ui
