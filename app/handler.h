// The one failure boundary. Every event handler, window procedure and system callback runs
// its work through RunHandler: a failing step stops the work, what the earlier steps did
// stays done, an error report names what failed, and the tool goes on. No failure of any
// type goes past it into the system's frames.
#pragma once

#include <functional>
#include <string>

#include "app/runtime_error.h"

namespace nadeshiro {

// The title of the tool's own message boxes.
inline const wchar_t kMessageTitle[] = L"あのね";

// Runs work to its end or to its first failing step; returns false when it failed. A
// run-time error goes to trap when one is given (the handler's own failure trap, itself run
// through this boundary), else to the error report; any other failure goes to the report.
bool RunHandler(const std::function<void()>& work, const std::function<void()>& trap = nullptr);

// For window procedures and callbacks: work's result, or onFailure once the failure has
// been reported.
template <typename Result, typename Work>
Result Guarded(Result onFailure, Work&& work)
{
    Result result = onFailure;
    RunHandler([&] { result = work(); });
    return result;
}

}  // namespace nadeshiro
