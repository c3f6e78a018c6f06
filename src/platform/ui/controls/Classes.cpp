#include "platform/ui/controls/Classes.h"

#include <mutex>

namespace platform::ui::controls {

void EnsureStandardClasses()
{
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterButtonClass();
        RegisterScrollBarClass();
        RegisterMenuClass();
        RegisterStaticClass();
        RegisterDialogClass();
        RegisterEditClass();
        RegisterListBoxClasses();
        RegisterComboBoxClass();
        RegisterListViewClass();
    });
}

}  // namespace platform::ui::controls
