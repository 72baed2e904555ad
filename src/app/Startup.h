#pragma once

// The start-up routine: opens the shared store, runs the login window modally and, once the service
// has accepted the password, opens the main window. Returns false when the process should end.
bool Main();
