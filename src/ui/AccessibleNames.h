#pragma once

class QWidget;

namespace AccessibleNames {

// Gives every control under "root" that has no accessible name of its own one that a screen
// reader can announce: its label's text, its tool tip, or its placeholder. Icon-only buttons
// are named by their tool tip.
void complete(QWidget* root);

} // namespace AccessibleNames
