#pragma once

class QLineEdit;

namespace PasswordEcho {

// Makes a password box echo "*" for each character, whatever the platform style would show.
void useAsterisks(QLineEdit* box);

} // namespace PasswordEcho
