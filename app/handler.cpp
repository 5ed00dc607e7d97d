#include "app/handler.h"

#include <exception>
#include <new>

#include "app/platform.h"

namespace nadeshiro {

std::wstring ErrorReportText(const RuntimeError& error)
{
    std::wstring text = L"実行時エラー '" + std::to_wstring(error.Number()) + L"':\r\n\r\n" + error.Description();
    if (!error.Path().empty()) text += L"\r\n\r\n" + error.Path();
    if (!error.SystemText().empty())
        text += L"\r\n\r\n" + error.SystemText() + L" (" + std::to_wstring(error.SystemCode()) + L")";
    text += L"\r\n\r\nここまでの処理はそのまま残っています。なでしろはこのまま使えます。";
    return text;
}

void ReportError(const RuntimeError& error)
{
    platform::ShowMessage(ErrorReportText(error), platform::kStyleCritical, L"なでしろ");
}

bool RunHandler(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const RuntimeError& error) {
        ReportError(error);
    } catch (const std::bad_alloc&) {
        ReportError(RuntimeError(err::OutOfMemory, std::wstring()));
    } catch (const std::exception&) {
        // Nothing else should get here; if it does, it is reported like any failure rather
        // than ending the tool.
        ReportError(RuntimeError(err::InvalidCall, std::wstring()));
    }
    return false;
}

}  // namespace nadeshiro
