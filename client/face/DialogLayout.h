#pragma once

// The skinned dialogs' kinds and where everything of one lies: the dialog's rectangle on
// the main window's face (a VGA skin doubles every coordinate), the "dlg.background" area,
// the texts top to bottom, the native controls' places and the buttons "dlg.ok",
// "dlg.cancel" and "dlg.search". Toolkit-free: window layers place their own controls at
// these rectangles and draw with DialogPainter.

#include <cstdint>
#include <string>
#include <vector>

#include "client/skin/Skin.h"

namespace vantor::face {

enum class DialogKind {
    kAbout,
    kSavePlaylist,
    kCreatePlaylist,
    kChangeInstance,
    kSelectEqPreset,
    kSearch,
    kNoNetwork,
};

enum class DialogResult { kOk, kCancel };

inline constexpr char kDialogTitle[] = "Vantor Dialog";
inline constexpr char kDialogOk[] = "dlg.ok";
inline constexpr char kDialogCancel[] = "dlg.cancel";
inline constexpr char kDialogSearch[] = "dlg.search";
// The search field notifies its owner from this many characters on.
inline constexpr size_t kSearchNoticeLength = 3;

struct DialogText {
    std::string text;
    skin::Rect box;  // dialog coordinates
};

struct DialogButton {
    std::string name;  // "dlg.ok", ...
    skin::Rect box;    // dialog coordinates
};

struct DialogLayout {
    DialogKind kind = DialogKind::kAbout;
    skin::Rect window;      // on the main window's face
    skin::Rect background;  // dialog coordinates (as everything below)
    std::vector<DialogText> texts;
    skin::Rect edit;  // empty when the kind has none
    skin::Rect list;  // the list box, or the report list "Results" of a search
    std::vector<DialogButton> buttons;
    int32_t scale = 1;  // 2 on a VGA skin
};

struct DialogOptions {
    bool vga = false;
    bool searchLibrary = false;  // Search: "Search Media Library:" instead of "Jump to Song:"
    std::string version;         // About: the client's version text
};

DialogLayout LayoutDialog(DialogKind kind, const skin::Skin& skin, const DialogOptions& options);

// The button under a point in dialog coordinates (edges included); "" for none.
std::string DialogButtonAt(const DialogLayout& layout, int32_t x, int32_t y);

// True once the text is long enough for the search notice (characters, not bytes).
bool SearchNoticeDue(const std::string& text);

}  // namespace vantor::face
