#include "client/handheld/SearchField.h"

namespace vantor::handheld {

SearchFocusStep SearchFocusRule(bool focused, const std::string& text) {
    SearchFocusStep step;
    if (focused && text == kSearchPlaceholder) {
        step.replaceText = true;
        step.panel = SearchFocusStep::Panel::kRaise;
    } else if (!focused && text.empty()) {
        step.replaceText = true;
        step.text = kSearchPlaceholder;
        step.panel = SearchFocusStep::Panel::kLower;
    }
    return step;
}

SearchFieldFocus::SearchFieldFocus(Gtk::Entry& field, InputPanel& panel)
    : m_field(field), m_panel(panel) {
    m_field.set_input_purpose(Gtk::INPUT_PURPOSE_FREE_FORM);
    m_field.set_input_hints(Gtk::INPUT_HINT_NO_SPELLCHECK | Gtk::INPUT_HINT_NO_EMOJI);
    if (m_field.get_text().empty() && !m_field.has_focus()) m_field.set_text(kSearchPlaceholder);
    m_in = m_field.signal_focus_in_event().connect(
        [this](GdkEventFocus*) { return OnFocus(true); }, false);
    m_out = m_field.signal_focus_out_event().connect(
        [this](GdkEventFocus*) { return OnFocus(false); }, false);
}

SearchFieldFocus::~SearchFieldFocus() {
    m_in.disconnect();
    m_out.disconnect();
}

bool SearchFieldFocus::OnFocus(bool focused) {
    const SearchFocusStep step = SearchFocusRule(focused, m_field.get_text());
    if (step.replaceText) m_field.set_text(step.text);
    if (step.panel != SearchFocusStep::Panel::kLeave)
        m_panel.Show(step.panel == SearchFocusStep::Panel::kRaise);
    return false;  // the field handles its focus as ever
}

}  // namespace vantor::handheld
