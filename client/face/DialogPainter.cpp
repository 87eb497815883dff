#include "client/face/DialogPainter.h"

namespace vantor::face {

namespace {

skin::FontDescription PlainFont(int32_t scale) {
    skin::FontDescription font;
    font.name = "dialog";
    font.face = "Sans";
    font.sizePoints = 11 * scale;  // 15 pixels at 96 dpi
    return font;
}

}  // namespace

void DialogPainter::Paint(cairo_t* cr, const DialogLayout& layout, const std::string& pressed,
                          const std::string& hovered) {
    const skin::Skin& skin = m_painter.Skin();
    const skin::Rect whole{0, 0, layout.window.Width(), layout.window.Height()};
    // What the main window shows beneath the dialog's rounded corners.
    if (const skin::Component* main = skin.FindComponent("main")) {
        cairo_save(cr);
        cairo_translate(cr, -layout.window.left, -layout.window.top);
        m_painter.DrawState(cr, main->norm);
        cairo_restore(cr);
    }
    if (const skin::Component* frame = skin.FindComponent("dialog"))
        m_painter.DrawState(cr, frame->norm, whole);
    if (const skin::Component* back = skin.FindComponent("dlg.background"))
        m_painter.DrawState(cr, back->norm, layout.background);

    const skin::FontDescription* skinFont = skin.FindFont("dialog");
    const skin::FontDescription font = skinFont ? *skinFont : PlainFont(layout.scale);
    for (size_t i = 0; i < layout.texts.size(); ++i) {
        const DialogText& text = layout.texts[i];
        m_painter.DrawFontText(cr, font, text.text, text.box,
                               kTextVCentre | kTextSingleLine | kTextEllipsis);
    }
    for (const DialogButton& button : layout.buttons) {
        const skin::Component* c = skin.FindComponent(button.name);
        if (!c) continue;
        const skin::ComponentState* state = &c->norm;
        if (button.name == pressed && c->push.present) {
            state = &c->push;
        } else if (button.name == hovered && c->hover.present) {
            state = &c->hover;
        }
        m_painter.DrawState(cr, *state, button.box);
    }
}

}  // namespace vantor::face
