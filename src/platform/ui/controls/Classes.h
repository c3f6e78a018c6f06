#pragma once

// Registration of the standard control classes, done once, the first time
// any window class is looked up.

namespace platform::ui::controls {

void RegisterButtonClass();
void RegisterScrollBarClass();
void RegisterMenuClass();
void RegisterStaticClass();
void RegisterDialogClass();
void RegisterEditClass();
void RegisterListBoxClasses();
void RegisterComboBoxClass();
void RegisterListViewClass();

// Registers every standard class the first time it is called.
void EnsureStandardClasses();

}  // namespace platform::ui::controls
