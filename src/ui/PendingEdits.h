#pragma once

class CheckedTableModel;
class QWidget;

namespace PendingEdits {

// Before an editing window closes: writes what is still pending. When that fails the user chooses
// between trying again, dropping the edits, or going back to the window. False keeps it open.
bool settleBeforeClose(QWidget* window, CheckedTableModel* model);

} // namespace PendingEdits
