#include "client/face/DialogLayout.h"

namespace vantor::face {

namespace {

constexpr int32_t kMargin = 12;
constexpr int32_t kLine = 22;
constexpr int32_t kEditHeight = 28;
constexpr int32_t kButtonGap = 8;
constexpr int32_t kDefaultButtonWidth = 80;
constexpr int32_t kDefaultButtonHeight = 30;

// Each kind's rectangle at the normal size (the face is 400 wide).
skin::Rect KindRect(DialogKind kind) {
    switch (kind) {
        case DialogKind::kAbout:
            return {40, 170, 360, 330};
        case DialogKind::kSavePlaylist:
        case DialogKind::kCreatePlaylist:
            return {40, 150, 360, 350};
        case DialogKind::kChangeInstance:
            return {40, 110, 360, 410};
        case DialogKind::kSelectEqPreset:
            return {40, 90, 360, 430};
        case DialogKind::kSearch:
            return {24, 56, 376, 484};
        case DialogKind::kNoNetwork:
            return {40, 200, 360, 320};
    }
    return {};
}

std::vector<std::string> KindTexts(DialogKind kind, const DialogOptions& options) {
    const std::string rule37(37, '_');
    const std::string rule30(30, '_');
    switch (kind) {
        case DialogKind::kAbout:
            return {"Vantor " + options.version, rule37};
        case DialogKind::kSavePlaylist:
            return {"Save Current Playlist:", rule37, "New playlist name:"};
        case DialogKind::kCreatePlaylist:
            return {"Create New Playlist:", rule37, "New playlist name:"};
        case DialogKind::kChangeInstance:
            return {"Change Active Instance:", rule30, "Close Selected"};
        case DialogKind::kSelectEqPreset:
            return {"Select EQ Preset:", rule30};
        case DialogKind::kSearch:
            return {options.searchLibrary ? "Search Media Library:" : "Jump to Song:", rule37,
                    "Enter search keywords:"};
        case DialogKind::kNoNetwork:
            return {"No Network Connection"};
    }
    return {};
}

std::vector<std::string> KindButtons(DialogKind kind) {
    switch (kind) {
        case DialogKind::kAbout:
        case DialogKind::kNoNetwork:
            return {kDialogOk};
        case DialogKind::kSearch:
            return {kDialogSearch, kDialogCancel, kDialogOk};
        default:
            return {kDialogCancel, kDialogOk};
    }
}

skin::Rect Scaled(const skin::Rect& r, int32_t s) {
    return {r.left * s, r.top * s, r.right * s, r.bottom * s};
}

}  // namespace

DialogLayout LayoutDialog(DialogKind kind, const skin::Skin& skin, const DialogOptions& options) {
    DialogLayout layout;
    layout.kind = kind;
    const int32_t s = options.vga ? 2 : 1;
    layout.scale = s;
    layout.window = Scaled(KindRect(kind), s);
    const int32_t w = layout.window.Width();
    const int32_t h = layout.window.Height();
    const int32_t margin = kMargin * s;

    // Buttons along the bottom: OK at the right, Cancel before it, Search at the left; each
    // as large as its skin component.
    const std::vector<std::string> names = KindButtons(kind);
    int32_t right = w - margin;
    int32_t buttonTop = h;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        const skin::Component* c = skin.FindComponent(*it);
        const int32_t bw = c ? c->norm.destination.Width() : kDefaultButtonWidth * s;
        const int32_t bh = c ? c->norm.destination.Height() : kDefaultButtonHeight * s;
        const int32_t top = h - margin - bh;
        buttonTop = std::min(buttonTop, top);
        skin::Rect box;
        if (*it == kDialogSearch) {
            box = {margin, top, margin + bw, top + bh};
        } else {
            box = {right - bw, top, right, top + bh};
            right -= bw + kButtonGap * s;
        }
        layout.buttons.insert(layout.buttons.begin(), DialogButton{*it, box});
    }

    layout.background = {margin, margin, w - margin, buttonTop - kButtonGap * s};
    const int32_t inner = layout.background.left + margin;
    const int32_t innerRight = layout.background.right - margin;
    int32_t y = layout.background.top + kMargin * s / 2;
    const std::vector<std::string> texts = KindTexts(kind, options);
    for (size_t i = 0; i < texts.size(); ++i) {
        // The rule sits close under the heading; the line after it keeps some air.
        const int32_t line = (i == 1 ? kLine * 3 / 4 : kLine) * s;
        layout.texts.push_back({texts[i], {inner, y, innerRight, y + line}});
        y += line + (i == 1 ? kLine / 2 * s : 0);
    }
    const int32_t bottom = layout.background.bottom - kMargin * s / 2;
    switch (kind) {
        case DialogKind::kSavePlaylist:
        case DialogKind::kCreatePlaylist:
            layout.edit = {inner, y + 2 * s, innerRight, y + 2 * s + kEditHeight * s};
            break;
        case DialogKind::kSearch:
            layout.edit = {inner, y + 2 * s, innerRight, y + 2 * s + kEditHeight * s};
            layout.list = {inner, layout.edit.bottom + kButtonGap * s, innerRight, bottom};
            break;
        case DialogKind::kChangeInstance:
        case DialogKind::kSelectEqPreset:
            layout.list = {inner, y + 2 * s, innerRight, bottom};
            break;
        default:
            break;
    }
    return layout;
}

std::string DialogButtonAt(const DialogLayout& layout, int32_t x, int32_t y) {
    for (const DialogButton& button : layout.buttons) {
        const skin::Rect& r = button.box;
        if (x >= r.left && x <= r.right && y >= r.top && y <= r.bottom) return button.name;
    }
    return {};
}

bool SearchNoticeDue(const std::string& text) {
    size_t characters = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++characters;
    return characters >= kSearchNoticeLength;
}

}  // namespace vantor::face
