// The real QRM announced by a real avahi-daemon. Each test runs in a network namespace of
// its own with only the loopback interface (multicast switched on, so the daemon uses it),
// its own system bus and its own /run/avahi-daemon, so nothing reaches the machine's
// network or its own daemon. Where no namespace can be made the tests are skipped; the
// announcement is then still exercised against a stand-in (DnsSdAnnouncer_test).

#include "client/link/DnsSdServers.h"
#include "client/link/ServerDiscovery.h"
#include "platform/NetSocket.h"
#include "platform/dnssd/DnsSdBrowser.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/QrmClient.h"
#include "tests/support/QrmProcess.h"
#include "tests/support/TestClients.h"

#include <gtest/gtest.h>

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace vantor {
namespace {

using test::CPrivateBus;
using test::CQrmProcess;
using test::Eventually;

constexpr char kAvahiDaemon[] = "/usr/sbin/avahi-daemon";
constexpr char kAvahiRunFolder[] = "/run/avahi-daemon";

// Loopback up and able to carry multicast, which is all the daemon needs to work here.
bool LoopbackWithMulticast(std::string& why) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = fd >= 0 && ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP | IFF_MULTICAST);
    ok = ok && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    if (!ok) why = std::string("cannot set up the loopback interface: ") + std::strerror(errno);
    if (fd >= 0) close(fd);
    return ok;
}

// Moves this process into a new network and mount namespace; "" on success, else why not.
// Only while the process has one thread.
std::string EnterPrivateNamespace() {
    if (geteuid() != 0) return "making a network namespace needs root";
    struct stat info {};
    if (::stat(kAvahiDaemon, &info) != 0) return "avahi-daemon is not installed";
    if (unshare(CLONE_NEWNET | CLONE_NEWNS) != 0)
        return std::string("cannot make a network namespace: ") + std::strerror(errno);
    // The daemon keeps its pid file in /run/avahi-daemon: a folder of this namespace only,
    // so daemons of tests running side by side do not see each other.
    ::mkdir(kAvahiRunFolder, 0755);
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", kAvahiRunFolder, "tmpfs", 0, "mode=0755") != 0) {
        return std::string("cannot mount a private /run/avahi-daemon: ") + std::strerror(errno);
    }
    std::string why;
    return LoopbackWithMulticast(why) ? "" : why;
}

class DnsSdNamespaceTest : public ::testing::Test {
protected:
    // The namespace and the system bus are the process's: libdbus reads the bus address
    // once per process.
    static void SetUpTestSuite() {
        s_skip = EnterPrivateNamespace();
        if (!s_skip.empty()) return;
        s_bus = new CPrivateBus(CPrivateBus::kSystem);
        if (!s_bus->Start()) s_skip = "no private system bus";
    }
    static void TearDownTestSuite() {
        delete s_bus;
        s_bus = nullptr;
    }
    void SetUp() override {
        if (!s_skip.empty()) GTEST_SKIP() << s_skip;
    }
    void TearDown() override {
        m_servers.clear();
        test::EndTestChild(m_avahi);
    }

    bool StartAvahi() {
        const std::string conf = m_folder.Path() + "/avahi.conf";
        test::WriteFileText(conf,
                            "[server]\nuse-ipv4=yes\nuse-ipv6=no\nallow-interfaces=lo\n"
                            "enable-dbus=yes\n[publish]\npublish-workstation=no\n"
                            "publish-hinfo=no\n");
        m_avahi = test::StartTestChild({kAvahiDaemon, "--no-drop-root", "--no-chroot",
                                        "--no-rlimits", "--no-proc-title", "-f", conf},
                                       m_folder.Path() + "/avahi.log");
        return m_avahi > 0 && Eventually([] { return DnsSdDaemonRunning(); }, 10000);
    }
    CQrmProcess& StartServer(const std::string& name) {
        auto qrm = std::make_unique<CQrmProcess>();
        qrm->SetConfig("ServerName", name);
        qrm->SetEnv("DBUS_SYSTEM_BUS_ADDRESS", s_bus->Address());
        EXPECT_TRUE(qrm->Start()) << qrm->StdioText();
        m_servers.push_back(std::move(qrm));
        return *m_servers.back();
    }
    // Browses until `count` services of the type are seen.
    static std::vector<CDnsSdEndpoint> Find(const std::string& type, size_t count) {
        std::vector<CDnsSdEndpoint> found;
        Eventually(
            [&] {
                found = BrowseDnsSd(type, 2000);
                return found.size() >= count;
            },
            15000);
        return found;
    }
    std::string AvahiLog() const { return test::ReadFileText(m_folder.Path() + "/avahi.log"); }

    static std::string s_skip;
    static CPrivateBus* s_bus;
    test::CTempFolder m_folder{"vantor-avahi"};
    pid_t m_avahi = -1;
    std::vector<std::unique_ptr<CQrmProcess>> m_servers;
};

std::string DnsSdNamespaceTest::s_skip;
CPrivateBus* DnsSdNamespaceTest::s_bus = nullptr;

TEST_F(DnsSdNamespaceTest, QuietWithoutADaemonThenAnnouncedWhenOneStarts) {
    CQrmProcess& qrm = StartServer("Vantor Test");
    EXPECT_TRUE(BrowseDnsSd("_vantor._tcp", 1000).empty());
    ASSERT_TRUE(StartAvahi()) << AvahiLog();

    const std::vector<CDnsSdEndpoint> vantor = Find("_vantor._tcp", 1);
    ASSERT_EQ(vantor.size(), 1u) << qrm.LogText() << AvahiLog();
    EXPECT_EQ(vantor[0].name, "Vantor Test");
    EXPECT_EQ(vantor[0].address, "127.0.0.1");
    EXPECT_EQ(vantor[0].port, qrm.XmlPort());
    EXPECT_EQ(vantor[0].Txt("version"), "1.0.3.2");
    const std::vector<CDnsSdEndpoint> web = Find("_http._tcp", 1);
    ASSERT_EQ(web.size(), 1u);
    EXPECT_EQ(web[0].name, "Vantor Test");
    EXPECT_EQ(web[0].port, qrm.HttpPort());
    EXPECT_EQ(web[0].Txt("path"), "/");
    EXPECT_TRUE(qrm.WaitForLog("DNS-SD: announced as \"Vantor Test\""));
    EXPECT_EQ(qrm.CountInLog("ERROR"), 0) << qrm.LogText();

    // What was found is the server's XML channel.
    test::CXmlTestClient client;
    EXPECT_TRUE(client.Connect(vantor[0].port, vantor[0].address));

    // The clients' discovery finds it through DNS-SD alone: the broadcast goes nowhere.
    CNetSocket silent;
    ASSERT_TRUE(silent.CreateUdp(0, "127.0.0.1"));
    client::DiscoveryOptions options;
    options.broadcastAddress = "127.0.0.1";
    options.port = silent.LocalPort();
    options.cradleHost = "";
    options.attemptWaitMs = 3000;
    options.localAddresses = [] { return std::vector<std::string>{"127.0.0.1"}; };
    options.diagnostics = nullptr;
    options.dnsSd = client::FindServersByDnsSd;
    client::ServerDiscovery discovery;
    EXPECT_EQ(discovery.Run(options), "127.0.0.1:" + std::to_string(qrm.XmlPort()));
}

TEST_F(DnsSdNamespaceTest, ASecondServerOfTheSameNameIsRenamed) {
    ASSERT_TRUE(StartAvahi()) << AvahiLog();
    CQrmProcess& first = StartServer("Kitchen");
    ASSERT_TRUE(first.WaitForLog("DNS-SD: announced as \"Kitchen\""));
    CQrmProcess& second = StartServer("Kitchen");
    ASSERT_TRUE(second.WaitForLog("DNS-SD: announced as \"Kitchen #2\"")) << second.LogText();

    const std::vector<CDnsSdEndpoint> found = Find("_vantor._tcp", 2);
    ASSERT_EQ(found.size(), 2u);
    for (const auto& endpoint : found) {
        const int expected = endpoint.name == "Kitchen" ? first.XmlPort() : second.XmlPort();
        EXPECT_EQ(endpoint.port, expected) << endpoint.name;
    }

    // Stopped, it is withdrawn.
    m_servers.pop_back();
    EXPECT_TRUE(Eventually([] { return BrowseDnsSd("_vantor._tcp", 2000).size() == 1; }, 10000));
}

}  // namespace
}  // namespace vantor
