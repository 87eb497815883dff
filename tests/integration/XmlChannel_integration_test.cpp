// The real QRM process over TCP: framing, slot exhaustion, the router's own answers and
// the client update lookup.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "protocol/Xml.h"
#include "tests/support/QrmProcess.h"
#include "tests/support/TestClients.h"

namespace vantor {
namespace {

using test::CQrmProcess;
using test::CXmlTestClient;

std::string Request(const std::string& name, int requestId, const std::string& body = "") {
    return "<" + name + ">\n<requestId>" + std::to_string(requestId) + "</requestId>" + body +
           "\n</" + name + ">";
}

std::string ErrorDetails(int requestId, int code) {
    return Request("GetErrorDetailsRequest", requestId,
                   "\n<returnCode>" + std::to_string(code) + "</returnCode>");
}

// The next document that is not an event: services may broadcast at any time.
std::string ReadAnswer(CXmlTestClient& client, int timeoutMs = 5000) {
    while (auto doc = client.ReadDocument(timeoutMs)) {
        std::string root = GetRootElementName(*doc);
        if (root.ends_with("Response") || root == "UnrecognizedRequest") return *doc;
    }
    return {};
}

class XmlChannelIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_workDir = test::MakeTempDir("vantor-cwd-");
        m_qrm.SetWorkingDirectory(m_workDir);
        ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
    }
    void TearDown() override {
        // A clean exit also means no sanitizer report from the server.
        EXPECT_EQ(m_qrm.Stop(), 0) << m_qrm.StdioText();
        std::error_code ec;
        std::filesystem::remove_all(m_workDir, ec);
    }

    CXmlTestClient Connect() {
        CXmlTestClient client;
        EXPECT_TRUE(client.Connect(m_qrm.XmlPort()));
        return client;
    }

    CQrmProcess m_qrm;
    std::string m_workDir;
};

TEST_F(XmlChannelIntegrationTest, DocumentsInOneWriteAndOverSeveralWrites) {
    CXmlTestClient client = Connect();
    ASSERT_TRUE(client.SendRaw(ErrorDetails(1, 0) + '\0' + ErrorDetails(2, 10) + '\0'));
    EXPECT_EQ(GetElementInt(ReadAnswer(client), "requestId"), 1);
    EXPECT_EQ(GetElementInt(ReadAnswer(client), "requestId"), 2);

    const std::string doc = ErrorDetails(3, 0) + '\0';
    const size_t third = doc.size() / 3;
    ASSERT_TRUE(client.SendRaw(doc.substr(0, third)));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(client.SendRaw(doc.substr(third, third)));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(client.SendRaw(doc.substr(2 * third)));
    EXPECT_EQ(GetElementInt(ReadAnswer(client), "requestId"), 3);
    EXPECT_EQ(ReadAnswer(client, 300), "");
}

TEST_F(XmlChannelIntegrationTest, ErrorDetailsGoOnlyToTheAsker) {
    CXmlTestClient asker = Connect();
    CXmlTestClient other = Connect();
    ASSERT_TRUE(asker.SendDocument(ErrorDetails(7, 100)));
    EXPECT_EQ(ReadAnswer(asker),
              "<GetErrorDetailsResponse>\n<requestId>7</requestId>\n<description>The specified "
              "media item was not found</description>\n</GetErrorDetailsResponse>");
    EXPECT_EQ(ReadAnswer(other, 300), "");
}

TEST_F(XmlChannelIntegrationTest, UnknownRootIsUnrecognized) {
    CXmlTestClient client = Connect();
    ASSERT_TRUE(client.SendDocument(Request("FlyToTheMoonRequest", 42)));
    EXPECT_EQ(ReadAnswer(client),
              "<UnrecognizedRequest>\n<requestId>42</requestId>\n<returnCode>10</returnCode>\n"
              "</UnrecognizedRequest>");
}

TEST_F(XmlChannelIntegrationTest, TheHundredAndFirstConnectionIsTurnedAway) {
    std::vector<CXmlTestClient> clients(100);
    for (auto& client : clients) ASSERT_TRUE(client.Connect(m_qrm.XmlPort()));
    // Every one of the first 100 has its slot once it is answered.
    for (size_t i = 0; i < clients.size(); ++i) {
        ASSERT_TRUE(clients[i].SendDocument(ErrorDetails(static_cast<int>(i), 0)));
        ASSERT_EQ(GetElementInt(ReadAnswer(clients[i]), "requestId"), static_cast<int>(i));
    }
    CXmlTestClient extra = Connect();
    EXPECT_TRUE(extra.WaitForClose());
    EXPECT_TRUE(m_qrm.WaitForLog(
        "ERROR: Unable to find an open XML channel client slot! Closing incoming connection.\r\n"));
    for (size_t i = 0; i < clients.size(); ++i) {
        ASSERT_TRUE(clients[i].SendDocument(ErrorDetails(1000 + static_cast<int>(i), 0)));
        EXPECT_EQ(GetElementInt(ReadAnswer(clients[i]), "requestId"), 1000 + static_cast<int>(i));
    }
    // A freed slot takes the next newcomer.
    clients[50].Close();
    CXmlTestClient late;
    bool served = false;
    for (int attempt = 0; attempt < 50 && !served; ++attempt) {
        ASSERT_TRUE(late.Connect(m_qrm.XmlPort()));
        served = late.SendDocument(ErrorDetails(5000, 0)) && !ReadAnswer(late, 1000).empty();
        if (!served) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(served);
}

TEST_F(XmlChannelIntegrationTest, ClientVersionComesFromTheClientsFolder) {
    test::WriteFileText(m_workDir + "clients/win.xml",
                        "<VersionInformation>\n<Name>Desktop</Name>\n<Version>1.2.3.4</Version>\n"
                        "<Parameters>/quiet</Parameters>\n<UpdateURL>setup.exe</UpdateURL>\n"
                        "<Checksum>0123456789abcdef0123456789abcdef</Checksum>\n"
                        "</VersionInformation>");
    // A valid file one folder up must stay out of reach.
    test::WriteFileText(m_workDir + "secret.xml",
                        "<VersionInformation><Version>6.6.6.6</Version></VersionInformation>");
    struct Case {
        std::string type;
        int returnCode;
        std::string version;
        std::string url;
    };
    const std::string port = std::to_string(m_qrm.HttpPort());
    const Case cases[] = {
        {"win", 0, "1.2.3.4", "http://127.0.0.1:" + port + "/clients/setup.exe"},
        {"ppc", 11, "", ""},
        {"../secret", 11, "", ""},
        {"..", 11, "", ""},
        {"sub/win", 11, "", ""},
        {"sub\\win", 11, "", ""},
    };
    CXmlTestClient client = Connect();
    int requestId = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        ASSERT_TRUE(client.SendDocument(
            Request("GetClientVersionRequest", ++requestId, "\n<type>" + c.type + "</type>")));
        std::string doc = ReadAnswer(client);
        EXPECT_EQ(GetRootElementName(doc), "GetClientVersionResponse");
        EXPECT_EQ(GetElementInt(doc, "requestId"), requestId);
        EXPECT_EQ(GetElementInt(doc, "returnCode"), c.returnCode);
        EXPECT_EQ(GetElementText(doc, "version"), c.version);
        EXPECT_EQ(GetElementText(doc, "url"), c.url);
        EXPECT_EQ(GetElementText(doc, "parameters"), c.returnCode == 0 ? "/quiet" : "");
        EXPECT_EQ(GetElementText(doc, "checksum"),
                  c.returnCode == 0 ? "0123456789abcdef0123456789abcdef" : "");
    }
}

TEST_F(XmlChannelIntegrationTest, RunawayDocumentIsCutOffAndLogged) {
    CXmlTestClient runaway = Connect();
    CXmlTestClient other = Connect();
    std::string chunk(64 * 1024, '<');
    for (int i = 0; i < 32; ++i)
        if (!runaway.SendRaw(chunk)) break;
    EXPECT_TRUE(runaway.WaitForClose());
    EXPECT_TRUE(m_qrm.WaitForLog("without a document end, closing it."));
    ASSERT_TRUE(other.SendDocument(ErrorDetails(9, 0)));
    EXPECT_EQ(GetElementInt(ReadAnswer(other), "requestId"), 9);
}

}  // namespace
}  // namespace vantor
