#include "platform/afx/CCmdTarget.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr UINT kFirst = 100;
constexpr UINT kSecond = 101;
constexpr UINT kShared = 102;
constexpr UINT kRangeFirst = 200;
constexpr UINT kRangeLast = 209;

std::string g_calls;

// Three generations of maps: a message goes to the most derived entry that matches it.
class CBaseTarget : public CCmdTarget {
public:
    void OnFirst() { g_calls += "base-first;"; }
    void OnShared() { g_calls += "base-shared;"; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTarget, CCmdTarget)
ON_COMMAND(kFirst, OnFirst)
ON_COMMAND(kShared, OnShared)
END_MESSAGE_MAP()

class CMiddleTarget : public CBaseTarget {};

class CDerivedTarget : public CMiddleTarget {
public:
    void OnSecond() { g_calls += "derived-second;"; }
    void OnSharedHere() { g_calls += "derived-shared;"; }
    void OnClicked() { g_calls += "derived-clicked;"; }

    DECLARE_MESSAGE_MAP()
};

#define ON_COMMAND_RANGE_FOR_TEST(first, last, memberFxn)                                          \
    { WM_COMMAND, 0, first, last, AFX_MSG_THUNK(pThis->memberFxn(); return 0;) }                   \
    ,

BEGIN_MESSAGE_MAP(CDerivedTarget, CMiddleTarget)
ON_COMMAND(kSecond, OnSecond)
ON_COMMAND(kShared, OnSharedHere)
ON_CBN_SELCHANGE(kFirst, OnClicked)
ON_COMMAND_RANGE_FOR_TEST(kRangeFirst, kRangeLast, OnClicked)
END_MESSAGE_MAP()

struct RouteCase {
    const char* name;
    UINT id;
    UINT code;
    bool handled;
    const char* calls;
};

class MessageMapRoutes : public ::testing::TestWithParam<RouteCase> {};

TEST_P(MessageMapRoutes, ToTheMostDerivedMatchingEntry) {
    const RouteCase& c = GetParam();
    CDerivedTarget target;
    g_calls.clear();
    EXPECT_EQ(target.OnCmdMsg(c.id, c.code) != FALSE, c.handled);
    EXPECT_EQ(g_calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MessageMapRoutes,
    ::testing::Values(RouteCase{"OwnEntry", kSecond, 0, true, "derived-second;"},
                      RouteCase{"OverridesTheBase", kShared, 0, true, "derived-shared;"},
                      RouteCase{"FallsThroughToTheBase", kFirst, 0, true, "base-first;"},
                      RouteCase{"MatchesTheNotificationCode", kFirst, CBN_SELCHANGE, true,
                                "derived-clicked;"},
                      RouteCase{"OtherCodesDoNotMatch", kSecond, CBN_SELCHANGE, false, ""},
                      RouteCase{"FirstOfARange", kRangeFirst, 0, true, "derived-clicked;"},
                      RouteCase{"LastOfARange", kRangeLast, 0, true, "derived-clicked;"},
                      RouteCase{"PastARange", kRangeLast + 1, 0, false, ""},
                      RouteCase{"SystemCommandsNeverRoute", SC_CLOSE, 0, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageMap, ABaseSeesOnlyItsOwnEntries) {
    CBaseTarget target;
    g_calls.clear();
    EXPECT_EQ(target.OnCmdMsg(kSecond, 0), FALSE);
    EXPECT_EQ(target.OnCmdMsg(kShared, 0), TRUE);
    EXPECT_EQ(g_calls, "base-shared;");
}

} // namespace
