#include "modListViewEnh.h"

#include "ui/platform/ListView.h"
#include "ui/platform/MsgBox.h"

namespace modListViewEnh {

bool EnhListView_Toggle_FlatColumnHeaders(QWidget *form, ListView *list, bool showErrors)
{
    if (!list) {
        if (showErrors) {
            // The number and description of the one failure there is: no list to work on.
            MsgBox::show(form, QStringLiteral("Error91\tObject variable not set"), MsgBox::OkOnly, MsgBox::Information,
                         MsgBox::FirstButton,
                         QStringLiteral("Error in Function : EnhListView_Toggle_FlatColumnHeaders"));
        }
        return false;
    }
    list->setFlatColumnHeaders(!list->flatColumnHeaders());
    return true;
}

} // namespace modListViewEnh
