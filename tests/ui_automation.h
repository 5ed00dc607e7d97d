// UI Automation's client interfaces, as far as the tests use them: an element from a window,
// its name, its control type and its children. Declared here, each method in its place in the
// interface, since MinGW-w64's headers (10.0) have no <uiautomation.h>.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace uia {
#define NADESHIRO_UNUSED(n) virtual HRESULT STDMETHODCALLTYPE Unused##n() = 0;
struct Condition : IUnknown {};
struct Element;
struct ElementArray : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Length(int* length) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetElement(int index, Element** element) = 0;
};
struct Element : IUnknown {
    NADESHIRO_UNUSED(0) NADESHIRO_UNUSED(1) NADESHIRO_UNUSED(2)  // SetFocus, GetRuntimeId, FindFirst
    virtual HRESULT STDMETHODCALLTYPE FindAll(int scope, Condition* condition, ElementArray** found) = 0;
    NADESHIRO_UNUSED(4) NADESHIRO_UNUSED(5) NADESHIRO_UNUSED(6) NADESHIRO_UNUSED(7) NADESHIRO_UNUSED(8)
    NADESHIRO_UNUSED(9) NADESHIRO_UNUSED(10) NADESHIRO_UNUSED(11) NADESHIRO_UNUSED(12) NADESHIRO_UNUSED(13)
    NADESHIRO_UNUSED(14) NADESHIRO_UNUSED(15) NADESHIRO_UNUSED(16) NADESHIRO_UNUSED(17)  // ... get_CurrentProcessId
    virtual HRESULT STDMETHODCALLTYPE get_CurrentControlType(int* type) = 0;
    NADESHIRO_UNUSED(19)  // get_CurrentLocalizedControlType
    virtual HRESULT STDMETHODCALLTYPE get_CurrentName(BSTR* name) = 0;
};
struct Automation : IUnknown {
    NADESHIRO_UNUSED(0) NADESHIRO_UNUSED(1) NADESHIRO_UNUSED(2)  // CompareElements, CompareRuntimeIds, GetRootElement
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND window, Element** element) = 0;
    NADESHIRO_UNUSED(4) NADESHIRO_UNUSED(5) NADESHIRO_UNUSED(6) NADESHIRO_UNUSED(7) NADESHIRO_UNUSED(8)
    NADESHIRO_UNUSED(9) NADESHIRO_UNUSED(10) NADESHIRO_UNUSED(11) NADESHIRO_UNUSED(12) NADESHIRO_UNUSED(13)
    NADESHIRO_UNUSED(14) NADESHIRO_UNUSED(15) NADESHIRO_UNUSED(16) NADESHIRO_UNUSED(17)  // ... CreateCacheRequest
    virtual HRESULT STDMETHODCALLTYPE CreateTrueCondition(Condition** condition) = 0;
};
#undef NADESHIRO_UNUSED
constexpr int Children = 2;  // TreeScope_Children
constexpr CLSID ClassId{0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
constexpr IID InterfaceId{0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
// Control types.
enum : int { Button = 50000, ComboBox = 50003, Edit = 50004, List = 50008, Tab = 50018, TabItem = 50019, Text = 50020 };
}  // namespace uia
