#pragma once

#include <QString>

namespace SystemUser {

// The login name of the account running the program, or empty when the system does not say.
QString loginName();

} // namespace SystemUser
