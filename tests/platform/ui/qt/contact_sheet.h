#pragma once
// Pictures of windows for a reviewer: one PNG per window in a folder, and beside them one
// contact sheet with all of them at a glance.
#include <string>

class QWidget;

namespace platform::ui::qt::testing {

// Saves `window` as <folder>/<name>.png; the folder's sheet is drawn at the process's end.
// False when the picture could not be written.
bool keepPicture(const QWidget& window, const std::string& folder, const std::string& name,
                 const std::string& heading);

// Draws <folder>/contact-sheet.png anew from every picture in each folder this process wrote
// into, headed as given there. Test processes running side by side take turns, so none loses
// another's picture. False when a sheet could not be written.
bool drawContactSheets();

}  // namespace platform::ui::qt::testing
