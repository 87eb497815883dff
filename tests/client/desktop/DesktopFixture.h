#pragma once

// The fixture of VantorPC's end-to-end tests: a private X server, the real VantorPC with a
// registry folder of its own, the test's own link to the same server, screenshots of the
// face and pixels read from the screen.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "client/face/FacePainter.h"
#include "client/link/Requests.h"
#include "client/link/ServerLink.h"
#include "client/settings/ClientProfile.h"
#include "client/settings/ClientSettings.h"
#include "platform/Registry.h"
#include "tests/client/desktop/DesktopSession.h"
#include "tests/client/link/LinkTestSupport.h"
#include "tests/support/QrmProcess.h"

namespace vantor {

inline const std::string kShots = std::string(VANTOR_BINARY_DIR) + "/desktop-shots/";
inline const std::string kSkins = VANTOR_SKINS_ROOT;

constexpr unsigned kAccent = 0x4c9dff;  // the default skin's accent

inline bool Near(unsigned a, unsigned b, int tolerance = 12) {
    return test::NearColour(a, b, tolerance);
}

class DesktopRemoteTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(kShots);
        ASSERT_TRUE(m_skin.Load(kSkins + "/skins/default/default.xml"));
        const skin::Rect& main = m_skin.FindComponent("main")->norm.destination;
        m_faceW = main.Width();
        m_faceH = main.Height();
        ASSERT_TRUE(m_display.Start(1024, 768)) << "Xvfb did not start";
        m_registry = test::MakeTempDir("vantor-desktop-");
    }

    void TearDown() override {
        // Ended like a session ends it, the remote leaves cleanly (the sanitizers would
        // make it fail otherwise).
        if (m_window.IsRunning()) {
            const int status = m_window.Stop();
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << status << "\n"
                << test::ReadFileText(m_registry + "vantorpc.log");
        }
        m_link.Disconnect();
        m_display.Stop();
        std::filesystem::remove_all(m_registry);
    }

    // The client's settings: the server to use, and whether to connect at once.
    void WriteSettings(int port, bool autoConnect, const std::string& skinFile = "",
                       const std::string& installFolder = "") {
        client::ClientProfile profile = client::ClientProfile::Desktop();
        profile.defaultInstallFolder = kSkins + "/";
        client::ClientSettings settings = client::ClientSettings::Defaults(profile);
        settings.servers = {"127.0.0.1:" + std::to_string(port)};
        settings.autoConnect = autoConnect;
        settings.nowPlayingOnIdle = false;
        settings.discoveryAddress = "127.0.0.1";
        if (!skinFile.empty()) settings.skinFilePath = skinFile;
        if (!installFolder.empty()) settings.installFolder = installFolder;
        CRegistry registry(m_registry);
        ASSERT_TRUE(settings.Save(registry, profile));
    }

    void StartRemote(int scale = 1) {
        ASSERT_TRUE(m_window.Start(VANTORPC_PATH, m_display.Name(), m_registry,
                                   m_registry + "vantorpc.log"));
        ASSERT_TRUE(m_window.Locate(m_faceW * scale, m_faceH * scale))
            << test::ReadFileText(m_registry + "vantorpc.log");
    }

    // The test's own client of the same server.
    void ConnectOwnLink(int port) {
        ASSERT_EQ(m_link.Connect("127.0.0.1:" + std::to_string(port)), 0);
    }

    std::unique_ptr<CResponseMessage> Ask(int32_t type) {
        auto request = client::requests::Plain(type);
        std::unique_ptr<CResponseMessage> response;
        if (m_link.SendAndWait(*request, response) != 0) return nullptr;
        return response;
    }

    int32_t Volume() {
        auto r = Ask(msg::GetVolumeRequest);
        auto* v = client::ResponseAs<CVolumeResponse>(r, msg::GetVolumeResponse);
        return v ? v->Body().volume : -1;
    }

    // The face, or with `wholeWindow` the window with its menu and header bars.
    bool Shot(const std::string& name, int scale = 1, bool wholeWindow = false,
              const std::string& folder = kShots) {
        test::Screenshot shot;
        if (!shot.Take(m_display.Name(), m_registry + "shot.png")) return false;
        const int top = wholeWindow ? 0 : m_window.FaceY();
        return shot.SaveCrop(m_window.FaceX(), top, m_faceW * scale,
                             m_window.FaceY() + m_faceH * scale - top, folder + name + ".png");
    }

    // A pixel of the face as the screen shows it now.
    unsigned FacePixel(int x, int y) {
        test::Screenshot shot;
        if (!shot.Take(m_display.Name(), m_registry + "pixel.png")) return 0;
        return shot.At(m_window.FaceX() + x, m_window.FaceY() + y);
    }

    void Click(const std::string& name, const std::string& screen) {
        int x = 0;
        int y = 0;
        test::RemoteWindow::Centre(m_skin, name, screen, x, y);
        ASSERT_GE(x, 0) << name;
        m_window.Click(x, y);
    }

    const skin::Rect& Rect(const char* name) {
        return m_skin.FindComponent(name)->norm.destination;
    }

    // The deck is drawn (a connected main or equaliser screen): the volume bar's track.
    bool OnDeck() {
        const skin::Rect& r = Rect("volumebar.back");
        const unsigned pixel = FacePixel(r.right - 2, (r.top + r.bottom) / 2);
        return Near(pixel, 0x353b47) || Near(pixel, kAccent);
    }

    // The title line shows `text`, as the face library draws it.
    bool TitleShows(const std::string& text) {
        face::FaceState state;
        state.screen = face::kScreenMain;
        state.titleLine = text;
        cairo_surface_t* expected =
            cairo_image_surface_create(CAIRO_FORMAT_RGB24, m_faceW, m_faceH);
        cairo_t* cr = cairo_create(expected);
        m_facePainter.Paint(cr, state);
        cairo_destroy(cr);
        cairo_surface_flush(expected);
        test::Screenshot shot;
        bool same = shot.Take(m_display.Name(), m_registry + "title.png");
        const skin::Rect box = m_facePainter.TitleBox();
        const unsigned char* data = cairo_image_surface_get_data(expected);
        const int stride = cairo_image_surface_get_stride(expected);
        int differing = 0;
        for (int y = box.top; same && y < box.bottom; ++y) {
            for (int x = box.left; x < box.right; ++x) {
                const unsigned want =
                    reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xffffff;
                if (!Near(want, shot.At(m_window.FaceX() + x, m_window.FaceY() + y), 40))
                    ++differing;
            }
        }
        cairo_surface_destroy(expected);
        return same && differing < box.Width() * box.Height() / 50;
    }

    skin::Skin m_skin;
    face::SkinImages m_images{m_skin};
    face::SkinPainter m_painter{m_skin, m_images};
    face::FacePainter m_facePainter{m_painter};
    int m_faceW = 0;
    int m_faceH = 0;
    test::VirtualDisplay m_display;
    test::RemoteWindow m_window;
    std::string m_registry;
    client::ServerLink m_link;
};

}  // namespace vantor
