#pragma once

// The search field on the handheld: while it shows "Search" and nothing is typed, taking the
// focus clears it and raises the input panel; losing the focus empty puts "Search" back and
// lowers the panel. The field is marked for the phone shell's keyboard as a search (free
// text, no spelling help, no emoji).
//
// Main thread only.

#include <gtkmm/entry.h>

#include <string>

#include "client/handheld/InputPanel.h"

namespace vantor::handheld {

inline constexpr char kSearchPlaceholder[] = "Search";

// What a change of the field's focus asks for.
struct SearchFocusStep {
    enum class Panel { kLeave, kRaise, kLower };
    bool replaceText = false;
    std::string text;  // the field's new text when `replaceText`
    Panel panel = Panel::kLeave;
};

SearchFocusStep SearchFocusRule(bool focused, const std::string& text);

// Applies the rule to `field` for as long as both live; `panel` outlives this.
class SearchFieldFocus {
public:
    SearchFieldFocus(Gtk::Entry& field, InputPanel& panel);
    SearchFieldFocus(const SearchFieldFocus&) = delete;
    SearchFieldFocus& operator=(const SearchFieldFocus&) = delete;
    ~SearchFieldFocus();

private:
    bool OnFocus(bool focused);

    Gtk::Entry& m_field;
    InputPanel& m_panel;
    sigc::connection m_in;
    sigc::connection m_out;
};

}  // namespace vantor::handheld
