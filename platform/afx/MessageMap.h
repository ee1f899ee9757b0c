#pragma once

// Static message maps in the class library's style: a message goes to the first entry that
// matches it, the most derived class's table first. Entries call the handlers through captureless
// lambdas that unpack the message's parameters, so every handler is type-checked where the map
// is written.

#include "platform/afx/CPoint.h"

#include <windows.h>
#include <windowsx.h>

// The SDK's message crackers name a macro after CWnd::SubclassWindow.
#undef SubclassWindow

#include <type_traits>

class CCmdTarget;

// Unpacks wParam and lParam, calls the handler on the target and returns the message's answer.
using AFX_PMSG = LRESULT (*)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

// For WM_COMMAND, nCode is the notification code and nID..nLastID the control or command ids;
// other messages leave all three 0. A null handler ends the table.
struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// clang-format off
#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
            {0, 0, 0, 0, nullptr}};                                                                \
        static_assert(std::is_base_of_v<TheBaseClass, ThisClass>, "the map's base is no base");   \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap,                    \
                                              &_messageEntries[0]};                                \
        return &messageMap;                                                                        \
    }

#define AFX_MSG_THUNK(body)                                                                        \
    [](CCmdTarget* pTarget, [[maybe_unused]] WPARAM wParam,                                        \
       [[maybe_unused]] LPARAM lParam) -> LRESULT {                                                \
        [[maybe_unused]] ThisClass* pThis = static_cast<ThisClass*>(pTarget);                      \
        body                                                                                       \
    }

// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND()                                                                         \
    {WM_SYSCOMMAND, 0, 0, 0,                                                                       \
     AFX_MSG_THUNK(pThis->OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;)},
// void OnPaint()
#define ON_WM_PAINT()                                                                              \
    {WM_PAINT, 0, 0, 0, AFX_MSG_THUNK(pThis->OnPaint(); return 0;)},
// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, 0,                                                                    \
     AFX_MSG_THUNK(return reinterpret_cast<LRESULT>(pThis->OnQueryDragIcon());)},
// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER()                                                                              \
    {WM_TIMER, 0, 0, 0,                                                                            \
     AFX_MSG_THUNK(pThis->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;)},
// void OnLButtonDown(UINT nFlags, CPoint point), the point in client coordinates
#define ON_WM_LBUTTONDOWN()                                                                        \
    {WM_LBUTTONDOWN, 0, 0, 0,                                                                      \
     AFX_MSG_THUNK(pThis->OnLButtonDown(static_cast<UINT>(wParam),                                 \
                                        CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));       \
                   return 0;)},
// void OnSize(UINT nType, int cx, int cy), the new client size
#define ON_WM_SIZE()                                                                               \
    {WM_SIZE, 0, 0, 0,                                                                             \
     AFX_MSG_THUNK(pThis->OnSize(static_cast<UINT>(wParam),                                        \
                                 LOWORD(static_cast<std::uintptr_t>(lParam)),                      \
                                 HIWORD(static_cast<std::uintptr_t>(lParam)));                     \
                   return 0;)},
// void OnClose()
#define ON_WM_CLOSE()                                                                              \
    {WM_CLOSE, 0, 0, 0, AFX_MSG_THUNK(pThis->OnClose(); return 0;)},
// LRESULT memberFxn(WPARAM wParam, LPARAM lParam), for any message
#define ON_MESSAGE(message, memberFxn)                                                             \
    {message, 0, 0, 0, AFX_MSG_THUNK(return pThis->memberFxn(wParam, lParam);)},
// void memberFxn(), for a command: a menu item, or a click of the button with this id
#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, 0, id, id, AFX_MSG_THUNK(pThis->memberFxn(); return 0;)},
// void memberFxn(), when the button with this id is clicked
#define ON_BN_CLICKED(id, memberFxn)                                                               \
    {WM_COMMAND, BN_CLICKED, id, id, AFX_MSG_THUNK(pThis->memberFxn(); return 0;)},
// void memberFxn(), when the user changes the selection of the combo box with this id
#define ON_CBN_SELCHANGE(id, memberFxn)                                                            \
    {WM_COMMAND, CBN_SELCHANGE, id, id, AFX_MSG_THUNK(pThis->memberFxn(); return 0;)},
// clang-format on
