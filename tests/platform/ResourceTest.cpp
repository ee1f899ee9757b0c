#include "res/resource.h"
#include "res/DialogInit.h"
#include "res/DialogTemplate.h"
#include "res/IconImage.h"
#include "res/StringTable.h"
#include "res/VersionInfo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace {

TEST(DialogTemplates, EveryControlLiesInsideItsDialogWithAUniqueId) {
    for (const unsigned id : {IDD_MAIN, IDD_ABOUTBOX}) {
        const DialogTemplate* dialog = FindDialogTemplate(id);
        ASSERT_NE(dialog, nullptr) << id;
        std::set<std::int32_t> ids;
        for (const DialogItemTemplate& item : dialog->items) {
            EXPECT_GE(item.x, 0) << item.id;
            EXPECT_GE(item.y, 0) << item.id;
            EXPECT_LE(item.x + item.cx, dialog->cx) << item.id;
            // A drop-down list's height is its dropped list's, which may pass the dialog's edge.
            if (item.itemClass != DialogItemClass::ComboBox) {
                EXPECT_LE(item.y + item.cy, dialog->cy) << item.id;
            }
            if (item.id != IDC_STATIC) {
                EXPECT_TRUE(ids.insert(item.id).second) << item.id;
            }
        }
    }
    EXPECT_EQ(FindDialogTemplate(4242), nullptr);
}

TEST(DialogTemplates, TheMainDialogBindsEveryNamedControl) {
    const DialogTemplate* dialog = FindDialogTemplate(IDD_MAIN);
    ASSERT_NE(dialog, nullptr);
    std::set<std::int32_t> ids;
    for (const DialogItemTemplate& item : dialog->items) {
        ids.insert(item.id);
    }
    for (int id = IDC_RAIN; id <= IDC_ADDCOLOR; ++id) {
        EXPECT_EQ(ids.count(id), 1U) << id;
    }
}

TEST(DialogInit, TheSizeListNamesTheGridsItStandsFor) {
    const auto entries = FindDialogInit(IDD_MAIN);
    ASSERT_EQ(entries.size(), 8U);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int n = 25 * static_cast<int>(i + 1);
        char expected[32];
        std::snprintf(expected, sizeof expected, "%d x %d", n, n);
        EXPECT_EQ(entries[i].controlId, IDC_SIZE);
        EXPECT_EQ(entries[i].message, kDlgInitComboAddString);
        EXPECT_STREQ(entries[i].data, expected);
    }
    EXPECT_TRUE(FindDialogInit(IDD_ABOUTBOX).empty());
}

TEST(StringTable, HasTheMenuItemAndThePrompt) {
    EXPECT_STREQ(FindString(IDS_ABOUTBOX), "&About Ondeline...");
    EXPECT_STREQ(FindString(IDP_SOCKETS_INIT_FAILED), "Windows sockets initialization failed.");
    EXPECT_EQ(FindString(4242), nullptr);
}

class IconImages : public ::testing::TestWithParam<int> {};

TEST_P(IconImages, AreSixteenColourPicturesWithATransparentMargin) {
    const IconGroup* group = FindIconGroup(IDR_MAINFRAME);
    ASSERT_NE(group, nullptr);
    const IconImage* image = nullptr;
    for (const IconImage& candidate : group->images) {
        if (candidate.width == GetParam()) {
            image = &candidate;
        }
    }
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->height, image->width);
    ASSERT_EQ(image->palette.size(), static_cast<std::size_t>(kIconColours));
    ASSERT_EQ(image->rows.size(), static_cast<std::size_t>(image->height));
    std::set<int> colours;
    int transparent = 0;
    for (int y = 0; y < image->height; ++y) {
        const char* row = image->rows[static_cast<std::size_t>(y)];
        ASSERT_EQ(std::strlen(row), static_cast<std::size_t>(image->width)) << y;
        for (int x = 0; x < image->width; ++x) {
            const int index = IconPixelIndex(*image, x, y);
            EXPECT_TRUE(index >= 0 || row[x] == kIconTransparent) << x << ", " << y;
            if (index < 0) {
                ++transparent;
            } else {
                colours.insert(index);
            }
        }
    }
    // A picture, not a blank: several colours, and the corners show what lies beneath.
    EXPECT_GE(colours.size(), 3U);
    EXPECT_GT(transparent, 0);
    EXPECT_EQ(IconPixelIndex(*image, 0, 0), -1);
    EXPECT_EQ(IconPixelIndex(*image, image->width - 1, 0), -1);
    EXPECT_EQ(IconPixelIndex(*image, image->width, 0), -1);
    EXPECT_EQ(IconPixelIndex(*image, -1, 0), -1);
}

INSTANTIATE_TEST_SUITE_P(BothSizes, IconImages, ::testing::Values(32, 16));

TEST(IconImages, OnlyTheMainIconExists) {
    EXPECT_EQ(FindIconGroup(4242), nullptr);
}

TEST(VersionInfo, NumbersAndStringsAgree) {
    const VersionInfo& version = GetVersionInfo();
    char text[32];
    std::snprintf(text, sizeof text, "%u, %u, %u, %u", version.fileVersion[0],
                  version.fileVersion[1], version.fileVersion[2], version.fileVersion[3]);
    EXPECT_STREQ(FindVersionString("FileVersion"), text);
    std::snprintf(text, sizeof text, "%u, %u, %u, %u", version.productVersion[0],
                  version.productVersion[1], version.productVersion[2], version.productVersion[3]);
    EXPECT_STREQ(FindVersionString("ProductVersion"), text);
    EXPECT_STREQ(FindVersionString("FileVersion"), "1, 0, 0, 1");
    // The string table's key is the translation's language and code page.
    std::snprintf(text, sizeof text, "%04X%04X", version.translationLanguage,
                  version.translationCodePage);
    EXPECT_STREQ(version.stringTableKey, text);
    EXPECT_EQ(version.fileFlags & ~version.fileFlagsMask, 0U);
}

TEST(VersionInfo, NamesTheProgram) {
    EXPECT_STREQ(FindVersionString("FileDescription"), "ONDELINE MFC Application");
    EXPECT_STREQ(FindVersionString("InternalName"), "ONDELINE");
    EXPECT_STREQ(FindVersionString("OriginalFilename"), "ONDELINE.EXE");
    EXPECT_STREQ(FindVersionString("ProductName"), "ONDELINE Application");
    EXPECT_STREQ(FindVersionString("CompanyName"), "");
    EXPECT_STREQ(FindVersionString("LegalTrademarks"), "");
    EXPECT_NE(FindVersionString("LegalCopyright"), nullptr);
    EXPECT_EQ(FindVersionString("NoSuchEntry"), nullptr);
    EXPECT_EQ(FindVersionString(nullptr), nullptr);
}

} // namespace
