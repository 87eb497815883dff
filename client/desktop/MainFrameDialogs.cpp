// The window's dialogs: the play list rows' context menu, the equaliser presets, saving the
// play list, jumping to a song, and the settings sheet with its skin change.

#include <gtkmm/checkmenuitem.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/messagedialog.h>

#include <algorithm>

#include "client/desktop/MainFrame.h"
#include "client/desktop/SettingsSheet.h"
#include "client/library/PlaylistRating.h"
#include "client/link/Requests.h"
#include "client/skin/SkinCatalog.h"
#include "protocol/ResultCodes.h"

namespace vantor::desktop {

namespace {

// Jump to Song lists at most this many matches.
constexpr size_t kMaxJumpResults = 500;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    size_t pos = 0;
    while ((pos = text.find_first_not_of(" \t", pos)) != std::string::npos) {
        const size_t end = text.find_first_of(" \t", pos);
        words.push_back(Lower(text.substr(pos, end - pos)));
        pos = end;
    }
    return words;
}

}  // namespace

void MainFrame::ShowPlaylistMenu(int row, const GdkEvent* event) {
    int32_t rating = -1;
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        rating = m_face.player.media.rating;
    }
    m_rowMenu = std::make_unique<Gtk::Menu>();
    auto* play = Gtk::manage(new Gtk::MenuItem("Play"));
    play->signal_activate().connect([this, row] { m_link.SetPlaylistPosition(row); });
    auto* remove = Gtk::manage(new Gtk::MenuItem("Remove"));
    remove->signal_activate().connect([this, row] { m_link.PlaylistRemove(row); });
    auto* ratingItem = Gtk::manage(new Gtk::MenuItem("Rating"));
    auto* ratings = Gtk::manage(new Gtk::Menu());
    const int current = client::RatingEntryFor(rating);
    for (int entry = 0; entry < client::kRatingEntries; ++entry) {
        auto* item = Gtk::manage(new Gtk::CheckMenuItem(client::RatingEntryText(entry)));
        item->set_draw_as_radio(true);
        item->set_active(entry == current);
        item->signal_activate().connect([this, entry] {
            const int32_t value = client::RatingForEntry(entry);
            {
                std::lock_guard<std::mutex> lock(m_drawLock);
                m_face.player.media.rating = value;
            }
            m_link.SetTrackRating(value);
        });
        ratings->append(*item);
    }
    ratingItem->set_submenu(*ratings);
    m_rowMenu->append(*play);
    m_rowMenu->append(*remove);
    m_rowMenu->append(*ratingItem);
    m_rowMenu->show_all();
    m_rowMenu->attach_to_widget(*this);
    m_rowMenu->popup_at_pointer(event);
}

void MainFrame::ChooseEqPreset() {
    if (m_presets.empty()) m_link.GetEqPresets();
    m_dialogs->SelectEqPreset(m_presets, m_link.State().eq.presetName,
                              [this](const std::string& preset) {
                                  m_link.SetEqPreset(preset);
                                  Redraw();
                              });
}

void MainFrame::SavePlaylist() {
    if (Screen() == face::kScreenConnect) return;
    m_dialogs->SavePlaylist([this](const std::string& name) {
        // The answer decides what the user is told, so the window waits for it (at most
        // the link's wait).
        auto request = client::requests::SavePlaylist(name);
        std::unique_ptr<CResponseMessage> response;
        int32_t code = m_link.SendAndWait(*request, response);
        if (code == client::kLinkOk) code = response ? response->ReturnCode() : kResultFailed;
        if (code == kResultSuccess) return;
        std::string text;
        if (code == kResultInvalidArgs) {
            text = "The player already has a playlist named \"" + name +
                   "\" (or cannot use that name). Please choose another name.";
        } else if (code == kResultNotSupported || code == kResultInvalidMessage) {
            text =
                "This player cannot keep playlists of its own, so \"" + name + "\" was not saved.";
        } else {
            text = "The playlist could not be saved (error " + std::to_string(code) + ").";
        }
        Gtk::MessageDialog box(*this, text, false, Gtk::MESSAGE_WARNING, Gtk::BUTTONS_OK, true);
        box.set_title("Save Playlist");
        box.run();
    });
}

DialogRows MainFrame::FindInPlaylist(const std::string& text) {
    DialogRows rows;
    const std::vector<std::string> words = Words(text);
    if (words.empty() || !m_link.IsConnected()) return rows;
    // The whole play list at once: the dialog is open, the window waits anyway.
    auto request = client::requests::GetPlaylistItems(0, -1);
    std::unique_ptr<CResponseMessage> response;
    if (m_link.SendAndWait(*request, response) != client::kLinkOk) return rows;
    const auto* items =
        client::ResponseAs<CPlaylistItemsResponse>(response, msg::GetPlaylistItemsResponse);
    if (!items || items->ReturnCode() != 0) return rows;
    const std::vector<std::string>& entries = items->Body().items;
    for (size_t i = 0; i < entries.size() && rows.size() < kMaxJumpResults; ++i) {
        const std::string entry = Lower(entries[i]);
        const bool all = std::all_of(words.begin(), words.end(), [&](const std::string& w) {
            return entry.find(w) != std::string::npos;
        });
        if (all) rows.emplace_back(static_cast<int>(i), std::to_string(i + 1) + ". " + entries[i]);
    }
    return rows;
}

void MainFrame::JumpToSong() {
    if (Screen() == face::kScreenConnect) return;
    m_dialogs->JumpToSong([this](const std::string& text) { return FindInPlaylist(text); },
                          [this](int position) { m_link.SetPlaylistPosition(position); });
}

bool MainFrame::ChangeSkin(const std::string& skinFile) {
    const std::string previous = m_settings.skinFilePath;
    m_settings.skinFilePath = skinFile;
    if (!ApplySkin()) {
        m_settings.skinFilePath = previous;
        ApplySkin();
        return false;
    }
    // The window takes the new face's size.
    resize(1, 1);
    return m_settings.skinFilePath == skinFile;
}

void MainFrame::OpenSettings() {
    const std::string skins = m_settings.installFolder + skin::SkinsFolderName(m_profile.vga);
    SettingsSheet sheet(*this, m_settings, skins,
                        [this](const std::string& file) { return ChangeSkin(file); });
    sheet.run();
    sheet.hide();
    NoteUserInput();
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        m_settings.showRemainingTime = m_face.showRemaining;
    }
    m_settings.Save(m_registry, m_profile);
}

}  // namespace vantor::desktop
