#pragma once

#include <QString>

// Parts of the program that bring in large libraries (the web engine, the text editor component) are
// modules of their own, loaded when first used, so a run that never needs them never pays for them.
namespace ModuleLoader {

// The entry point of the module: looked for beside the executable (the build tree), then where the
// installation puts modules. Null, with error set, when neither has it.
QFunctionPointer resolve(const QString& module, const char* entryPoint, QString* error = nullptr);

} // namespace ModuleLoader
