#include "app/handler.h"

#include <exception>
#include <new>

#include "app/number_text.h"
#include "app/platform.h"

namespace nadeshiro {

namespace {

// The error report's text: the error's number, description and path, Windows' words and the
// tool's note.
std::wstring ErrorReportText(const RuntimeError& error)
{
    std::wstring text = L"実行時エラー '" + NumberText(static_cast<unsigned long>(error.Number())) + L"':\r\n\r\n" + error.Description();
    if (!error.Path().empty()) text += L"\r\n\r\n" + error.Path();
    if (!error.SystemText().empty())
        text += L"\r\n\r\n" + error.SystemText() + L" (" + NumberText(error.SystemCode()) + L")";
    if (!error.Note().empty()) text += L"\r\n\r\n" + error.Note();
    text += L"\r\n\r\nここまでの処理はそのまま残っています。なでしろはこのまま使えます。";
    return text;
}

// Shows the report; a report that cannot even be put together still says that something
// failed.
void Report(int number, const RuntimeError* error) noexcept
{
    try {
        std::wstring text = ErrorReportText(error != nullptr ? *error : RuntimeError(number, std::wstring()));
        platform::ShowMessage(text, platform::kStyleCritical, L"なでしろ");
    } catch (...) {
        MessageBoxW(nullptr, L"実行時エラー", L"なでしろ", MB_ICONHAND);
    }
}

}  // namespace

bool RunHandler(const std::function<void()>& work, const std::function<void()>& trap)
{
    try {
        work();
        return true;
    } catch (const RuntimeError& error) {
        if (trap) RunHandler(trap);
        else Report(error.Number(), &error);
    } catch (const std::bad_alloc&) {
        Report(err::OutOfMemory, nullptr);
    } catch (...) {
        // Nothing else should get here; if it does, it is reported like any failure rather
        // than ending the tool.
        Report(err::InvalidCall, nullptr);
    }
    return false;
}

}  // namespace nadeshiro
