// The real QRM driving the Winamp simulator, which the server starts itself from a
// temporary Winamp folder, as a client sees it over the XML channel.

#include "platform/LocalWindowSystem.h"
#include "protocol/MessageFactory.h"
#include "protocol/Messages.h"
#include "protocol/ResultCodes.h"
#include "protocol/Xml.h"
#include "server/player/winamp/WinampMessages.h"
#include "tests/support/MessageSession.h"
#include "tests/support/QrmProcess.h"
#include "tests/support/TestClients.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vantor {
namespace {

using test::CQrmProcess;
using Clock = std::chrono::steady_clock;

class WinampEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = test::MakeTempDir("vantor-winamp-");
        m_windowsDir = m_root + "w";
        m_winampDir = m_root + "winamp";
        std::filesystem::create_directories(m_windowsDir);
        std::filesystem::create_directories(m_winampDir);
        m_probe = std::make_unique<CLocalWindowSystem>(m_windowsDir);
        m_qrm.SetConfig("PlayerType", "Winamp");
        m_qrm.SetConfig("Paths\\Winamp", m_winampDir);
        m_qrm.SetEnv("VANTOR_WINDOWS_DIR", m_windowsDir);
        m_qrm.SetEnv("VANTOR_WINAMP_SIM_IDLE_EXIT", "30");
    }

    void TearDown() override {
        m_session.Close();
        EXPECT_EQ(m_qrm.Stop(), 0) << m_qrm.StdioText();
        for (int round = 0; round < 5 && SimMain() != 0; ++round) {
            ::kill(static_cast<pid_t>(SimMain() / 256), SIGTERM);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    // Puts the simulator in place as "Winamp.exe" with its starting playlist.
    void InstallWinamp(const std::vector<std::string>& lines) {
        std::string playlist = "#EXTM3U\n";
        for (const std::string& line : lines) {
            playlist += line + "\n";
        }
        ASSERT_TRUE(test::WriteFileText(m_winampDir + "/winamp.m3u", playlist));
        std::filesystem::create_symlink(WINAMP_SIM_PATH, m_winampDir + "/Winamp.exe");
    }

    void StartAndConnect() {
        ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
        ASSERT_TRUE(m_session.Connect(m_qrm.XmlPort()));
    }

    WindowHandle SimMain() { return m_probe->FindWindowByClass(winamp::kMainClass); }
    int32_t SimCommand(int64_t command, int64_t data = 0) {
        return m_probe->SendWindowMessage(SimMain(), kUserMessage, data, command);
    }

    bool Send(CRequestMessage& request) { return m_session.Send(request); }
    bool Send(int32_t typeId) { return m_session.Send(typeId); }
    std::unique_ptr<CMessage> Expect(int32_t typeId,
                                     const std::function<bool(const CMessage&)>& check = {},
                                     int timeoutMs = 5000) {
        auto message = m_session.Expect(typeId, check, timeoutMs);
        if (!message) ADD_FAILURE() << "no " << msg::TypeNameFromId(typeId);
        return message;
    }
    int32_t ResultOf(int32_t responseType, int timeoutMs = 5000) {
        return m_session.ResultOf(responseType, timeoutMs);
    }

    bool WaitForWinamp() {
        const auto started = Clock::now();
        while (SimMain() == 0) {
            if (Clock::now() - started > std::chrono::seconds(15)) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

    std::string m_root;
    std::string m_windowsDir;
    std::string m_winampDir;
    std::unique_ptr<CLocalWindowSystem> m_probe;
    CQrmProcess m_qrm;
    test::CMessageSession m_session;
};

std::vector<std::string> TwelveTracks() {
    std::vector<std::string> lines;
    for (int i = 1; i <= 11; ++i) {
        lines.push_back("#EXTINF:200,Band " + std::to_string(i) + " - Tune " + std::to_string(i));
        lines.push_back("/music/" + std::to_string(i) + ".mp3");
    }
    lines.push_back("/music/Artist - Song.mp3");
    lines.push_back("/video/Film.mp4");
    return lines;
}

TEST_F(WinampEndToEndTest, ClientRequestsReachWinampAndItsChangesReachTheClient) {
    InstallWinamp(TwelveTracks());
    StartAndConnect();
    // The first client's connection starts Winamp.
    ASSERT_TRUE(WaitForWinamp());

    ASSERT_TRUE(Send(msg::PlayRequest));
    EXPECT_EQ(ResultOf(msg::PlayResponse), kResultSuccess);
    EXPECT_TRUE(Expect(msg::PlayingStateChangedEvent, [](const CMessage& m) {
        return static_cast<const CPlayingStateEvent&>(m).Body().playingState == kPlaying;
    }));
    ASSERT_TRUE(Send(msg::PauseRequest));
    EXPECT_EQ(ResultOf(msg::PauseResponse), kResultSuccess);
    EXPECT_TRUE(Expect(msg::PlayingStateChangedEvent, [](const CMessage& m) {
        return static_cast<const CPlayingStateEvent&>(m).Body().playingState == kPaused;
    }));

    // The twelfth item: its window title is "12. Artist - Song - Winamp".
    CPositionRequest position(msg::SetPlaylistPositionRequest);
    position.Body().position = 11;
    ASSERT_TRUE(Send(position));
    EXPECT_EQ(ResultOf(msg::SetPlaylistPositionResponse), kResultSuccess);
    auto media = Expect(msg::CurrentMediaChangedEvent);
    ASSERT_TRUE(media);
    EXPECT_EQ(static_cast<CCurrentMediaEvent&>(*media).Body().artist, "Artist");
    EXPECT_EQ(static_cast<CCurrentMediaEvent&>(*media).Body().title, "Song");
    EXPECT_EQ(m_probe->GetWindowTitle(SimMain(), 255), "12. Artist - Song - Winamp");

    ASSERT_TRUE(Send(msg::NextItemRequest));
    EXPECT_EQ(ResultOf(msg::NextItemResponse), kResultSuccess);
    EXPECT_TRUE(Expect(msg::PlaylistPositionChangedEvent, [](const CMessage& m) {
        return static_cast<const CPositionEvent&>(m).Body().position == 12;
    }));

    CPositionRequest seek(msg::SetPlayPositionRequest);
    seek.Body().position = 100;
    ASSERT_TRUE(Send(seek));
    EXPECT_EQ(ResultOf(msg::SetPlayPositionResponse), kResultSuccess);
    EXPECT_TRUE(Expect(msg::PlayPositionChangedEvent, [](const CMessage& m) {
        return static_cast<const CPositionEvent&>(m).Body().position >= 100;
    }));

    CVolumeRequest volume(msg::SetVolumeRequest);
    volume.Body().volume = 40;
    ASSERT_TRUE(Send(volume));
    EXPECT_EQ(ResultOf(msg::SetVolumeResponse), kResultSuccess);
    EXPECT_TRUE(Expect(msg::VolumeChangedEvent, [](const CMessage& m) {
        return static_cast<const CVolumeEvent&>(m).Body().volume == 40;
    }));

    CShuffleStateRequest shuffle(msg::SetShuffleStateRequest);
    shuffle.Body().shuffleState = true;
    ASSERT_TRUE(Send(shuffle));
    EXPECT_EQ(ResultOf(msg::SetShuffleStateResponse), kResultSuccess);
    EXPECT_TRUE(Expect(msg::ShuffleStateChangedEvent));
    CRepeatStateRequest repeat(msg::SetRepeatStateRequest);
    repeat.Body().repeatState = true;
    ASSERT_TRUE(Send(repeat));
    EXPECT_EQ(ResultOf(msg::SetRepeatStateResponse), kResultSuccess);
    EXPECT_TRUE(Expect(msg::RepeatStateChangedEvent));

    // The video plays now: full screen on.
    CVideoModeRequest video(msg::SetVideoModeRequest);
    video.Body().fullScreenEnabled = true;
    ASSERT_TRUE(Send(video));
    EXPECT_EQ(ResultOf(msg::SetVideoModeResponse), kResultSuccess);
    EXPECT_EQ(SimCommand(winamp::kIsFullScreen), 1);

    CTrackRatingRequest rating(msg::SetTrackRatingRequest);
    rating.Body().rating = 80;
    ASSERT_TRUE(Send(rating));
    EXPECT_EQ(ResultOf(msg::SetTrackRatingResponse), kResultSuccess);
    ASSERT_TRUE(Send(msg::GetTrackRatingRequest));
    auto ratingResponse = Expect(msg::GetTrackRatingResponse);
    ASSERT_TRUE(ratingResponse);
    EXPECT_EQ(static_cast<CTrackRatingResponse&>(*ratingResponse).Body().rating, 80);

    CEqPresetRequest preset(msg::SetEqPresetRequest);
    preset.Body().preset = "Rock";
    ASSERT_TRUE(Send(preset));
    EXPECT_EQ(ResultOf(msg::SetEqPresetResponse), kResultSuccess);
    EXPECT_EQ(SimCommand(winamp::kGetEqData, 0), 19);
    EXPECT_TRUE(Expect(msg::EqChangedEvent, [](const CMessage& m) {
        // Raw 19 is a boost of 39.
        return static_cast<const CEqEvent&>(m).Body().bands[0] == 39;
    }));
    CEqRequest eq(msg::SetEqRequest);
    eq.Body().enabled = true;
    eq.Body().bands = {100, -100, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(Send(eq));
    EXPECT_EQ(ResultOf(msg::SetEqResponse), kResultSuccess);
    EXPECT_TRUE(Expect(msg::EqChangedEvent, [](const CMessage& m) {
        const auto& bands = static_cast<const CEqEvent&>(m).Body().bands;
        return bands[0] == 100 && bands[1] == -100;
    }));

    CPlaylistAddRequest add(msg::PlaylistAddRequest);
    add.Body().selector.path = "/music/extra.mp3";
    ASSERT_TRUE(Send(add));
    EXPECT_EQ(ResultOf(msg::PlaylistAddResponse), kResultSuccess);
    EXPECT_TRUE(Expect(msg::PlaylistChangedEvent));
    add.Body().position = 0;
    add.Body().selector.path = "/music/first.mp3";
    ASSERT_TRUE(Send(add));
    EXPECT_EQ(ResultOf(msg::PlaylistAddResponse), kResultSuccess);
    EXPECT_EQ(SimCommand(winamp::kGetListLength), 15);
    CPositionRequest remove(msg::PlaylistRemoveRequest);
    remove.Body().position = 0;
    ASSERT_TRUE(Send(remove));
    EXPECT_EQ(ResultOf(msg::PlaylistRemoveResponse), kResultSuccess);
    EXPECT_EQ(SimCommand(winamp::kGetListLength), 14);
    ASSERT_TRUE(Send(msg::PlaylistClearRequest));
    EXPECT_EQ(ResultOf(msg::PlaylistClearResponse), kResultSuccess);
    EXPECT_EQ(SimCommand(winamp::kGetListLength), 0);
    EXPECT_TRUE(Expect(msg::PlaylistChangedEvent));
}

TEST_F(WinampEndToEndTest, WinampQuittingIsNoticedAndTheNextRequestStartsItAgain) {
    InstallWinamp(TwelveTracks());
    StartAndConnect();
    ASSERT_TRUE(WaitForWinamp());
    // Reported once the server has attached and its monitors run.
    ASSERT_TRUE(Expect(msg::CurrentMediaChangedEvent, {}, 15000));
    const WindowHandle first = SimMain();
    ASSERT_NE(first, 0u);
    ASSERT_EQ(::kill(static_cast<pid_t>(first / 256), SIGKILL), 0);
    // Give the state monitor a few passes to notice, then ask for something.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(Send(msg::PlayRequest));
    EXPECT_EQ(ResultOf(msg::PlayResponse, 20000), kResultSuccess);
    EXPECT_NE(SimMain(), 0u);
    EXPECT_NE(SimMain(), first);
    EXPECT_EQ(SimCommand(winamp::kIsPlaying), 1);
}

TEST_F(WinampEndToEndTest, WithoutWinampRequestsAnswerACommunicationError) {
    m_qrm.SetConfig("Paths\\Winamp", "");
    StartAndConnect();
    ASSERT_TRUE(Send(msg::PlayRequest));
    EXPECT_EQ(ResultOf(msg::PlayResponse), kResultPlayerComm);
    EXPECT_TRUE(m_qrm.WaitForLog("ERROR: Unable to find Winamp path, can't start automatically"));
}

}  // namespace
}  // namespace vantor
