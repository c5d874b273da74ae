#pragma once

#include <QString>

namespace kestrel {

class RunError;

// The three ways a trapped error is shown, each through services().
// "description [number]", critical icon, title "System Fatal Notice".
void ShowSystemFatalNotice(const RunError& error);
// "Error No: [number]", a carriage return, four blanks and the description;
// critical icon, title "System Fatal Notice".
void ShowErrorNoNotice(const RunError& error);
// "description[number]", exclamation icon, title "Notice".
void ShowNotice(const RunError& error);
// The bare description, OK only, the application title.
void ShowPlainError(const RunError& error);

extern const char* const kSystemFatalNotice;

}  // namespace kestrel
