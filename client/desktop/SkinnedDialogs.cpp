#include "client/desktop/SkinnedDialogs.h"

#include "client/desktop/SkinDialog.h"

namespace vantor::desktop {

namespace {

class SkinnedDialogs : public FrameDialogs {
public:
    SkinnedDialogs(Gtk::Window& owner, Gtk::Widget& face, face::SkinPainter& painter,
                   std::function<void()> settingsSheet)
        : m_owner(owner),
          m_face(face),
          m_painter(painter),
          m_settingsSheet(std::move(settingsSheet)) {}

    void About(const std::string& version) override {
        face::DialogOptions options = Options();
        options.version = version;
        Run(face::DialogKind::kAbout, options);
    }

    void SelectEqPreset(const std::vector<std::string>& presets, const std::string& current,
                        std::function<void(const std::string&)> chosen) override {
        auto dialog = Make(face::DialogKind::kSelectEqPreset, Options());
        DialogRows rows;
        for (size_t i = 0; i < presets.size(); ++i)
            rows.emplace_back(static_cast<int>(i), presets[i]);
        dialog->SetRows(rows);
        for (size_t i = 0; i < presets.size(); ++i)
            if (presets[i] == current) dialog->SelectKey(static_cast<int>(i));
        if (Open(*dialog) != face::DialogResult::kOk) return;
        const int key = dialog->SelectedKey();
        if (key >= 0 && key < static_cast<int>(presets.size()))
            chosen(presets[static_cast<size_t>(key)]);
    }

    void SavePlaylist(std::function<void(const std::string&)> save) override {
        auto dialog = Make(face::DialogKind::kSavePlaylist, Options());
        if (Open(*dialog) != face::DialogResult::kOk) return;
        const std::string name = dialog->Text();
        if (name.find_first_not_of(" \t") != std::string::npos) save(name);
    }

    void JumpToSong(std::function<DialogRows(const std::string&)> find,
                    std::function<void(int)> play) override {
        auto dialog = Make(face::DialogKind::kSearch, Options());
        SkinDialog* shown = dialog.get();
        dialog->onSearch = [shown, find] {
            const DialogRows rows = find(shown->Text());
            shown->SetRows(rows);
            if (!rows.empty()) shown->SelectKey(rows.front().first);
        };
        if (Open(*dialog) != face::DialogResult::kOk) return;
        const int position = dialog->SelectedKey();
        if (position >= 0) play(position);
    }

    void NoNetwork() override { Run(face::DialogKind::kNoNetwork, Options()); }

    void Settings() override {
        m_open = true;
        m_settingsSheet();
        m_open = false;
    }

    bool IsOpen() const override { return m_open; }

private:
    face::DialogOptions Options() const {
        face::DialogOptions options;
        // A face 480 pixels wide or more is a VGA skin: the dialogs double with it.
        const skin::Component* main = m_painter.Skin().FindComponent("main");
        options.vga = main && main->norm.destination.Width() >= 480;
        return options;
    }
    std::unique_ptr<SkinDialog> Make(face::DialogKind kind, const face::DialogOptions& options) {
        return std::make_unique<SkinDialog>(m_owner, m_face, m_painter,
                                            face::LayoutDialog(kind, m_painter.Skin(), options));
    }
    face::DialogResult Open(SkinDialog& dialog) {
        m_open = true;
        const face::DialogResult result = dialog.Run();
        m_open = false;
        return result;
    }
    void Run(face::DialogKind kind, const face::DialogOptions& options) {
        auto dialog = Make(kind, options);
        Open(*dialog);
    }

    Gtk::Window& m_owner;
    Gtk::Widget& m_face;
    face::SkinPainter& m_painter;
    std::function<void()> m_settingsSheet;
    bool m_open = false;
};

}  // namespace

std::unique_ptr<FrameDialogs> MakeSkinnedDialogs(Gtk::Window& owner, Gtk::Widget& face,
                                                 face::SkinPainter& painter,
                                                 std::function<void()> settingsSheet) {
    return std::make_unique<SkinnedDialogs>(owner, face, painter, std::move(settingsSheet));
}

}  // namespace vantor::desktop
