#include "ui/PendingEdits.h"

#include "store/CheckedTableModel.h"
#include "ui/Messages.h"

#include <QSqlError>

namespace PendingEdits {

bool settleBeforeClose(QWidget* window, CheckedTableModel* model)
{
    while (model->isDirty() && !model->submitPending()) {
        const QString text = u"有修改没能写入数据库：" + model->errorText() +
                             u"\n\n保存：再试一次；放弃：丢掉这些修改并关闭；取消：回到窗口。";
        switch (Messages::askSave(window, text)) {
        case MessageSink::SaveAnswer::Save:
            continue;
        case MessageSink::SaveAnswer::Discard:
            model->revertAll();
            return true;
        case MessageSink::SaveAnswer::Cancel:
            return false;
        }
    }
    return true;
}

} // namespace PendingEdits
