// The fax class check against faxline modems of each kind, a scripted modem offering every
// class, a device that stays silent and a port that does not exist.

#include "setup/logic/fax_class_check.h"
#include "core/message_boxes.h"
#include "core/settings.h"
#include "modem_line_fixture.h"
#include "pty_modem.h"
#include "setup/logic/modem_test.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"
#include "transport/tapi_device.h"

namespace corvane::testing {
namespace {

class FaxClassCheckTest : public ModemLineFixture {
  protected:
    FaxClassCheck& check(const FaxClassCheckRequest& request) {
        LoadSettings();
        ApplyProgramPortSettings(port_, PortUse::Setup, false);
        check_ = std::make_unique<FaxClassCheck>(port_, tapi_, request);
        check_->run();
        EXPECT_FALSE(port_.Open());
        EXPECT_FALSE(tapi_.callActive());
        return *check_;
    }

    static QStringList texts(const FaxClassCheck& c) {
        QStringList t;
        for (const auto& line : c.classLines()) t << line.text + (line.bold ? " [bold]" : "");
        return t;
    }

    ScopedScriptedMessageBoxes boxes_;
    TFxComPort port_;
    TapiDevice tapi_;
    std::unique_ptr<FaxClassCheck> check_;
};

const QStringList kUnknownLines{"Class 1   : unknown", "Class 2   : unknown",
                                "Class 2.0 : unknown"};

TEST_F(FaxClassCheckTest, RecommendationByWhatTheModemOffers) {
    struct Case {
        std::vector<std::string> args;
        QStringList lines;
        int index;
        const char* name;
    } cases[] = {
        {{"--class", "2", "--classes", "0,2.0"},
         {"Class 2.0 : Supported [bold]", "Class 2   : Not Supported", "Class 1   : Not Supported"},
         2,
         "Class 2.0"},
        {{"--class", "2"},
         {"Class 2.0 : Supported", "Class 2   : Supported (recommended)",
          "Class 1   : Not Supported"},
         1,
         "Class 2"},
        {{"--class", "1"},
         {"Class 2.0 : Not Supported", "Class 2   : Not Supported",
          "Class 1   : Supported (recommended)"},
         0,
         "Class 1"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString modem = startModem("m" + std::to_string(++n), c.args);
        ASSERT_FALSE(modem.isEmpty());
        writeSettings({{6, modem}});
        FaxClassCheck& result = check({6, false, {}});
        EXPECT_EQ(texts(result), c.lines) << c.name;
        EXPECT_EQ(result.resultIndex(), c.index);
        EXPECT_EQ(result.resultName(), c.name);
        EXPECT_EQ(result.status(), QStringLiteral("Try using the recommended Fax Class (%1). \r\r"
                                                  "If you experience problems, try other "
                                                  "supported classes or auto detect.")
                                       .arg(c.name));
    }
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(FaxClassCheckTest, ScriptedModemOfferingEveryClassThroughATelephonyDevice) {
    PtyPair line;
    ScriptedModem modem(line);
    modem.answer("AT", ModemReply("OK"));
    modem.answer("ATZ", ModemReply("OK"));
    modem.answer("AT+FCLASS=?", ModemReply("(0,1,2,2.0)") + ModemReply("OK"));
    writeSettings({}, {"usb-Every_Class-if00|" + line.slavePath()});
    FaxClassCheck& result = check({1, true, "usb-Every_Class-if00"});
    EXPECT_EQ(texts(result), (QStringList{"Class 2.0 : Supported", "Class 2   : Supported",
                                          "Class 1   : Supported (recommended)"}));
    EXPECT_EQ(result.resultIndex(), 0);
    // No init string goes out before the query.
    int queries = 0;
    for (const QByteArray& command : modem.commands()) {
        queries += command.contains("FCLASS=?");
        EXPECT_FALSE(command.contains("&F")) << command.toStdString();
    }
    EXPECT_EQ(queries, 1);

    // The question afterwards, by the class chosen on that side (0 auto .. 3 Class 2.0).
    EXPECT_EQ(result.adoptQuestion(0), "Set fax class as Class 1 ?");
    EXPECT_EQ(result.adoptQuestion(1), "");
}

TEST_F(FaxClassCheckTest, ModemWithoutFaxClass) {
    const QString modem = startModem("data", {"--class", "2", "--classes", "0"});
    ASSERT_FALSE(modem.isEmpty());
    writeSettings({{5, modem}});
    FaxClassCheck& result = check({5, false, {}});
    EXPECT_EQ(result.status(), "Unable to determine Fax Class support from modem on Com 5");
    EXPECT_EQ(texts(result), kUnknownLines);
    EXPECT_EQ(result.resultIndex(), -1);
    EXPECT_EQ(result.resultName(), "");
    EXPECT_EQ(result.adoptQuestion(0), "");
}

TEST_F(FaxClassCheckTest, SilentDeviceAndMissingPort) {
    PtyPair silent;
    writeSettings({{3, silent.slavePath()}}, {"Missing Modem|/nonexistent/ttyGone"});
    boxes_.queueAnswer(false);
    FaxClassCheck& quiet = check({3, false, {}});
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].title, "NO MODEM RESPONSE");
    EXPECT_EQ(boxes_.shown()[0].text,
              "The device on COM3 is not responding and may\rnot be a modem. Continue with Fax "
              "Class Analysis?");
    EXPECT_EQ(quiet.status(), "No response from device on COM3. May not be a modem.");
    EXPECT_EQ(texts(quiet), kUnknownLines);

    // Going on anyway: the reset gets no answer either, and the message names the command.
    boxes_.queueAnswer(true);
    FaxClassCheck& onward = check({3, false, {}});
    ASSERT_EQ(boxes_.shown().size(), 3u);
    EXPECT_EQ(boxes_.shown()[2].kind, ScriptedMessageBoxes::Shown::Information);
    EXPECT_TRUE(boxes_.shown()[2].text.contains("(ATZ)"));
    EXPECT_TRUE(boxes_.shown()[2].text.contains("(COM3)"));
    EXPECT_EQ(onward.status(), "No response from device on COM3. May not be a modem.");

    FaxClassCheck& missing = check({1, false, {}});
    EXPECT_EQ(missing.status(), "Unable to open the specified communications port");
    EXPECT_EQ(texts(missing), kUnknownLines);
    FaxClassCheck& missingDevice = check({1, true, "Missing Modem"});
    EXPECT_EQ(missingDevice.status(), "Failed to open Missing Modem");
    EXPECT_EQ(texts(missingDevice), kUnknownLines);
}

// "Test Modem": a named modem that answers, one that stays silent, one that is not there.
TEST_F(FaxClassCheckTest, TestModemSaysHowItWent) {
    const QString modem = startModem("named", {"--class", "1"});
    ASSERT_FALSE(modem.isEmpty());
    PtyPair silent;
    writeSettings({}, {"usb-Answers-if00|" + modem, "usb-Silent-if00|" + silent.slavePath(),
                       "usb-Gone-if00|/nonexistent/ttyGone"});
    LoadSettings();
    ApplyProgramPortSettings(port_, PortUse::Setup, false);
    struct Case {
        const char* device;
        ModemTestWording wording;
        const char* message;
    } cases[] = {
        {"usb-Answers-if00", ModemTestWording::Preferences,
         "Opened with TAPI\r..modem responded properly"},
        {"usb-Silent-if00", ModemTestWording::Preferences,
         "Opened with TAPI\r..however no modem was detected (modem did not respond)"},
        {"usb-Silent-if00", ModemTestWording::QuickSetup,
         "Opened with TAPI\r..however no modem was detected"},
        {"usb-Gone-if00", ModemTestWording::Preferences,
         "ERROR: Failed to open usb-Gone-if00\r\r..is the modem or port in use?"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunModemTest(port_, tapi_, c.device, QString(), c.wording), c.message)
            << c.device;
        EXPECT_FALSE(port_.Open());
        EXPECT_FALSE(tapi_.callActive());
    }
}

}  // namespace
}  // namespace corvane::testing
