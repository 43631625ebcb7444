#include "folder_list.h"

#include "globals/records.h"
#include "widgets/check_list_box.h"

namespace lp {

void fillFolderList(TCheckListBox& list, const ServiceTable& table) {
    list.clearLines();
    for (const rServiceRules& service : table.services) {
        if (service.serviceid != kOtherService)
            continue;
        const QString name = QString::fromStdString(service.othername);
        const int line = list.addLine(
            service.subfolders > 0 ? name + QStringLiteral(" (with sub-folders)") : name);
        // The name may be cut short in a narrow window; the tip tells it whole, and the folder.
        list.setLineTip(line, name + QLatin1Char('\n') + QString::fromStdString(service.sharedir));
        // othernum is the line's 1-based position, so the tick lands on the record's own line.
        if (service.enabled)
            list.setChecked(service.othernum - 1, true);
    }
}

void removeUserService(ServiceTable& table, std::size_t index) {
    if (index >= table.services.size())
        return;
    for (std::size_t i = index + 1; i < table.services.size(); ++i)
        if (table.services[i].serviceid == kOtherService)
            --table.services[i].othernum;
    table.services.erase(table.services.begin() + static_cast<std::ptrdiff_t>(index));
    --table.customCount;
}

} // namespace lp
