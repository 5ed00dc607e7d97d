// Every event handler runs through RunHandler: a failing step stops the handler, what the
// earlier steps did stays done, an error report names what failed, and the tool goes on.
#pragma once

#include <functional>
#include <string>

#include "app/runtime_error.h"

namespace nadeshiro {

// The title of the tool's own message boxes.
inline const wchar_t kMessageTitle[] = L"あのね";

// The error report's text: the error's number, description and path, and Windows' words.
std::wstring ErrorReportText(const RuntimeError& error);
void ReportError(const RuntimeError& error);

// Runs one handler to its end or to its first failing step. Returns false when it failed.
bool RunHandler(const std::function<void()>& handler);

}  // namespace nadeshiro
