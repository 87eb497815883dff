// The skinned dialogs' geometry with the generated skins: a VGA skin doubles the rectangle,
// a release outside every button does nothing, the search notice waits for three characters.

#include <gtest/gtest.h>

#include "client/face/DialogLayout.h"
#include "client/skin/Skin.h"

namespace vantor::face {
namespace {

const std::string kSkinsRoot = VANTOR_SKINS_ROOT;

TEST(DialogLayout, VgaDoublesEveryRectangleAndOnlyButtonsAct) {
    skin::Skin normal;
    skin::Skin vga;
    ASSERT_TRUE(normal.Load(kSkinsRoot + "/skins/default/default.xml"));
    ASSERT_TRUE(vga.Load(kSkinsRoot + "/skins_vga/default/default.xml"));
    for (DialogKind kind : {DialogKind::kSearch, DialogKind::kSelectEqPreset}) {
        const DialogLayout small = LayoutDialog(kind, normal, {});
        DialogOptions vgaOptions;
        vgaOptions.vga = true;
        const DialogLayout big = LayoutDialog(kind, vga, vgaOptions);
        EXPECT_EQ(big.window.Width(), 2 * small.window.Width());
        EXPECT_EQ(big.window.Height(), 2 * small.window.Height());
        EXPECT_EQ(big.window.left, 2 * small.window.left);
        EXPECT_EQ(big.window.top, 2 * small.window.top);
        ASSERT_EQ(big.buttons.size(), small.buttons.size());
        for (size_t i = 0; i < small.buttons.size(); ++i) {
            EXPECT_EQ(big.buttons[i].box.left, 2 * small.buttons[i].box.left);
            EXPECT_EQ(big.buttons[i].box.bottom, 2 * small.buttons[i].box.bottom);
            // Each button is found under its own centre, at both sizes.
            const skin::Rect& b = small.buttons[i].box;
            EXPECT_EQ(DialogButtonAt(small, (b.left + b.right) / 2, (b.top + b.bottom) / 2),
                      small.buttons[i].name);
        }
        // The list and the texts are no buttons.
        EXPECT_EQ(DialogButtonAt(small, small.list.left + 2, small.list.top + 2), "");
        EXPECT_EQ(DialogButtonAt(small, 1, 1), "");
    }
    const DialogLayout search = LayoutDialog(DialogKind::kSearch, normal, {});
    ASSERT_EQ(search.texts.size(), 3u);
    EXPECT_EQ(search.texts[0].text, "Jump to Song:");
    EXPECT_EQ(search.texts[1].text, std::string(37, '_'));
}

TEST(DialogLayout, SearchNoticeFromTheThirdCharacter) {
    EXPECT_FALSE(SearchNoticeDue("ab"));
    EXPECT_TRUE(SearchNoticeDue("abc"));
    // Characters, not bytes: two accented letters are two.
    EXPECT_FALSE(SearchNoticeDue("\xc3\xa9\xc3\xa8"));
    EXPECT_TRUE(SearchNoticeDue("\xc3\xa9\xc3\xa8z"));
}

}  // namespace
}  // namespace vantor::face
